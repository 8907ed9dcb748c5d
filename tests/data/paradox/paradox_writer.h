#pragma once
// Writes Paradox tables as the old program left them, with pxlib's writer:
// the fixtures of the import tests and the benchmark. Texts are encoded here
// by a table of the Turkish letters of both code pages, independently of the
// importer's decoder.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <cstdio>
#include <memory>

struct px_doc;

struct OldField {
    const char *name;
    int type;     // pxlib's field type code
    int size = 0; // text: characters; blobs: bytes kept in the row
};

class ParadoxWriter {
public:
    // Creates `path` (and its .mb beside it when a field is a blob) with the
    // given code page in its header.
    ParadoxWriter(const QString &path, const QList<OldField> &fields, int codePage);
    ~ParadoxWriter();
    ParadoxWriter(const ParadoxWriter &) = delete;
    ParadoxWriter &operator=(const ParadoxWriter &) = delete;

    // Values of the next record, by field name; fields left alone stay blank.
    void text(const char *field, const QString &value);
    void number(const char *field, double value); // number, money, short or long field
    void date(const char *field, QDate value);
    void blob(const char *field, const QByteArray &bytes); // memo bytes already encoded, or a picture
    void post();

    // The bytes of `text` in code page 1254 or 857.
    static QByteArray encode(const QString &text, int codePage);

private:
    int index(const char *field) const;

    struct Buffer {
        static constexpr size_t kCapacity = size_t(1) << 30;
        Buffer();
        ~Buffer();
        long size() const;
        void save(const QString &path, long bytes) const;
        char *data = nullptr;
        FILE *stream = nullptr;
    };

    Buffer m_db;
    std::unique_ptr<Buffer> m_mb;
    px_doc *m_doc = nullptr;
    QList<OldField> m_fields;
    QList<int> m_offsets;
    QByteArray m_record;
    int m_codePage;
    QString m_path;
};

// The five tables of the old program, in the layouts the old program used,
// in `folder`; money fields are of type `moneyType` (number or money).
struct OldTables {
    static QList<OldField> Uye(int moneyType);
    static QList<OldField> Aidat(int moneyType);
    static QList<OldField> Sehir();
    static QList<OldField> Ilce();
    static QList<OldField> Mahal();
};
