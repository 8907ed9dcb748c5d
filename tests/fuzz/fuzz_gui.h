#pragma once
// What the libFuzzer targets that draw or read documents need before the
// first input: Qt's offscreen platform and the application object that
// fonts and images stand on.

#include <QGuiApplication>

inline void qpFuzzStartGui(const char *targetName)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char *argv[] = {const_cast<char *>(targetName), nullptr};
    new QGuiApplication(argc, argv);
}
