#include "export_filter.h"

#include <algorithm>

QHash<QString, std::function<int(TqpExportFilter *filter)>> qpExportDialogs;
QList<TqpFilterEntry> qpFilters;
std::function<void()> qpFiltersChanged;

namespace {

void filtersChanged()
{
    if (qpFiltersChanged)
        qpFiltersChanged();
}

} // namespace

TqpExportFilter::TqpExportFilter(QObject *owner) : QObject(owner) {}

TqpExportFilter::~TqpExportFilter()
{
    qpUnRegisterExportFilter(this);
    ClearLines();
}

void TqpExportFilter::ClearLines()
{
    // Chains are freed link by link: a long chain must not recurse through
    // its destructors.
    for (std::unique_ptr<TqpTextRec> &head : Lines)
        while (head)
            head = std::move(head->Next);
    Lines.clear();
}

int TqpExportFilter::ShowModal() { return mrOk; }

int TqpExportFilter::RunOptionDialog()
{
    const auto dialog = qpExportDialogs.constFind(QString::fromLatin1(metaObject()->className()));
    return dialog == qpExportDialogs.cend() ? int(mrOk) : (*dialog)(this);
}

void qpRegisterExportFilter(TqpExportFilter *filter, const QString &description, const QString &mask)
{
    const char *className = filter->metaObject()->className();
    for (const TqpFilterEntry &e : std::as_const(qpFilters))
        if (qstrcmp(e.Filter->metaObject()->className(), className) == 0)
            return;
    qpFilters.append({filter, description, mask});
    filtersChanged();
}

void qpUnRegisterExportFilter(TqpExportFilter *filter)
{
    // By identity, not by class: a second filter of a class that never got
    // an entry must not take the first one's format away when it goes.
    if (qpFilters.removeIf([filter](const TqpFilterEntry &e) { return e.Filter == filter; }))
        filtersChanged();
}

TqpExportFilter *qpFindExportFilter(const QString &extension)
{
    const QString mask = QStringLiteral("*.") + extension;
    const auto found = std::find_if(qpFilters.cbegin(), qpFilters.cend(), [&mask](const TqpFilterEntry &e) {
        return e.Mask.compare(mask, Qt::CaseInsensitive) == 0;
    });
    return found == qpFilters.cend() ? nullptr : found->Filter;
}
