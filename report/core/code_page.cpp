#include "report/core/code_page.h"

namespace {

// Bytes 0x80..0x9F; the rest of the upper half is Latin-1 except six Turkish letters.
constexpr ushort kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,
};

constexpr ushort turkishLetter(unsigned char b)
{
    switch (b) {
    case 0xD0: return 0x011E;  // Ğ
    case 0xDD: return 0x0130;  // İ
    case 0xDE: return 0x015E;  // Ş
    case 0xF0: return 0x011F;  // ğ
    case 0xFD: return 0x0131;  // ı
    case 0xFE: return 0x015F;  // ş
    default: return b;
    }
}

}  // namespace

QChar qpAnsiToChar(unsigned char b)
{
    if (b < 0x80)
        return QChar(b);
    if (b < 0xA0)
        return QChar(kHigh[b - 0x80]);
    return QChar(turkishLetter(b));
}

int qpCharToAnsi(QChar c)
{
    const ushort u = c.unicode();
    if (u < 0x80)
        return u;
    if (u >= 0xA0 && u <= 0xFF) {
        // Latin-1 letters replaced by Turkish ones are not in the code page.
        switch (u) {
        case 0xD0: case 0xDD: case 0xDE: case 0xF0: case 0xFD: case 0xFE:
            return -1;
        default:
            return u;
        }
    }
    switch (u) {
    case 0x011E: return 0xD0;
    case 0x0130: return 0xDD;
    case 0x015E: return 0xDE;
    case 0x011F: return 0xF0;
    case 0x0131: return 0xFD;
    case 0x015F: return 0xFE;
    default: break;
    }
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u)
            return 0x80 + i;
    return -1;
}

int qpAnsiCompare(const QString &a, const QString &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        return qpAnsiOrderKey(pa[i]) - qpAnsiOrderKey(pb[i]);
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
