#pragma once
// The value formatting the engine's templates are written for, under the
// fixed Turkish settings: number pictures ("#,##0.00;-#,##0.00;sıfır"),
// date-time pictures ("dd.mm.yyyy hh:nn"), edit-mask formatting and the
// fixed/number styles. Rounding of shown digits is half away from zero, as
// a reader of a printed figure expects.

#include <QString>

// Number picture: sections positive;negative;zero; 0 and # digit places,
// "." the decimal point, "," thousands grouping, E+00 / E-00 exponents,
// quoted text as is. An empty picture gives the general form.
QString qpFormatFloat(const QString &picture, double value);

// Date-time picture: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes after
// h or hh), yy yyyy, h hh, n nn, s ss, z zzz, t tt, c, am/pm a/p ampm,
// / and : for the separators, quoted text as is; letters in any case.
QString qpFormatDateTime(const QString &picture, double dateTime);

// Edit-mask formatting: mask;keep-literals;blank-character. With keep-literals
// 0 the text holds only the characters typed into the mask's places.
QString qpFormatMaskText(const QString &mask, const QString &text);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// Fixed: exactly `digits` decimals; number: the same with thousands grouping;
// currency: grouped with the currency suffix; general: the shortest form.
// Precision caps the significant digits.
QString qpFloatToStrF(double value, TFloatFormat format, int precision, int digits);
