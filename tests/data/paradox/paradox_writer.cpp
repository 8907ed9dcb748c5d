#include "paradox_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <stdexcept>
#include <string>

extern "C" {
#include <paradox.h>
}

namespace {

int recordLength(const OldField &f)
{
    switch (f.type) {
    case pxfAlpha: return f.size;
    case pxfDate: case pxfLong: case pxfAutoInc: return 4;
    case pxfShort: return 2;
    case pxfNumber: case pxfCurrency: case pxfTimestamp: return 8;
    default: return f.size + 10; // blobs: the leading bytes and the pointer
    }
}

} // namespace

// pxlib's writer seeks and reads the file back for every record; on a
// file on disk that makes a large table take minutes. The files are built
// in memory (reserved, filled as written) and saved when the table closes.
ParadoxWriter::Buffer::Buffer()
{
    void *p = mmap(nullptr, kCapacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::runtime_error("no memory for a fixture table");
    data = static_cast<char *>(p);
    stream = fmemopen(data, kCapacity, "w+");
    if (!stream)
        throw std::runtime_error("fmemopen failed");
}

ParadoxWriter::Buffer::~Buffer() { munmap(data, kCapacity); }

long ParadoxWriter::Buffer::size() const
{
    std::fflush(stream);
    std::fseek(stream, 0, SEEK_END);
    return std::ftell(stream);
}

void ParadoxWriter::Buffer::save(const QString &path, long bytes) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data, bytes) != bytes)
        throw std::runtime_error("cannot save a fixture table");
}

ParadoxWriter::ParadoxWriter(const QString &path, const QList<OldField> &fields, int codePage)
    : m_fields(fields), m_codePage(codePage), m_path(path)
{
    PX_boot();
    m_doc = PX_new();
    // pxlib keeps the array and frees it with the document.
    auto *defs = static_cast<pxfield_t *>(calloc(size_t(fields.size()), sizeof(pxfield_t)));
    int offset = 0;
    bool blobs = false;
    for (int i = 0; i < fields.size(); ++i) {
        defs[i].px_fname = strdup(fields[i].name);
        defs[i].px_ftype = char(fields[i].type);
        defs[i].px_flen = recordLength(fields[i]);
        m_offsets << offset;
        offset += defs[i].px_flen;
        blobs = blobs || fields[i].type == pxfMemoBLOb || fields[i].type == pxfGraphic || fields[i].type == pxfBLOb;
    }
    if (PX_create_fp(m_doc, defs, int(fields.size()), m_db.stream, pxfFileTypNonIndexDB) < 0)
        throw std::runtime_error("PX_create_fp failed");
    PX_set_tablename(m_doc, QFileInfo(path).fileName().toLatin1().constData());
    m_doc->px_head->px_doscodepage = codePage;
    if (blobs) {
        m_mb = std::make_unique<Buffer>();
        if (PX_set_blob_fp(m_doc, m_mb->stream) < 0)
            throw std::runtime_error("PX_set_blob_fp failed");
    }
    m_record.fill('\0', offset);
}

ParadoxWriter::~ParadoxWriter()
{
    // pxlib closes or forgets the blob stream with the table: measured first.
    const long mbSize = m_mb ? m_mb->size() : 0;
    PX_close(m_doc);
    PX_delete(m_doc);
    m_db.save(m_path, m_db.size());
    std::fclose(m_db.stream);
    if (m_mb)
        m_mb->save(QDir(QFileInfo(m_path).path()).filePath(QFileInfo(m_path).completeBaseName() + QStringLiteral(".mb")), mbSize);
}

int ParadoxWriter::index(const char *field) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (std::strcmp(m_fields[i].name, field) == 0)
            return i;
    throw std::runtime_error(std::string("no field ") + field);
}

QByteArray ParadoxWriter::encode(const QString &text, int codePage)
{
    static const char16_t letters[] = u"ıİşŞğĞçÇöÖüÜ";
    static const uchar cp1254[] = {0xFD, 0xDD, 0xFE, 0xDE, 0xF0, 0xD0, 0xE7, 0xC7, 0xF6, 0xD6, 0xFC, 0xDC};
    static const uchar cp857[] = {0x8D, 0x98, 0x9F, 0x9E, 0xA7, 0xA6, 0x87, 0x80, 0x94, 0x99, 0x81, 0x9A};
    QByteArray out;
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            out += char(c.unicode());
            continue;
        }
        const char16_t *at = std::char_traits<char16_t>::find(letters, 12, c.unicode());
        if (!at)
            throw std::runtime_error("letter outside the fixture's table");
        out += char((codePage == 857 ? cp857 : cp1254)[at - letters]);
    }
    return out;
}

