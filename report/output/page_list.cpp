#include "page_list.h"

#include "report/core/conversions.h"

#include <algorithm>
#include <vector>

bool TqpPageList::Contains(int pageNo) const { return All || std::binary_search(Pages.begin(), Pages.end(), pageNo); }

TqpPageList TqpPageList::Parse(const QString &text, int pageCount)
{
    QString s;
    for (const QChar c : text)
        if (!c.isSpace())
            s += c;
    TqpPageList list;
    if (s.isEmpty())
        return list;
    list.All = false;
    pageCount = std::max(pageCount, 0);
    if (s.endsWith(QLatin1Char('-')))
        s += QString::number(pageCount);
    s += QLatin1Char(',');

    // Marks instead of a list of numbers: a range is clipped to the pages
    // that exist, so "1-2000000000" costs no more than the report is long.
    std::vector<bool> chosen(size_t(pageCount) + 1, false);
    auto choose = [&](qint64 from, qint64 to) {
        for (qint64 n = std::max<qint64>(from, 1); n <= std::min<qint64>(to, pageCount); ++n)
            chosen[size_t(n)] = true;
    };
    qsizetype numberStart = 0;
    bool range = false;
    qint64 rangeStart = 1;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char(',')) {
            const qint64 n = qpStrToInt(s.mid(numberStart, i - numberStart));
            if (!range)
                choose(n, n);
            else if (n >= rangeStart)
                choose(rangeStart, n);
            range = false;
            numberStart = i + 1;
        } else if (c == QLatin1Char('-')) {
            range = true;
            rangeStart = qpStrToInt(s.mid(numberStart, i - numberStart));
            numberStart = i + 1;
        }
    }
    for (int n = 1; n <= pageCount; ++n)
        if (chosen[size_t(n)])
            list.Pages.append(n);
    return list;
}
