#include "report/core/names.h"

#include "data/turkish_text.h"

QChar qpNameFold(QChar c)
{
    const ushort u = c.unicode();
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') ? QChar(u - 32) : c;
    // Turkish upper case pairs ı with I and i with İ; names pair all four.
    const QChar upper = turkishUpper(c);
    return upper == QChar(0x0130) ? QChar(u'I') : upper;
}

QString qpNameKey(QStringView name)
{
    QString key(name.size(), Qt::Uninitialized);
    QChar *out = key.data();
    for (QChar c : name)
        *out++ = qpNameFold(c);
    return key;
}

int qpCompareNames(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ca = a[i], cb = b[i];
        if (ca == cb)
            continue;
        const int d = int(qpNameFold(ca).unicode()) - int(qpNameFold(cb).unicode());
        if (d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool qpNameStartsWith(QStringView name, QStringView prefix)
{
    return name.size() >= prefix.size() && qpCompareNames(name.left(prefix.size()), prefix) == 0;
}
