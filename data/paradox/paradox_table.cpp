#include "paradox_table.h"

#include "db_error.h"

#include <QFileInfo>
#include <cstring>
extern "C" {
#include <paradox.h>
}

// pxlib reports through this handler instead of printing; the last message
// becomes part of the error we raise.
void paradoxError(px_doc *, int, const char *message, void *data)
{
    static_cast<ParadoxTable *>(data)->m_lastError = QString::fromLocal8Bit(message);
}

namespace {

// Paradox counts days from 1 January of year 1 (day 1) in the proleptic
// Gregorian calendar; Qt counts Julian days.
constexpr qint64 kJulianDayBeforeYearOne = 1721425;

} // namespace

ParadoxTable::ParadoxTable(const QString &path) : m_file(QFileInfo(path).fileName())
{
    static const bool booted = (PX_boot(), true);
    Q_UNUSED(booted);
    m_doc = PX_new3(paradoxError, nullptr, nullptr, nullptr, this);
    if (!m_doc)
        throw EDatabaseError(QStringLiteral("'%1' okunamadı: bellek yetersiz.").arg(m_file));
    if (PX_open_file(m_doc, QFile::encodeName(path).constData()) < 0) {
        const QString why = m_lastError;
        PX_delete(m_doc);
        m_doc = nullptr;
        throw EDatabaseError(QStringLiteral("'%1' bir Paradox tablosu olarak açılamadı: %2").arg(m_file, why));
    }
    try {
        readLayout(path);
    } catch (...) {
        PX_close(m_doc);
        PX_delete(m_doc);
        throw;
    }
}

void ParadoxTable::readLayout(const QString &path)
{
    const pxhead_t *head = m_doc->px_head;
    // pxlib reads whatever bytes a cut-off file still has as records; the
    // header says how long the file must be.
    const qint64 expected = qint64(head->px_headersize) + qint64(head->px_fileblocks) * head->px_maxtablesize * 1024;
    const qint64 actual = QFileInfo(path).size();
    if (head->px_recordsize <= 0 || head->px_numrecords < 0 || actual < expected)
        throw EDatabaseError(QStringLiteral("'%1' eksik ya da bozuk: başlığa göre %2 bayt olmalı, dosya %3 bayt.")
                                 .arg(m_file).arg(expected).arg(actual));
    m_codePage = head->px_doscodepage;
    m_recordCount = head->px_numrecords;
    int offset = 0;
    for (int i = 0; i < head->px_numfields; ++i) {
        const pxfield_t *f = PX_get_field(m_doc, i);
        m_fields.append({QString::fromLatin1(f->px_fname), f->px_ftype, f->px_flen, offset});
        offset += f->px_flen;
    }
    if (offset != head->px_recordsize)
        throw EDatabaseError(QStringLiteral("'%1' bozuk: alanların boyu kayıt boyuna eşit değil.").arg(m_file));
    m_record.resize(head->px_recordsize);
}

ParadoxTable::~ParadoxTable()
{
    if (m_doc) {
        PX_close(m_doc);
        PX_delete(m_doc);
    }
}

int ParadoxTable::FieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool ParadoxTable::IsBlobType(int type)
{
    return type == pxfMemoBLOb || type == pxfBLOb || type == pxfFmtMemoBLOb || type == pxfOLE || type == pxfGraphic;
}

bool ParadoxTable::HasBlobFields() const
{
    for (const ParadoxField &f : m_fields)
        if (IsBlobType(f.type))
            return true;
    return false;
}

void ParadoxTable::ReadRecord(int recno)
{
    m_lastError.clear();
    if (!PX_get_record(m_doc, recno, m_record.data()))
        throw EDatabaseError(QStringLiteral("kayıt okunamadı: %1").arg(m_lastError));
}

bool ParadoxTable::IsBlank(int field) const
{
    const char *p = Bytes(field);
    for (int i = 0; i < m_fields[field].length; ++i)
        if (p[i])
            return false;
    return true;
}

double ParadoxTable::Number(int field) const
{
    const ParadoxField &f = m_fields[field];
    char *p = const_cast<char *>(Bytes(field));
    switch (f.type) {
    case pxfNumber:
    case pxfCurrency: {
        double d = 0;
        PX_get_data_double(m_doc, p, f.length, &d);
        return d;
    }
    case pxfShort: {
        short s = 0;
        PX_get_data_short(m_doc, p, f.length, &s);
        return s;
    }
    case pxfLong:
    case pxfAutoInc: {
        long l = 0;
        PX_get_data_long(m_doc, p, f.length, &l);
        return double(l);
    }
    default: return 0;
    }
}

QDate ParadoxTable::Date(int field) const
{
    const ParadoxField &f = m_fields[field];
    char *p = const_cast<char *>(Bytes(field));
    if (f.type == pxfTimestamp) {
        // Milliseconds since the start of year 1, day 1 counting as one.
        double ms = 0;
        PX_get_data_double(m_doc, p, f.length, &ms);
        return QDate::fromJulianDay(qint64(ms / 86400000.0) + kJulianDayBeforeYearOne);
    }
    long days = 0;
    PX_get_data_long(m_doc, p, f.length, &days);
    return QDate::fromJulianDay(days + kJulianDayBeforeYearOne);
}

QByteArray ParadoxTable::Text(int field) const
{
    const char *p = Bytes(field);
    const int length = m_fields[field].length;
    return QByteArray(p, int(qstrnlen(p, uint(length))));
}
