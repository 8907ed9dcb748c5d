#include "report/core/conversions.h"

#include "data/format_settings.h"
#include "report/core/exceptions.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double kMSecsPerDay = 86400000.0;

const QDate &baseDate()
{
    static const QDate d(1899, 12, 30);
    return d;
}

// Appends the exponent the general format uses: "E", a minus when negative,
// no leading zeros.
void appendExponent(QString &out, int e)
{
    out += QLatin1Char('E');
    if (e < 0) {
        out += QLatin1Char('-');
        e = -e;
    }
    out += QString::number(e);
}

}  // namespace

QString qpFloatToStr(double x)
{
    return qpFloatToStr(x, formatSettings().DecimalSeparator);
}

QString qpFloatToStr(double x, QChar sep)
{
    if (std::isnan(x))
        return QStringLiteral("NAN");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (x == 0)
        return QStringLiteral("0");
    // 15 significant digits: d.dddddddddddddde±XX
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    const char *p = buf;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    char digits[16];
    int nd = 0;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits[nd++] = *p;
    const int e = std::atoi(p + 1);
    while (nd > 1 && digits[nd - 1] == '0')
        --nd;
    QString out;
    if (negative)
        out += QLatin1Char('-');
    if (e >= 15 || e < -4) {
        out += QLatin1Char(digits[0]);
        if (nd > 1) {
            out += sep;
            out += QString::fromLatin1(digits + 1, nd - 1);
        }
        appendExponent(out, e);
        return out;
    }
    if (e < 0) {
        out += QLatin1Char('0');
        out += sep;
        out += QString(-e - 1, QLatin1Char('0'));
        out += QString::fromLatin1(digits, nd);
        return out;
    }
    // e + 1 digits before the separator.
    for (int i = 0; i <= e; ++i)
        out += QLatin1Char(i < nd ? digits[i] : '0');
    if (nd > e + 1) {
        out += sep;
        out += QString::fromLatin1(digits + e + 1, nd - e - 1);
    }
    return out;
}

QString qpCurrToStr(int64_t scaled)
{
    return qpCurrToStr(scaled, formatSettings().DecimalSeparator);
}

QString qpCurrToStr(int64_t scaled, QChar sep)
{
    const bool negative = scaled < 0;
    // Magnitude as unsigned so that the smallest value does not overflow.
    const uint64_t mag = negative ? uint64_t(0) - uint64_t(scaled) : uint64_t(scaled);
    QString out;
    if (negative)
        out += QLatin1Char('-');
    out += QString::number(mag / 10000);
    uint64_t frac = mag % 10000;
    if (frac) {
        QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        out += sep;
        out += f;
    }
    return out;
}

bool qpTryStrToFloat(QStringView s, QChar sep, double &out)
{
    qsizetype i = 0, n = s.size();
    while (i < n && s[i] == QLatin1Char(' '))
        ++i;
    while (n > i && s[n - 1] == QLatin1Char(' '))
        --n;
    char buf[128];
    int len = 0;
    auto put = [&](char c) {
        if (len >= int(sizeof buf) - 1)
            return false;
        buf[len++] = c;
        return true;
    };
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        if (s[i] == QLatin1Char('-') && !put('-'))
            return false;
        ++i;
    }
    int mantissaDigits = 0;
    bool seenSep = false;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++mantissaDigits;
            // Long digit strings: keep the significant part only, scale by exponent.
            if (!put(char(c.unicode())))
                return false;
        } else if (c == sep && !seenSep) {
            seenSep = true;
            if (!put('.'))
                return false;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        if (!put('e'))
            return false;
        ++i;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
            if (!put(char(s[i].unicode())))
                return false;
            ++i;
        }
        int expDigits = 0;
        for (; i < n && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i, ++expDigits)
            if (!put(char(s[i].unicode())))
                return false;
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    double v = 0;
    const auto r = std::from_chars(buf, buf + len, v);
    if (r.ptr != buf + len)
        return false;
    if (r.ec == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large is not a number we can hold.
        if (std::strchr(buf, 'e') && std::strstr(buf, "e-"))
            v = 0;
        else
            return false;
    }
    out = v;
    return true;
}

