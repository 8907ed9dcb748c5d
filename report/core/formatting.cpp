#include "report/core/formatting.h"

#include "report/core/conversions.h"

#include "data/format_settings.h"

#include <QDate>
#include <QStringList>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The decimal digits of |value| rounded half away from zero to `decimals`
// places, taken from the value's 17 significant digits.
void roundedDigits(double value, int decimals, QString &integer, QString &fraction)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
    const QString s = QString::fromLatin1(buf); // d.dddddddddddddddde±x
    const auto e = s.indexOf(QLatin1Char('e'));
    QString digits = s.left(e).remove(QLatin1Char('.'));
    int intLen = s.mid(e + 1).toInt() + 1;
    if (intLen <= 0) {
        digits.prepend(QString(-intLen, QLatin1Char('0')));
        intLen = 0;
    }
    const int keep = intLen + decimals;
    if (keep < digits.size()) {
        const bool up = digits.at(keep) >= QLatin1Char('5');
        digits.truncate(keep);
        if (up) {
            int i = int(digits.size()) - 1;
            while (i >= 0 && digits.at(i) == QLatin1Char('9'))
                digits[i--] = QLatin1Char('0');
            if (i >= 0) {
                digits[i] = QChar(digits.at(i).unicode() + 1);
            } else {
                digits.prepend(QLatin1Char('1'));
                ++intLen;
            }
        }
    }
    while (digits.size() < intLen + decimals)
        digits.append(QLatin1Char('0'));
    integer = digits.left(intLen);
    fraction = digits.mid(intLen, decimals);
    while (integer.size() > 1 && integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    if (integer.isEmpty())
        integer = QStringLiteral("0");
}

bool allZeros(const QString &integer, const QString &fraction)
{
    return integer == QLatin1String("0") && fraction.count(QLatin1Char('0')) == fraction.size();
}

QString grouped(const QString &integer)
{
    QString out;
    for (qsizetype i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0)
            out += formatSettings().ThousandSeparator;
        out += integer.at(i);
    }
    return out;
}

bool isQuote(QChar c) { return c == QLatin1Char('\'') || c == QLatin1Char('"'); }

bool isExponentAt(const QString &s, qsizetype i)
{
    return (s.at(i) == QLatin1Char('E') || s.at(i) == QLatin1Char('e')) && i + 1 < s.size()
           && (s.at(i + 1) == QLatin1Char('+') || s.at(i + 1) == QLatin1Char('-'));
}

// A picture's text with its quotes taken off.
QString literalText(const QString &s)
{
    QString out;
    QChar quote;
    for (QChar c : s) {
        if (!quote.isNull() && c == quote)
            quote = QChar();
        else if (quote.isNull() && isQuote(c))
            quote = c;
        else
            out += c;
    }
    return out;
}

// Splits a picture at ';' outside quotes.
QStringList sections(const QString &picture)
{
    QStringList out{QString()};
    QChar quote;
    for (QChar c : picture) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            out << QString();
            continue;
        }
        out.last() += c;
    }
    return out;
}

// What a number picture section asks for.
struct Picture {
    int intPlaces = 0, minInt = 0, fracMin = 0, fracMax = 0, expDigits = 0;
    bool grouping = false, scientific = false, expSignAlways = false, valid = false;

    explicit Picture(const QString &s)
    {
        bool afterPoint = false, seenZero = false;
        QChar quote;
        for (qsizetype i = 0; i < s.size(); ++i) {
            const QChar c = s.at(i);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (isQuote(c)) {
                quote = c;
            } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
                valid = true;
                if (afterPoint) {
                    ++fracMax;
                    if (c == QLatin1Char('0'))
                        fracMin = fracMax;
                } else {
                    ++intPlaces;
                    seenZero = seenZero || c == QLatin1Char('0');
                    if (seenZero)
                        ++minInt;
                }
            } else if (c == QLatin1Char('.')) {
                afterPoint = true;
            } else if (c == QLatin1Char(',')) {
                grouping = true;
            } else if (isExponentAt(s, i)) {
                scientific = true;
                expSignAlways = s.at(i + 1) == QLatin1Char('+');
                for (i += 2; i < s.size() && s.at(i) == QLatin1Char('0'); ++i)
                    ++expDigits;
                break; // places after the exponent are its digits
            }
        }
    }
};

