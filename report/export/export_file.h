#pragma once
// The file an export writes: created under a temporary name in the target's
// folder and renamed over the target only when complete, so a failure (a
// folder that cannot be written, a full disk, an error in the middle) leaves
// any earlier file as it was and no half-written file behind.

#include <QSaveFile>
#include <QString>

class TqpExportFile {
public:
    // Opens the temporary file; raises EWriteError with the reason in one line.
    explicit TqpExportFile(const QString &fileName);
    TqpExportFile(const TqpExportFile &) = delete;
    TqpExportFile &operator=(const TqpExportFile &) = delete;

    QIODevice &Device() { return m_file; }
    // Puts the file in place; raises EWriteError when anything failed on
    // the way (the earlier file stays).
    void Commit();

private:
    [[noreturn]] void fail();
    QSaveFile m_file;
};
