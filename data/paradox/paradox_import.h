#pragma once
// Bringing the old program's Paradox tables into a new register. The new
// tables are built in a hidden folder inside the register folder and checked
// against the old ones; only then is the import committed (a marker file),
// and only after that are the old tables moved aside (when they were in the
// register folder itself) and the new ones moved into place. A run cut short
// before the commit leaves the old files as they were and nothing new that
// counts; one cut short after it is finished by Recover.

#include <QDir>
#include <QString>
#include <functional>

namespace ParadoxImport {

// Where refused rows are written, in the register folder.
extern const char *const kErrorFile;
// Where old tables found in the register folder itself are moved.
extern const char *const kOldFolder;

// True when `folder` holds the old program's member table: a Paradox file
// named Uye.db (in any letter case) where our own table would be.
bool HoldsOldTables(const QString &folder);

// Deals with what an import cut short left in `folder`: finishes one that
// was committed, removes the unfinished work of one that was not.
void Recover(const QString &folder);

// Imports the five tables of `oldFolder` into a new register in `folder`
// (created when missing; a folder that already holds a register is
// refused). `progress` receives one line per table; `addFiles`, when given,
// puts further files of a new register into the folder it is handed, to
// arrive together with the tables. Returns the number of refused rows,
// written to kErrorFile. Raises EDatabaseError with a one-line reason naming
// the table and row; then the old files are where they were and no new
// table is left behind.
int Run(const QString &oldFolder, const QString &folder, const std::function<void(const QString &)> &progress,
        const std::function<void(const QDir &)> &addFiles = {});

} // namespace ParadoxImport
