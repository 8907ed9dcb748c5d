#pragma once
// Coming from the old program: its Paradox tables brought into a register,
// from the command line (`zelvan --import-paradox OLD_FOLDER [FOLDER]`) or
// when the program finds them in its working folder.

#include <QDir>
#include <QStringList>

// The option that asks for an import without windows.
extern const char *const kImportOption;

// Runs the import named by `arguments` (the program's name, the option, the
// old folder and optionally the register folder, else ~/Zelvan): one line
// per table on standard output; 0 on success, 1 with a one-line reason on
// standard error.
int RunParadoxImportCommand(const QStringList &arguments);

// Asks whether the old tables found in `folder` are to be brought in; when
// the operator agrees they are, with a progress window, and the old files
// move into "Eski" inside the folder. False when the operator declines;
// raises when the import fails, and then nothing has changed.
bool OfferParadoxImport(const QString &folder);

// A new register in `folder` gets the shipped print templates, copied into
// `into` (the folder itself, or where an import gathers the register's
// files); templates already in the folder (the operator's own) are left alone.
void CopyShippedTemplates(const QDir &folder, const QDir &into);
