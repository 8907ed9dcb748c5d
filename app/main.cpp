// Zelvan: the membership register. `zelvan [FOLDER]`: the register lives in
// FOLDER, else in ~/Zelvan. `zelvan --import-paradox OLD_FOLDER [FOLDER]`
// brings the old program's tables into a new register, without windows.
#include "anamenu.h"
#include "application.h"
#include "old_tables.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], kImportOption) == 0) {
        // No display is needed, nor opened.
        QCoreApplication app(argc, argv);
        return RunParadoxImportCommand(app.arguments());
    }
    TApplication app(argc, argv);
    // Qt's own dialogs (files, printing, page setup) speak Turkish too.
    QTranslator qtTurkish;
    if (qtTurkish.load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTurkish);
    return RunZelvan(app, app.arguments());
}
