// Zelvan: the membership register. `zelvan [FOLDER]`: the register lives in
// FOLDER, else in ~/Zelvan.
#include "anamenu.h"
#include "application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    // Qt's own dialogs (files, printing, page setup) speak Turkish too.
    QTranslator qtTurkish;
    if (qtTurkish.load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTurkish);
    return RunZelvan(app, app.arguments());
}
