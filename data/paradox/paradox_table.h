#pragma once
// One table of the old program, a Paradox .db file, read through pxlib:
// its header facts, its fields and its records. Blob fields carry only their
// leading bytes and a pointer here; MbFile reads the rest.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

struct px_doc;

struct ParadoxField {
    QString name;
    int type = 0;   // pxlib's field type code (pxfAlpha, pxfNumber, ...)
    int length = 0; // bytes in the record
    int offset = 0; // from the start of the record
};

class ParadoxTable {
public:
    // Opens the file for reading; raises EDatabaseError when it is not a
    // readable Paradox table or is shorter than its header says.
    explicit ParadoxTable(const QString &path);
    ~ParadoxTable();
    ParadoxTable(const ParadoxTable &) = delete;
    ParadoxTable &operator=(const ParadoxTable &) = delete;

    // The code page its texts are in, from the header.
    int CodePage() const { return m_codePage; }
    int RecordCount() const { return m_recordCount; }
    const QList<ParadoxField> &Fields() const { return m_fields; }
    int FieldIndex(const QString &name) const; // -1 when absent
    bool HasBlobFields() const;

    // Makes record `recno` (from 0) the current one; raises when it cannot be read.
    void ReadRecord(int recno);

    // Values of the current record. A blank field (all its bytes zero) reads
    // as blank whatever its type, so a blank date never becomes a day.
    bool IsBlank(int field) const;
    double Number(int field) const;   // number, money, short, long, autoincrement
    QDate Date(int field) const;      // date or timestamp
    QByteArray Text(int field) const; // alpha: the bytes up to the first zero
    const char *Bytes(int field) const { return m_record.constData() + m_fields[field].offset; }

    static bool IsBlobType(int type);

private:
    void readLayout(const QString &path);

    px_doc *m_doc = nullptr;
    QString m_file;
    QList<ParadoxField> m_fields;
    QByteArray m_record;
    int m_codePage = 0;
    int m_recordCount = 0;
    QString m_lastError;
    friend void paradoxError(px_doc *, int, const char *, void *);
};
