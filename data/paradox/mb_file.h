#pragma once
// The blob file (.mb) of an old Paradox table, read by us: the blob pointer
// at the end of a blob field gives the file offset, the length and the
// modification number. The file is made of 4 KiB blocks: a block of one
// blob (type 2) or a block shared by up to 64 small blobs (type 3).

#include <QByteArray>
#include <QFile>
#include <QString>

class MbFile {
public:
    // Without a path the table has no blob file: only blobs kept whole in
    // their rows can be read. Raises when the file cannot be opened.
    explicit MbFile(const QString &path = QString());
    ~MbFile();
    MbFile(const MbFile &) = delete;
    MbFile &operator=(const MbFile &) = delete;

    // The whole blob of a blob field, given the field's bytes in the row
    // (`length` of them: the leading part, then the 10-byte pointer). Empty
    // for a blank field; raises when the pointer does not lead to a blob of
    // its length and modification number.
    QByteArray Blob(const char *field, int length) const;

private:
    QByteArray singleBlob(quint32 block, quint32 size, quint16 mod) const;
    QByteArray subAllocatedBlob(quint32 block, int index, quint32 size, quint16 mod) const;
    const uchar *at(qint64 offset, qint64 count) const;

    QFile m_file;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
};