QString applyPicture(const QString &section, double value)
{
    const Picture p(section);
    if (!p.valid)
        return literalText(section); // a picture without digit places is all text
    int exponent = 0;
    double v = std::fabs(value);
    const int leading = std::max(p.intPlaces, 1);
    if (p.scientific && v != 0) {
        exponent = int(std::floor(std::log10(v))) - (leading - 1);
        v /= std::pow(10.0, exponent);
    }
    QString integer, fraction;
    roundedDigits(v, p.fracMax, integer, fraction);
    if (p.scientific && integer.size() > leading) { // 9.99 rounded up to 10.0
        ++exponent;
        roundedDigits(std::fabs(value) / std::pow(10.0, exponent), p.fracMax, integer, fraction);
    }
    while (fraction.size() > p.fracMin && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer == QLatin1String("0") && p.minInt == 0)
        integer.clear();
    while (integer.size() < p.minInt)
        integer.prepend(QLatin1Char('0'));

    // Digits fill the integer places from the right; the first place also
    // takes every digit the picture has no room for. Text stays where it stands.
    QString out;
    const qsizetype count = integer.size();
    qsizetype intIndex = 0, fracIndex = 0, digitPos = 0;
    bool afterPoint = false;
    QChar quote;
    auto emitUpTo = [&](qsizetype end) {
        for (end = std::clamp<qsizetype>(end, 0, count); digitPos < end; ++digitPos) {
            out += integer.at(digitPos);
            const qsizetype left = count - digitPos - 1;
            if (p.grouping && left > 0 && left % 3 == 0)
                out += formatSettings().ThousandSeparator;
        }
    };
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (!afterPoint)
                emitUpTo(intIndex++ - (p.intPlaces - count) + 1);
            else if (fracIndex < fraction.size())
                out += fraction.at(fracIndex++);
        } else if (c == QLatin1Char('.')) {
            if (!afterPoint) {
                afterPoint = true;
                emitUpTo(count);
                if (!fraction.isEmpty())
                    out += formatSettings().DecimalSeparator;
            }
        } else if (c == QLatin1Char(',')) {
            // grouping goes with the digits
        } else if (p.scientific && isExponentAt(section, i)) {
            emitUpTo(count);
            out += c;
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (p.expSignAlways)
                out += QLatin1Char('+');
            out += QString::number(std::abs(exponent)).rightJustified(p.expDigits, QLatin1Char('0'));
            i += 1 + p.expDigits;
        } else {
            out += c;
        }
    }
    emitUpTo(count);
    return out;
}

bool roundsToZero(const QString &section, double value)
{
    QString integer, fraction;
    roundedDigits(value, Picture(section).fracMax, integer, fraction);
    return allZeros(integer, fraction);
}

} // namespace

QString qpFormatFloat(const QString &picture, double value)
{
    if (picture.isEmpty() || !std::isfinite(value))
        return qpFloatToStr(value);
    const QStringList parts = sections(picture);
    const bool zero = roundsToZero(parts[0], value);
    if (zero && parts.size() > 2 && !parts[2].isEmpty())
        return applyPicture(parts[2], 0);
    if (value < 0 && parts.size() > 1 && !parts[1].isEmpty())
        return applyPicture(parts[1], value);
    const QString text = applyPicture(parts[0], value);
    return value < 0 && !zero ? QLatin1Char('-') + text : text;
}

QString qpFloatToStrF(double value, TFloatFormat format, int precision, int digits)
{
    if (!std::isfinite(value) || format == ffGeneral)
        return qpFloatToStr(value);
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    const FormatSettings &fs = formatSettings();
    if (format == ffExponent)
        return QString::number(value, 'E', precision - 1).replace(QLatin1Char('.'), fs.DecimalSeparator);
    // Places beyond the precision show as zeros.
    const int magnitude = value == 0 ? 0 : int(std::floor(std::log10(std::fabs(value)))) + 1;
    QString integer, fraction;
    roundedDigits(value, std::max(0, std::min(digits, precision - magnitude)), integer, fraction);
    fraction = fraction.leftJustified(digits, QLatin1Char('0'));
    const bool zero = allZeros(integer, fraction);
    QString text = format == ffFixed ? integer : grouped(integer);
    if (!fraction.isEmpty())
        text += fs.DecimalSeparator + fraction;
    if (format == ffCurrency)
        text += QLatin1Char(' ') + fs.CurrencyString;
    return value < 0 && !zero ? QLatin1Char('-') + text : text;
}