double qpTextToFloat(const QString &s)
{
    double v;
    if (!qpTryStrToFloat(s, formatSettings().DecimalSeparator, v))
        throw EConvertError(qpLoadStr(qpMsgInvalidFloat).arg(s));
    return v;
}

bool qpTryStrToInt(QStringView s, int32_t &out)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && s[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && s[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    }
    if (i >= n)
        return false;
    int64_t v = 0;
    for (; i < n; ++i) {
        const ushort c = s[i].unicode();
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL)
            return false;
    }
    if (base == 10) {
        if (negative)
            v = -v;
        if (v < INT32_MIN || v > INT32_MAX)
            return false;
        out = int32_t(v);
    } else {
        // Hexadecimal spells the bit pattern.
        out = int32_t(uint32_t(v));
        if (negative)
            out = int32_t(0u - uint32_t(out));
    }
    return true;
}

int32_t qpStrToInt(const QString &s)
{
    int32_t v;
    if (!qpTryStrToInt(s, v))
        throw EConvertError(qpLoadStr(qpMsgInvalidInteger).arg(s));
    return v;
}

double qpEncodeDateTime(const QDate &date, const QTime &time)
{
    const double days = double(baseDate().daysTo(date));
    const double t = time.isValid() ? time.msecsSinceStartOfDay() / kMSecsPerDay : 0.0;
    return days < 0 ? days - t : days + t;
}

void qpDecodeDateTime(double value, QDate &date, QTime &time)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) {
        // Far outside any calendar a report shows; keep the result defined.
        date = QDate();
        time = QTime(0, 0);
        return;
    }
    double whole = std::trunc(value);
    int64_t ms = int64_t(qpRoundHalfEven(std::fabs(value - whole) * kMSecsPerDay));
    if (ms >= int64_t(kMSecsPerDay)) {
        // A fraction that rounds to a full day belongs to the next day.
        ms = 0;
        whole += value < 0 ? -1 : 1;
    }
    date = baseDate().addDays(int64_t(whole));
    time = QTime::fromMSecsSinceStartOfDay(int(ms));
}

