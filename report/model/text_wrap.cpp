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
    int guard = 0; // where the last overflow without a hyphen broke
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
                const QList<int> breaks = qpSyllableBreaks(part(c + 1, j - 1));
                if (!breaks.isEmpty()) {
                    // Retry from the last blank with the longest syllable
                    // prefix that still fits with its hyphen.
                    const int overflow = i;
                    i = c;
                    for (int k : breaks) {
                        if (widthOf(b, c + k) + hyphenWidth > width)
                            break;
                        hyphenated = true;
                        i = c + k;
                    }
                    // Going back to a blank that is not on the pending line
                    // would rescan the same word for ever, emitting empty
                    // lines: break inside the word instead.
                    if (!hyphenated && (c < b || !isSpace(at(c))))
                        i = overflow;
                }
                // Without a syllable that fits, the overflowing character
                // starts the next line and the line keeps its trailing blank.
                c = i;
            } else if (c == b) {
                c = i; // no blank on the pending line
            }
            if (hyphenated) {
                out.append(part(b, c) + QLatin1Char('-'));
            } else if (isSpace(at(c))) {
                out.append(part(b, c - 1));
            } else {
                // A word longer than the line: c is the overflowing character.
                out.append(part(b, c - 1));
                --c;
            }
            // Safety net of the loop: an overflow that recurs at the same
            // character without a hyphen stops the breaking of this line.
            if (wordBreak && !hyphenated && c == i - 1) {
                if (guard == i) {
                    b = i + 1;
                    i = n;
                    break;
                }
                guard = i;
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
