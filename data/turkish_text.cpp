#include "turkish_text.h"

static const QChar kDotlessI(0x0131);   // ı
static const QChar kDottedCapI(0x0130); // İ

QChar turkishUpper(QChar c)
{
    if (c == QLatin1Char('i'))
        return kDottedCapI;
    if (c == kDotlessI)
        return QLatin1Char('I');
    if (c.unicode() < 0x80)
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 32) : c;
    return c.toUpper();
}

QString turkishUpper(const QString &s)
{
    QString r(s);
    for (QChar &c : r)
        c = turkishUpper(c);
    return r;
}

QString turkishLower(const QString &s)
{
    QString r(s);
    for (QChar &c : r) {
        if (c == QLatin1Char('I'))
            c = kDotlessI;
        else if (c == kDottedCapI)
            c = QLatin1Char('i');
        else
            c = c.toLower();
    }
    return r;
}
