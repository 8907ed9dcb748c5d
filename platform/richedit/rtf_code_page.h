#pragma once
// The Windows code pages RTF text arrives in (\ansicpg, font character sets)
// and the Turkish one our writer uses, through glibc's iconv.

#include <QByteArray>
#include <QString>

// The code page a font character set (\fcharset) stands for; 0 when the
// character set names none (the document's code page applies).
int rtfCharsetCodePage(int charset);

// Bytes of a Windows code page (1250-1258, 874, 932, 936, 949, 950, 437,
// 850, 857, 10000) as text; bytes that do not decode become U+FFFD. An
// unknown code page decodes as 1252, which is what writers mean most often.
QString rtfDecode(const QByteArray &bytes, int codePage);

// The Windows-1254 byte of a character, or -1 when that code page lacks it.
int rtfTurkishByte(QChar c);
