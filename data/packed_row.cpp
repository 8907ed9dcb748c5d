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

PackedRow PackedRow::pack(const QVector<QVariant> &values)
{
    PackedRow row;
    QByteArray &out = row.m_bytes;
    for (const QVariant &v : values) {
        switch (v.typeId()) {
        case QMetaType::UnknownType: out.append(tNull); break;
        case QMetaType::Bool: out.append(tBlobPresent); break;
        case QMetaType::QDate: {
            out.append(tDate);
            const qint32 j = qint32(v.toDate().toJulianDay());
            out.append(reinterpret_cast<const char *>(&j), sizeof j);
            break;
        }
        case QMetaType::QString: {
            const QByteArray u = v.toString().toUtf8();
            out.append(tText);
            putLength(out, quint32(u.size()));
            out.append(u);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            out.append(tBytes);
            putLength(out, quint32(b.size()));
            out.append(b);
            break;
        }
        default: {
            out.append(tDouble);
            const double d = v.toDouble();
            out.append(reinterpret_cast<const char *>(&d), sizeof d);
        }
        }
    }
    out.squeeze();
    return row;
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
