#pragma once
// Writing a QTextDocument as Rich Text Format that word processors and our
// reader take back with the same text and look: Turkish code page, a font
// and colour table of what the text uses, one \pard per paragraph with its
// alignment, indents, spacing and tab stops, and each run with its full
// character formatting. Characters outside Windows-1254 go as \uN.

#include <QByteArray>

class QTextDocument;

QByteArray writeRtf(const QTextDocument &document);
