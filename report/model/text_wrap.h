#pragma once
// Wrapping of one source line of a text object to a width, and the syllable
// rule that lets "WordBreak" split long words with a hyphen.
//
// Wrapped lines that end a source line carry the paragraph marker (code 1);
// lines made by wrapping inside a source line carry none.

#include <canvas.h>

#include <QList>
#include <QString>
#include <QStringList>

constexpr QChar qpParagraphMark(1);

// Appends the wrapped lines of s to out, measuring with the canvas's current
// font and character spacing. Linear in the length of s.
void qpWrapLine(TCanvas &canvas, const QString &s, int width, bool wordBreak, QStringList &out);

// Positions k (from 1) after which the word may be broken: the word is upper
// cased and each character classed by its Windows-1254 byte.
QList<int> qpSyllableBreaks(const QString &word);
