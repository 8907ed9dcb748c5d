#include "report/model/stream_utils.h"

#include "report/core/code_page.h"
#include "report/core/string_table.h"
#include "report/model/model_errors.h"
#include "report/model/model_globals.h"

#include <QtEndian>
#include <limits>

namespace {

void readExactly(QIODevice &s, char *to, qint64 n)
{
    if (n > 0 && s.read(to, n) != n)
        throw EReadError(qpLoadStr(qpMsgStreamRead));
}

void writeBytes(QIODevice &s, const char *from, qint64 n)
{
    if (n > 0 && s.write(from, n) != n)
        throw EWriteError(s.errorString());
}

template<typename T>
void writeLE(QIODevice &s, T v)
{
    char b[sizeof(T)];
    qToLittleEndian(v, b);
    writeBytes(s, b, sizeof(T));
}

template<typename T>
T readLE(QIODevice &s)
{
    char b[sizeof(T)];
    readExactly(s, b, sizeof(T));
    return qFromLittleEndian<T>(b);
}

void writeCounted(QIODevice &s, const QByteArray &bytes)
{
    if (bytes.size() > 0xFFFF)
        throw EWriteError(qpLoadStr(qpMsgStringTooLong).arg(bytes.size()));
    qpWriteWord(s, quint16(bytes.size()));
    writeBytes(s, bytes.constData(), bytes.size());
}

QByteArray readCounted(QIODevice &s)
{
    QByteArray bytes(qpReadWord(s), Qt::Uninitialized);
    readExactly(s, bytes.data(), bytes.size());
    return bytes;
}

const char *const kReplaceUnmapped = "qpReplaceUnmappedText";

QByteArray encode(const QIODevice &s, const QString &text)
{
    // The stream's mark is looked up only for the rare text that needs it.
    try {
        return qpToAnsi(text);
    } catch (const EWriteError &) {
        if (!s.property(kReplaceUnmapped).toBool())
            throw;
        return qpToAnsi(text, utReplace);
    }
}

// Bytes up to a 0 byte (consumed), for the old string forms.
QByteArray readUpToZero(QIODevice &s)
{
    QByteArray bytes;
    for (char c; (c = char(qpReadByte(s))) != 0;)
        bytes.append(c);
    return bytes;
}

} // namespace

int qpGetFontStyle(int styleSet) { return (styleSet & ~3) | ((styleSet & 1) << 1) | ((styleSet & 2) >> 1); }
int qpSetFontStyle(int code) { return qpGetFontStyle(code); }

QByteArray qpToAnsi(const QString &text, TqpUnmappedText unmapped)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = qpCharToAnsi(text.at(i));
        if (b >= 0) {
            bytes[n++] = char(b);
            continue;
        }
        // A surrogate pair is one character.
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (unmapped == utRefuse)
            throw EWriteError(qpLoadStr(qpMsgNotInCodePage).arg(text.mid(i, pair ? 2 : 1), text.left(200)));
        bytes[n++] = '?';
        if (pair)
            ++i;
    }
    bytes.truncate(n);
    return bytes;
}

QString qpFromAnsi(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = qpAnsiToChar(uchar(bytes.at(i)));
    return text;
}

void qpReplaceUnmappedText(QIODevice &s) { s.setProperty(kReplaceUnmapped, true); }

void qpWriteByte(QIODevice &s, quint8 v) { writeLE(s, v); }
void qpWriteWord(QIODevice &s, quint16 v) { writeLE(s, v); }
void qpWriteInteger(QIODevice &s, qint32 v) { writeLE(s, v); }
void qpWriteBoolean(QIODevice &s, bool v) { qpWriteByte(s, v ? 1 : 0); }
quint8 qpReadByte(QIODevice &s) { return readLE<quint8>(s); }
quint16 qpReadWord(QIODevice &s) { return readLE<quint16>(s); }
qint32 qpReadInteger(QIODevice &s) { return readLE<qint32>(s); }
bool qpReadBoolean(QIODevice &s) { return qpReadByte(s) != 0; }

void qpWriteString(QIODevice &s, const QString &text)
{
    writeCounted(s, encode(s, text));
    qpWriteByte(s, 0);
}

QString qpReadString(QIODevice &s)
{
    const QByteArray bytes = readCounted(s);
    qpReadByte(s); // the terminating byte, whatever it holds
    return qpFromAnsi(bytes);
}

void qpWriteMemo(QIODevice &s, const QStringList &lines)
{
    // The reader counts lines by their separators, not by this word; a count
    // beyond 65535 is capped so that it never wraps to 0 ("no lines").
    qpWriteWord(s, quint16(std::min<qsizetype>(lines.size(), 0xFFFF)));
    if (lines.isEmpty()) {
        qpWriteByte(s, 0);
        return;
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        writeCounted(s, encode(s, lines.at(i)));
        qpWriteByte(s, i + 1 < lines.size() ? 13 : 0);
    }
}

void qpReadMemo(QIODevice &s, QStringList &lines)
{
    lines.clear();
    if (qpReadWord(s) == 0) {
        qpReadByte(s);
        return;
    }
    quint8 separator;
    do {
        lines.append(qpFromAnsi(readCounted(s)));
        separator = qpReadByte(s);
    } while (separator != 0);
}

QString qpReadString22(QIODevice &s) { return qpFromAnsi(readUpToZero(s)); }

void qpReadMemo22(QIODevice &s, QStringList &lines)
{
    lines.clear();
    const QByteArray bytes = readUpToZero(s);
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes.at(i) == 13) {
            lines.append(qpFromAnsi(bytes.mid(start, i - start)));
            start = i + 1;
        }
    if (start < bytes.size())
        lines.append(qpFromAnsi(bytes.mid(start)));
}

QString qpReadVersionString(QIODevice &s) { return qpVersion < 23 ? qpReadString22(s) : qpReadString(s); }

void qpReadVersionMemo(QIODevice &s, QStringList &lines)
{
    if (qpVersion < 23)
        qpReadMemo22(s, lines);
    else
        qpReadMemo(s, lines);
}

qint64 qpWriteEndPlaceholder(QIODevice &s)
{
    const qint64 at = s.pos();
    qpWriteInteger(s, 0);
    return at;
}

void qpPatchEndPosition(QIODevice &s, qint64 placeholder)
{
    const qint64 end = s.pos();
    if (end > std::numeric_limits<qint32>::max())
        throw EWriteError(qpLoadStr(qpMsgStreamTooLong));
    if (!s.seek(placeholder))
        throw EWriteError(s.errorString());
    qpWriteInteger(s, qint32(end));
    if (!s.seek(end))
        throw EWriteError(s.errorString());
}

qint64 qpReadEndPosition(QIODevice &s)
{
    const qint64 end = qpReadInteger(s);
    if (end < s.pos() || end > s.size())
        throw EReadError(qpLoadStr(qpMsgStreamRead));
    return end;
}

void qpWriteFont(QIODevice &s, const TqpFont &font)
{
    qpWriteString(s, font.Name);
    qpWriteInteger(s, font.Size);
    qpWriteWord(s, quint16(qpGetFontStyle(font.Style)));
    qpWriteInteger(s, qint32(font.Color));
    qpWriteWord(s, quint16(font.Charset & 0xFF));
}

void qpReadFont(QIODevice &s, TqpFont &font)
{
    font.Name = qpReadString(s);
    font.Size = qpReadInteger(s);
    font.Style = qpSetFontStyle(qpReadWord(s));
    font.Color = quint32(qpReadInteger(s));
    font.Charset = qpReadWord(s) & 0xFF;
}