namespace {

// Reads an unsigned decimal number; returns digit count.
int scanNumber(QStringView s, qsizetype &i, int &value)
{
    int digits = 0;
    value = 0;
    while (i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9')) {
        if (digits < 9)
            value = value * 10 + (s[i].unicode() - '0');
        ++digits;
        ++i;
    }
    return digits;
}

void skipBlanks(QStringView s, qsizetype &i)
{
    while (i < s.size() && s[i] == QLatin1Char(' '))
        ++i;
}

// Order of day, month and year in the short date format: 'D', 'M', 'Y' letters.
QString dateOrder()
{
    QString order;
    for (QChar c : formatSettings().ShortDateFormat) {
        const QChar u = c.toUpper();
        if ((u == QLatin1Char('D') || u == QLatin1Char('M') || u == QLatin1Char('Y')) && !order.contains(u))
            order += u;
    }
    if (order.size() != 3)
        order = QStringLiteral("DMY");
    return order;
}

bool scanDate(QStringView s, qsizetype &i, double &out)
{
    const QChar sep = formatSettings().DateSeparator;
    int n[3];
    int digits[3];
    int count = 0;
    skipBlanks(s, i);
    for (;;) {
        if ((digits[count] = scanNumber(s, i, n[count])) == 0)
            return false;
        ++count;
        if (count == 3 || i >= s.size() || s[i] != sep)
            break;
        ++i;
    }
    if (count < 2)
        return false;
    const QString order = dateOrder();
    int day = 0, month = 0, year = QDate::currentDate().year();
    bool yearGiven = false;
    int yearDigits = 0;
    if (count == 3) {
        for (int k = 0; k < 3; ++k) {
            if (order[k] == QLatin1Char('D'))
                day = n[k];
            else if (order[k] == QLatin1Char('M'))
                month = n[k];
            else {
                year = n[k];
                yearGiven = true;
                yearDigits = digits[k];
            }
        }
    } else {
        // Two numbers: day and month in the order the format has them.
        const bool monthFirst = order.indexOf(QLatin1Char('M')) < order.indexOf(QLatin1Char('D'));
        day = monthFirst ? n[1] : n[0];
        month = monthFirst ? n[0] : n[1];
    }
    if (yearGiven && yearDigits <= 2) {
        const int current = QDate::currentDate().year();
        year += current - current % 100;
        if (year > current + 20)
            year -= 100;
    }
    const QDate d(year, month, day);
    if (year < 1 || year > 9999 || !d.isValid())
        return false;
    out = qpEncodeDateTime(d, QTime(0, 0));
    return true;
}

bool scanTime(QStringView s, qsizetype &i, double &out)
{
    const QChar sep = formatSettings().TimeSeparator;
    int h = 0, m = 0, sec = 0, ms = 0;
    skipBlanks(s, i);
    if (!scanNumber(s, i, h) || i >= s.size() || s[i] != sep)
        return false;
    ++i;
    if (!scanNumber(s, i, m))
        return false;
    if (i < s.size() && s[i] == sep) {
        ++i;
        if (!scanNumber(s, i, sec))
            return false;
        if (i < s.size() && s[i] == QLatin1Char('.')) {
            ++i;
            if (!scanNumber(s, i, ms) || ms > 999)
                return false;
        }
    }
    skipBlanks(s, i);
    const QStringView rest = s.mid(i);
    if (rest.startsWith(QLatin1String("AM"), Qt::CaseInsensitive) ||
        rest.startsWith(QLatin1String("PM"), Qt::CaseInsensitive)) {
        if (h < 1 || h > 12)
            return false;
        const bool pm = rest[0].toUpper() == QLatin1Char('P');
        h = h % 12 + (pm ? 12 : 0);
        i += 2;
    }
    if (h > 23 || m > 59 || sec > 59)
        return false;
    out = (((h * 60.0 + m) * 60.0 + sec) * 1000.0 + ms) / kMSecsPerDay;
    return true;
}

bool atEnd(QStringView s, qsizetype i)
{
    skipBlanks(s, i);
    return i >= s.size();
}

}  // namespace

double qpStrToDate(const QString &s)
{
    qsizetype i = 0;
    double v;
    if (!scanDate(s, i, v) || !atEnd(s, i))
        throw EConvertError(qpLoadStr(qpMsgInvalidDate).arg(s));
    return v;
}

double qpStrToTime(const QString &s)
{
    qsizetype i = 0;
    double v;
    if (!scanTime(s, i, v) || !atEnd(s, i))
        throw EConvertError(qpLoadStr(qpMsgInvalidTime).arg(s));
    return v;
}

bool qpTryStrToDateTime(const QString &s, double &out)
{
    qsizetype i = 0;
    double d, t;
    if (scanDate(s, i, d)) {
        if (atEnd(s, i)) {
            out = d;
            return true;
        }
        if (scanTime(s, i, t) && atEnd(s, i)) {
            out = d < 0 ? d - t : d + t;
            return true;
        }
    }
    i = 0;
    if (scanTime(s, i, t) && atEnd(s, i)) {
        out = t;
        return true;
    }
    return false;
}

double qpStrToDateTime(const QString &s)
{
    double v;
    if (!qpTryStrToDateTime(s, v))
        throw EConvertError(qpLoadStr(qpMsgInvalidDate).arg(s));
    return v;
}

QString qpDateTimeToStr(double value)
{
    QDate d;
    QTime t;
    qpDecodeDateTime(value, d, t);
    const FormatSettings &fs = formatSettings();
    QString out = d.toString(fs.ShortDateFormat);
    if (t.msecsSinceStartOfDay() >= 1000) {
        out += QLatin1Char(' ');
        out += t.toString(fs.LongTimeFormat);
    }
    return out;
}

QString qpUpperCase(const QString &s)
{
    // Names are mostly ASCII; avoid the Unicode tables when they are.
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return s.toUpper();
    QString out = s;
    for (QChar &c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    return out;
}
