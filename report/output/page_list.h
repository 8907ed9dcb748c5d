#pragma once
// The page list an operator types to print or export part of a prepared
// report: numbers and ranges separated by commas ("1,3,5-12"), blanks
// anywhere, and an open range ("5-") that runs to the last page.

#include <QList>
#include <QString>

struct TqpPageList {
    bool All = true;  // nothing but blanks was typed: every page
    QList<int> Pages; // otherwise the chosen pages, ascending, each once

    bool Contains(int pageNo) const;

    // Reads `text` for a prepared report of `pageCount` pages. A part that
    // is not an integer (an empty one too, as in "1,,3" or a leading "-")
    // raises EConvertError. A range whose end is below its start chooses
    // nothing; numbers outside 1..pageCount choose nothing.
    static TqpPageList Parse(const QString &text, int pageCount);
};
