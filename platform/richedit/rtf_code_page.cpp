#include "rtf_code_page.h"

#include <QHash>
#include <QtEndian>
#include <cerrno>
#include <iconv.h>

// iconv writes UTF-16LE straight into QString storage.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);

namespace {

// iconv's name of a Windows code page number.
QByteArray iconvName(int codePage)
{
    switch (codePage) {
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "BIG5";
    case 437: return "CP437";
    case 850: return "CP850";
    case 857: return "IBM857";
    case 10000: return "MACINTOSH";
    default:
        if (codePage >= 1250 && codePage <= 1258)
            return "CP" + QByteArray::number(codePage);
        return QByteArray();
    }
}

// One converter per code page for the life of the process; iconv_open reads
// its tables from disk, so opening per run of text would be slow.
iconv_t converter(int codePage)
{
    static QHash<int, iconv_t> open;
    auto it = open.find(codePage);
    if (it != open.end())
        return *it;
    iconv_t cd = iconv_t(-1);
    const QByteArray name = iconvName(codePage);
    if (!name.isEmpty())
        cd = iconv_open("UTF-16LE", name.constData());
    if (cd == iconv_t(-1) && codePage != 1252)
        cd = converter(1252);
    open.insert(codePage, cd);
    return cd;
}

} // namespace

int rtfCharsetCodePage(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0; // 1 default, 2 symbol and the rest: the document's code page
    }
}

QString rtfDecode(const QByteArray &bytes, int codePage)
{
    iconv_t cd = converter(codePage);
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QString out(bytes.size(), Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *to = reinterpret_cast<char *>(out.data());
    size_t toLeft = size_t(out.size()) * 2;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &to, &toLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: no byte gives more than one UTF-16 unit
        // An invalid or cut-off sequence: one replacement character per byte.
        if (toLeft < 2)
            break;
        *reinterpret_cast<char16_t *>(to) = u'\uFFFD';
        to += 2;
        toLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - qsizetype(toLeft / 2));
    return out;
}

int rtfTurkishByte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u;
    static const QHash<char16_t, int> bytes = [] {
        QHash<char16_t, int> map;
        for (int b = 0x80; b < 0x100; ++b) {
            const QString s = rtfDecode(QByteArray(1, char(b)), 1254);
            if (s.size() == 1 && s.at(0) != QChar(0xFFFD))
                map.insert(s.at(0).unicode(), b);
        }
        return map;
    }();
    return bytes.value(u, -1);
}
