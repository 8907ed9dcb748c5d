#pragma once
// The byte layer of every binary format of the engine (templates, prepared
// pages, object copies): little-endian integers, strings with a 16-bit
// length, text lines, fonts, and the older string forms of versions 21 and
// 22. Text is QString inside and Windows-1254 bytes in the stream; a
// character that code page cannot hold stops the write with EWriteError
// rather than turning silently into something else, unless the stream is
// marked to replace such characters (prepared pages: their text comes from
// data, and a build must not stop on it). A stream that ends inside a value
// raises EReadError.

#include <QIODevice>
#include <QString>
#include <QStringList>

// A report font as the engine stores it. Style is the canvas's style set
// (fsBold 1, fsItalic 2, ...); the stored code numbers italic first.
struct TqpFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    int Style = 0;
    quint32 Color = 0;
    int Charset = 1;
    bool operator==(const TqpFont &) const = default;
};

// Style set to stored code (1 italic, 2 bold, 4 underline, 8 strikeout) and
// back: the two lowest bits swap places.
int qpGetFontStyle(int styleSet);
int qpSetFontStyle(int code);

// What becomes of a character outside Windows-1254: refused with
// EWriteError, or written as one "?" (a character beyond UTF-16's first
// plane, such as an emoji, is one character and one "?").
enum TqpUnmappedText { utRefuse, utReplace };
QByteArray qpToAnsi(const QString &text, TqpUnmappedText unmapped = utRefuse);
QString qpFromAnsi(const QByteArray &bytes);

// Marks a stream whose strings and text lines replace characters outside
// the code page instead of refusing them; other streams refuse.
void qpReplaceUnmappedText(QIODevice &s);

void qpWriteByte(QIODevice &s, quint8 v);
void qpWriteWord(QIODevice &s, quint16 v);
void qpWriteInteger(QIODevice &s, qint32 v);
void qpWriteBoolean(QIODevice &s, bool v); // one byte
quint8 qpReadByte(QIODevice &s);
quint16 qpReadWord(QIODevice &s);
qint32 qpReadInteger(QIODevice &s);
bool qpReadBoolean(QIODevice &s);

// u16 length, the bytes, a 0 byte. More than 65535 bytes is refused (EWriteError).
void qpWriteString(QIODevice &s, const QString &text);
QString qpReadString(QIODevice &s);
// u16 count (0: a single 0 byte follows); per line u16 length, bytes, then
// 13 after every line but the last and 0 after the last.
void qpWriteMemo(QIODevice &s, const QStringList &lines);
void qpReadMemo(QIODevice &s, QStringList &lines);
// Versions 21 and 22: bytes up to a 0 byte; in text lines each 13 ends a line.
QString qpReadString22(QIODevice &s);
void qpReadMemo22(QIODevice &s, QStringList &lines);
// The reader that fits qpVersion: the old forms below version 23.
QString qpReadVersionString(QIODevice &s);
void qpReadVersionMemo(QIODevice &s, QStringList &lines);

// End positions: a placeholder written before a part of a record, patched
// with the offset of the first byte after that part once it is written; the
// stream is left at that offset.
qint64 qpWriteEndPlaceholder(QIODevice &s);
void qpPatchEndPosition(QIODevice &s, qint64 placeholder);
// Reads an end position that must lie between the current position and the
// end of the stream (EReadError otherwise).
qint64 qpReadEndPosition(QIODevice &s);

// Name; i32 size; u16 style code; i32 colour; u16 character set.
void qpWriteFont(QIODevice &s, const TqpFont &font);
void qpReadFont(QIODevice &s, TqpFont &font);