QString qpFormatDateTime(const QString &picture, double dateTime)
{
    const FormatSettings &fs = formatSettings();
    QDate date;
    QTime time;
    qpDecodeDateTime(dateTime, date, time);
    const QString pic = picture.isEmpty() ? QStringLiteral("c") : picture;
    const QString upper = pic.toUpper();
    const bool twelve = upper.contains(QLatin1String("AM/PM")) || upper.contains(QLatin1String("A/P"))
                        || upper.contains(QLatin1String("AMPM"));
    const int hour = twelve ? (time.hour() % 12 == 0 ? 12 : time.hour() % 12) : time.hour();
    auto number = [](int v, int width) { return QString::number(v).rightJustified(width, QLatin1Char('0')); };
    QString out;
    bool afterHour = false; // "m" right after an hour means minutes
    for (qsizetype i = 0; i < pic.size();) {
        const QChar c = pic.at(i);
        if (isQuote(c)) {
            const auto end = pic.indexOf(c, i + 1);
            out += pic.mid(i + 1, (end < 0 ? pic.size() : end) - i - 1);
            i = end < 0 ? pic.size() : end + 1;
            continue;
        }
        if (upper.mid(i, 5) == QLatin1String("AM/PM") || upper.mid(i, 3) == QLatin1String("A/P")) {
            const bool full = upper.mid(i, 5) == QLatin1String("AM/PM");
            out += QString::fromLatin1(time.hour() < 12 ? (full ? "am" : "a") : (full ? "pm" : "p"));
            i += full ? 5 : 3;
            continue;
        }
        if (upper.mid(i, 4) == QLatin1String("AMPM")) {
            out += time.hour() < 12 ? fs.TimeAMString : fs.TimePMString;
            i += 4;
            continue;
        }
        int n = 0;
        while (i + n < pic.size() && upper.at(i + n) == upper.at(i))
            ++n;
        bool isHour = false;
        switch (upper.at(i).unicode()) {
        case 'C':
            n = 1;
            out += qpFormatDateTime(fs.ShortDateFormat, dateTime);
            if (time != QTime(0, 0))
                out += QLatin1Char(' ') + qpFormatDateTime(fs.LongTimeFormat, dateTime);
            break;
        case 'D':
            n = std::min(n, 6);
            if (n <= 2)
                out += number(date.day(), n);
            else if (n <= 4)
                out += (n == 3 ? fs.ShortDayNames : fs.LongDayNames).value(date.dayOfWeek() % 7);
            else
                out += qpFormatDateTime(n == 5 ? fs.ShortDateFormat : fs.LongDateFormat, dateTime);
            break;
        case 'M':
            n = std::min(n, 4);
            if (afterHour && n <= 2)
                out += number(time.minute(), n);
            else if (n <= 2)
                out += number(date.month(), n);
            else
                out += (n == 3 ? fs.ShortMonthNames : fs.LongMonthNames).value(date.month() - 1);
            break;
        case 'Y':
            out += n <= 2 ? number(date.year() % 100, 2) : number(date.year(), 4);
            break;
        case 'H':
            n = std::min(n, 2);
            out += number(hour, n);
            isHour = true;
            break;
        case 'N':
            n = std::min(n, 2);
            out += number(time.minute(), n);
            break;
        case 'S':
            n = std::min(n, 2);
            out += number(time.second(), n);
            break;
        case 'Z':
            n = n >= 3 ? 3 : 1;
            out += number(time.msec(), n);
            break;
        case 'T':
            n = std::min(n, 2);
            out += qpFormatDateTime(n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dateTime);
            break;
        case '/':
            n = 1;
            out += fs.DateSeparator;
            break;
        case ':':
            n = 1;
            out += fs.TimeSeparator;
            isHour = afterHour;
            break;
        default:
            n = 1;
            out += c;
            isHour = afterHour && c.isSpace();
        }
        afterHour = isHour;
        i += n;
    }
    return out;
}

QString qpFormatMaskText(const QString &mask, const QString &text)
{
    const QStringList parts = mask.split(QLatin1Char(';'));
    const QString &m = parts[0];
    const bool keepLiterals = parts.size() < 2 || parts[1].trimmed() != QLatin1String("0");
    const QChar blank = parts.size() > 2 && !parts[2].isEmpty() ? parts[2].at(0) : QLatin1Char('_');
    const FormatSettings &fs = formatSettings();
    QString out;
    qsizetype t = 0;
    enum { AsTyped, Upper, Lower } letterCase = AsTyped;
    for (qsizetype i = 0; i < m.size(); ++i) {
        const QChar c = m.at(i);
        switch (c.unicode()) {
        case '!':
            break;
        case '>':
            letterCase = Upper;
            if (i + 1 < m.size() && m.at(i + 1) == QLatin1Char('<')) {
                letterCase = AsTyped;
                ++i;
            }
            break;
        case '<':
            letterCase = Lower;
            break;
        case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#': {
            const QChar ch = t < text.size() ? text.at(t++) : blank;
            out += letterCase == Upper ? ch.toUpper() : letterCase == Lower ? ch.toLower() : ch;
            break;
        }
        default: {
            QChar literal = c;
            if (c == QLatin1Char('\\') && i + 1 < m.size())
                literal = m.at(++i);
            else if (c == QLatin1Char('/'))
                literal = fs.DateSeparator;
            else if (c == QLatin1Char(':'))
                literal = fs.TimeSeparator;
            else if (c == QLatin1Char('_'))
                literal = QLatin1Char(' ');
            out += literal;
            if (keepLiterals && t < text.size())
                ++t; // the text carries the literal in this place
        }
        }
    }
    return out;
}
