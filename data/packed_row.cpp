#include "packed_row.h"

#include <QDate>
#include <cstring>

namespace {
enum Tag : char { tNull, tDouble, tDate, tText, tBytes, tBlobPresent };

void putLength(QByteArray &out, quint32 n)
{
    while (n >= 0x80) {
        out.append(char((n & 0x7f) | 0x80));
        n >>= 7;
    }
    out.append(char(n));
}

quint32 getLength(const char *&p)
{
    quint32 n = 0;
    int shift = 0;
    for (;;) {
        const auto b = quint8(*p++);
        n |= quint32(b & 0x7f) << shift;
        if (!(b & 0x80))
            return n;
        shift += 7;
    }
}

// Steps over one value and returns where the next begins.
const char *skip(const char *p)
{
    switch (*p++) {
    case tDouble: return p + sizeof(double);
    case tDate: return p + sizeof(qint32);
    case tText:
    case tBytes: { const quint32 n = getLength(p); return p + n; }
    default: return p;
    }
}

QVariant read(const char *p)
{
    switch (*p++) {
    case tDouble: { double d; std::memcpy(&d, p, sizeof d); return d; }
    case tDate: { qint32 j; std::memcpy(&j, p, sizeof j); return QDate::fromJulianDay(j); }
    case tText: { const quint32 n = getLength(p); return QString::fromUtf8(p, n); }
    case tBytes: { const quint32 n = getLength(p); return QByteArray(p, n); }
    case tBlobPresent: return true;
    default: return QVariant();
    }
}
} // namespace

void PackedRow::Writer::null() { m_out.append(tNull); }

void PackedRow::Writer::number(double d)
{
    m_out.append(tDouble);
    m_out.append(reinterpret_cast<const char *>(&d), sizeof d);
}

void PackedRow::Writer::date(qint32 julianDay)
{
    m_out.append(tDate);
    m_out.append(reinterpret_cast<const char *>(&julianDay), sizeof julianDay);
}

void PackedRow::Writer::sized(char tag, const char *data, int size)
{
    m_out.append(tag);
    putLength(m_out, quint32(size));
    m_out.append(data, size);
}

void PackedRow::Writer::text(const char *utf8, int size) { sized(tText, utf8, size); }

void PackedRow::Writer::bytes(const QByteArray &b) { sized(tBytes, b.constData(), int(b.size())); }

void PackedRow::Writer::blobPresent() { m_out.append(tBlobPresent); }

PackedRow PackedRow::Writer::take()
{
    PackedRow row;
    row.m_bytes = QByteArray(m_out.constData(), m_out.size()); // exact size; the writer keeps its buffer
    m_out.resize(0);
    return row;
}

PackedRow PackedRow::pack(const QVector<QVariant> &values)
{
    Writer w;
    for (const QVariant &v : values) {
        switch (v.typeId()) {
        case QMetaType::UnknownType: w.null(); break;
        case QMetaType::Bool: w.blobPresent(); break;
        case QMetaType::QDate: w.date(qint32(v.toDate().toJulianDay())); break;
        case QMetaType::QString: {
            const QByteArray u = v.toString().toUtf8();
            w.text(u.constData(), int(u.size()));
            break;
        }
        case QMetaType::QByteArray: w.bytes(v.toByteArray()); break;
        default: w.number(v.toDouble());
        }
    }
    return w.take();
}

QVariant PackedRow::value(int column) const
{
    const char *p = m_bytes.constData();
    for (int i = 0; i < column; ++i)
        p = skip(p);
    return read(p);
}

QVector<QVariant> PackedRow::unpack(int columns) const
{
    QVector<QVariant> values;
    values.reserve(columns);
    const char *p = m_bytes.constData();
    for (int i = 0; i < columns; ++i) {
        values.append(read(p));
        p = skip(p);
    }
    return values;
}