void ParadoxWriter::text(const char *field, const QString &value)
{
    const int i = index(field);
    QByteArray bytes = encode(value, m_codePage);
    PX_put_data_alpha(m_doc, m_record.data() + m_offsets[i], m_fields[i].size, bytes.data());
}

void ParadoxWriter::number(const char *field, double value)
{
    const int i = index(field);
    char *p = m_record.data() + m_offsets[i];
    switch (m_fields[i].type) {
    case pxfShort: PX_put_data_short(m_doc, p, 2, short(value)); break;
    case pxfLong: case pxfAutoInc: PX_put_data_long(m_doc, p, 4, int(value)); break;
    default: PX_put_data_double(m_doc, p, 8, value);
    }
}

void ParadoxWriter::date(const char *field, QDate value)
{
    const int i = index(field);
    // Day 1 is 1 January of year 1.
    PX_put_data_long(m_doc, m_record.data() + m_offsets[i], 4, int(value.toJulianDay() - 1721425));
}

void ParadoxWriter::blob(const char *field, const QByteArray &bytes)
{
    const int i = index(field);
    QByteArray copy = bytes;
    if (PX_put_data_blob(m_doc, m_record.data() + m_offsets[i], m_fields[i].size + 10, copy.data(), int(copy.size())) < 0)
        throw std::runtime_error("PX_put_data_blob failed");
}

void ParadoxWriter::post()
{
    if (PX_put_record(m_doc, m_record.data()) < 0)
        throw std::runtime_error("PX_put_record failed");
    m_record.fill('\0');
}

QList<OldField> OldTables::Uye(int moneyType)
{
    return {{"KayitNo", pxfNumber}, {"Tarih", pxfDate}, {"AdiSoyadi", pxfAlpha, 50}, {"BabaAdi", pxfAlpha, 30},
            {"AnaAdi", pxfAlpha, 30}, {"Uyrugu", pxfAlpha, 10}, {"Dyeri", pxfAlpha, 30}, {"Dyili", pxfNumber},
            {"EvAdresi", pxfMemoBLOb, 10}, {"IsAdresi", pxfMemoBLOb, 10}, {"Gsm", pxfAlpha, 20}, {"EvTel", pxfAlpha, 20},
            {"IsTel", pxfAlpha, 20}, {"KanGrubu", pxfAlpha, 10}, {"KimlikNo", pxfAlpha, 13}, {"Vilayet", pxfAlpha, 30},
            {"Kazasi", pxfAlpha, 30}, {"Nahiyesi", pxfAlpha, 30}, {"Mahalle", pxfAlpha, 30}, {"Sokak", pxfAlpha, 30},
            {"EvNo", pxfAlpha, 10}, {"CiltNo", pxfAlpha, 10}, {"SayfaNo", pxfAlpha, 10}, {"MedeniHali", pxfAlpha, 10},
            {"Referans", pxfAlpha, 100}, {"Aidat", moneyType}, {"Alinan", moneyType}, {"AidatTar", pxfDate},
            {"Not", pxfAlpha, 255}, {"Resim", pxfGraphic, 10}};
}

QList<OldField> OldTables::Aidat(int moneyType)
{
    return {{"KayitNo", pxfNumber}, {"Yil", pxfAlpha, 5}, {"OdemeTarihi", pxfDate}, {"Aidat", moneyType},
            {"Alinan", moneyType}, {"Kalan", moneyType}, {"Odeyen", pxfAlpha, 50}, {"Oran", pxfNumber}};
}

QList<OldField> OldTables::Sehir() { return {{"Plaka", pxfAlpha, 2}, {"Sehir", pxfAlpha, 30}, {"Ilce", pxfAlpha, 50}}; }

QList<OldField> OldTables::Ilce()
{
    return {{"Ilce", pxfAlpha, 50}, {"Ilce1", pxfAlpha, 50}, {"Sehir", pxfAlpha, 30}, {"Plaka", pxfNumber}};
}

QList<OldField> OldTables::Mahal()
{
    return {{"Ilce", pxfAlpha, 50}, {"Mahalle", pxfAlpha, 50}, {"Plaka", pxfNumber}, {"Sehir", pxfAlpha, 30}};
}
