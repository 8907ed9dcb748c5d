#pragma once
// Windows-1254 (Turkish ANSI), the code page of every byte-oriented text of
// the engine. Text is QString inside; this is the one place that knows which
// byte a character has, for comparisons that are defined byte by byte and for
// readers and writers of the engine's files.

#include <QChar>
#include <QString>

// The character of a Windows-1254 byte. The five bytes the code page leaves
// undefined map to the C1 control character of the same value.
QChar qpAnsiToChar(unsigned char b);

// The Windows-1254 byte of a character, or -1 when the code page cannot hold it.
int qpCharToAnsi(QChar c);

// Sort key for byte-wise comparison: the byte for characters the code page
// holds, otherwise 0x100 + the UTF-16 unit, so that such characters sort after
// every byte and still compare distinct from each other.
inline int qpAnsiOrderKey(QChar c)
{
    const ushort u = c.unicode();
    if (u < 0x80)
        return u;
    const int b = qpCharToAnsi(c);
    return b >= 0 ? b : 0x100 + u;
}

// Byte-wise comparison of two texts as Windows-1254 strings, case
// significant, a prefix being less. Returns <0, 0 or >0.
int qpAnsiCompare(const QString &a, const QString &b);
