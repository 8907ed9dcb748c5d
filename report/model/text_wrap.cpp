#include "report/model/text_wrap.h"

#include "report/core/code_page.h"
#include "report/core/conversions.h"

#include <algorithm>
#include <array>

namespace {

bool isBreakChar(QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); }
bool isSpace(QChar c) { return c == QLatin1Char(' '); }
bool isWordDelimiter(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

// The syllable classes are sets of code-page bytes: the vowels and the two
// sign letters of the upper half, and the word delimiters.
constexpr std::array<int, 10> kVowels{168, 192, 197, 200, 206, 211, 219, 221, 222, 223};
constexpr std::array<int, 2> kSigns{218, 220};
constexpr std::array<int, 4> kDelimiters{32, 44, 45, 46};

template<std::size_t N>
bool inSet(const std::array<int, N> &set, int b)
{
    return std::find(set.begin(), set.end(), b) != set.end();
}

} // namespace

QList<int> qpSyllableBreaks(const QString &word)
{
    QList<int> breaks;
    const QString w = qpUpperCase(word);
    const int n = int(w.size());
    if (n < 4)
        return breaks;
    const auto byteAt = [&](int k) { return qpCharToAnsi(w.at(k - 1)); };
    const auto vowel = [&](int k) { return inSet(kVowels, byteAt(k)); };
    const auto sign = [&](int k) { return inSet(kSigns, byteAt(k)); };
    // Positions are kept in one byte each.
    for (int k = 2; k <= std::min(n - 2, 255); ++k) {
        const bool v = vowel(k);
        if ((v && (vowel(k + 1) || vowel(k + 2))) || (!v && sign(k) && !inSet(kDelimiters, byteAt(k + 2))) ||
            (!v && !vowel(k + 1) && !sign(k + 1) && vowel(k + 2)))
            breaks.append(k);
    }
    return breaks;
}

void qpWrapLine(TCanvas &canvas, const QString &s, int width, bool wordBreak, QStringList &out)
{
    const int n = int(s.size());
    // prefix[k]: width of s[1..k]; the canvas adds whole-pixel advances, so
    // the width of any run is a difference of two prefixes.
    const QList<int> advances = canvas.CharWidths(s);
    QList<int> prefix(n + 1, 0);
    for (int k = 1; k <= n; ++k)
        prefix[k] = prefix[k - 1] + advances.at(k - 1);
    const auto widthOf = [&](int from, int to) { return prefix[to] - prefix[from - 1]; };
    const auto at = [&](int k) { return s.at(k - 1); };
    const auto part = [&](int from, int to) { return s.mid(from - 1, std::max(0, to - from + 1)); };

    const bool hasBreak = std::any_of(s.begin(), s.end(), isBreakChar);
    if (!hasBreak && (n <= 1 || prefix[n] <= width)) {
        out.append(s + qpParagraphMark);
        return;
    }
    const int hyphenWidth = canvas.TextWidth(QStringLiteral("-"));
    int b = 1, c = 1, i = 1;
    while (i <= n) {
        if (isBreakChar(at(i))) {
            out.append(part(b, i - 1) + qpParagraphMark);
            while (i < n && isBreakChar(at(i)))
                ++i;
            b = c = i;
            if (isBreakChar(at(i)))
                return; // the line ended with breaks: nothing more to emit
            continue;
        }
        if (!isSpace(at(i)) && widthOf(b, i) > width) {
            bool hyphenated = false;
            if (wordBreak) {
                // Break positions exist up to 255 only, and each looks two
                // characters ahead, so 257 characters of the word decide them.
                int j = i;
                while (j <= n && j <= c + 257 && !isWordDelimiter(at(j)))
                    ++j;
                for (int k : qpSyllableBreaks(part(c + 1, j - 1))) {
                    if (widthOf(b, c + k) + hyphenWidth > width)
                        break;
                    hyphenated = true;
                    i = c + k;
                }
                if (hyphenated)
                    c = i;
            }
            // Without a hyphenation that fits, the line breaks as it would
            // without "WordBreak": at the last blank, or inside a word
            // longer than the line, so that no character is lost.
            if (!hyphenated && c == b)
                c = i;
            if (hyphenated) {
                out.append(part(b, c) + QLatin1Char('-'));
            } else if (isSpace(at(c))) {
                out.append(part(b, c - 1));
            } else {
                out.append(part(b, c - 1));
                --c;
            }
            b = c = c + 1;
        }
        if (isSpace(at(i)))
            c = i;
        ++i;
    }
    if (b != i)
        out.append(part(b, n) + qpParagraphMark);
}
