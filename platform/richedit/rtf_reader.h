#pragma once
// Reading Rich Text Format into a QTextDocument: paragraphs with alignment,
// indents, spacing and tab stops; runs with font, size, bold, italic,
// underline, strike-out, colours, raised and lowered text; text in any
// Windows code page (\ansicpg, \fcharset, \'xx) and Unicode (\uN).
// Everything else (style sheets, pictures, fields' instructions, headers,
// unknown and \* destinations) is skipped. Damaged input never stops the
// reader: missing closing braces are supplied at the end, text after the
// outermost group and a stray closing brace end it, nesting beyond a
// sane depth stays at that depth, and oversized numbers saturate.

#include <QByteArray>

class QTextDocument;

// Replaces the document's content with the RTF text.
void readRtf(const QByteArray &rtf, QTextDocument &document);
