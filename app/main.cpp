// Zelvan: the membership register.
#include "member_store.h"
#include "db_error.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMessageBox>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvan"));
    try {
        // Tables are found in the working folder by bare name.
        MemberStore::PrepareWorkingFolder(QDir::currentPath());
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QStringLiteral("Zelvan"), QString::fromUtf8(e.what()));
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Zelvan"));
    window.showMaximized();
    return app.exec();
}
