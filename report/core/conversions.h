#pragma once
// Conversions between values and text under the fixed Turkish settings
// (data/format_settings.h): decimal separator ",", short date dd.MM.yyyy,
// time HH:mm:ss. These are the conversions the value type and the parser use;
// display formatting with pictures is built on top of them elsewhere.

#include <QDate>
#include <QString>
#include <QStringView>
#include <QTime>
#include <cstdint>

// Real in the general form: at most 15 significant digits, no trailing zeros,
// scientific ("1,5E-7", "1E20") below 1E-4 and from 1E15 on.
QString qpFloatToStr(double x);
// The same with an explicit decimal separator (the command-line tool prints
// with a point).
QString qpFloatToStr(double x, QChar decimalSeparator);

// Currency (value scaled by 10000) with at most four decimals, no trailing zeros.
QString qpCurrToStr(int64_t scaled);
QString qpCurrToStr(int64_t scaled, QChar decimalSeparator);

// Text to real: optional blanks, sign, digits with one decimal separator,
// optional exponent. Throws EConvertError naming the text.
double qpTextToFloat(const QString &s);
bool qpTryStrToFloat(QStringView s, QChar decimalSeparator, double &out);

// Text to 32-bit integer: optional leading blanks, sign, decimal digits or
// "$" and hexadecimal digits. Throws EConvertError.
int32_t qpStrToInt(const QString &s);
bool qpTryStrToInt(QStringView s, int32_t &out);

// Date-time values are days since 30 December 1899, the time as the fraction
// (for dates before that day the fraction still counts forward in the day).
double qpEncodeDateTime(const QDate &date, const QTime &time);
void qpDecodeDateTime(double value, QDate &date, QTime &time);

// Short date conversion after the order of ShortDateFormat; two or three
// numbers separated by DateSeparator; without a year the current year; a
// two-digit year goes to the century that puts it at most 20 years ahead.
double qpStrToDate(const QString &s);
// "H:M", "H:M:S" or "H:M:S.zzz", optionally followed by AM or PM.
double qpStrToTime(const QString &s);
// A date, a time, or a date followed by a blank and a time.
double qpStrToDateTime(const QString &s);
bool qpTryStrToDateTime(const QString &s, double &out);

// Short date, followed by a blank and the long time unless the time is midnight.
QString qpDateTimeToStr(double value);

// Upper case for names and keywords; locale-independent so that a name means
// the same thing on every machine.
QString qpUpperCase(const QString &s);
