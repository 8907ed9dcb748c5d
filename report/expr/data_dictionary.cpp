#include "report/expr/data_dictionary.h"

#include "report/core/conversions.h"
#include "report/core/names.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/expr/report_dataset.h"

#include <algorithm>

namespace {

bool isCategory(const QString &entry) { return entry.startsWith(QLatin1Char(' ')); }

// The first name of the list whose value equals the text ignoring case.
QString nameOfValue(const TqpVariables &list, const QString &value)
{
    if (value.isEmpty())
        return QString(); // an empty alias hides, it names nothing
    for (int i = 0; i < list.Count(); ++i)
        if (qpSameName(list.GetValue(i).toString(), value))
            return list.GetName(i);
    return QString();
}

// Shown names of components: only those listed when the list has entries,
// by their alias when it is not empty.
void applyAliases(const QStringList &names, const TqpVariables &aliases, QStringList &list)
{
    list.clear();
    for (const QString &name : names) {
        if (aliases.Count() == 0) {
            list << name;
            continue;
        }
        if (aliases.IndexOf(name) < 0)
            continue;
        const QString alias = aliases.GetVariable(name).toString();
        list << (alias.isEmpty() ? name : alias);
    }
    list.sort(Qt::CaseInsensitive);
}

} // namespace

QObject *TqpDataDictionary::owner() const
{
    if (m_report)
        return m_report->parent();
    return qpReportOwner ? qpReportOwner() : nullptr;
}

void TqpDataDictionary::Clear()
{
    Variables.Clear();
    FieldAliases.Clear();
    BandDatasources.Clear();
}

bool TqpDataDictionary::resolveField(const QString &reference, TDataSet *&dataSet, QString &field) const
{
    dataSet = qpDefaultDataSet ? qpDefaultDataSet() : nullptr;
    qpGetDataSetAndField(reference, dataSet, field);
    return dataSet && !field.isEmpty();
}

bool TqpDataDictionary::IsVariable(const QString &name)
{
    if (m_cache.contains(qpNameKey(name)))
        return true;
    TDataSet *dataSet = nullptr;
    QString field;
    const int index = Variables.IndexOf(name);
    if (index >= 0) {
        const Variant value = Variables.GetValue(index);
        if (!value.isNull() && value.toString().contains(QLatin1Char('.'))
            && resolveField(value.toString(), dataSet, field))
            AddCacheItem(name, dataSet, field);
        return true;
    }
    QString reference = name;
    if (name.contains(QLatin1Char('.'))) {
        QString dataSetPart, fieldPart;
        ExtractFieldName(name, dataSetPart, fieldPart);
        dataSetPart = GetRealDataSetName(dataSetPart);
        const QString prefix = dataSetPart + QLatin1Char('.');
        for (int i = 0; i < FieldAliases.Count(); ++i) {
            const QString key = FieldAliases.GetName(i);
            if (qpNameStartsWith(key, prefix) && qpSameName(FieldAliases.GetValue(i).toString(), fieldPart)) {
                fieldPart = key.mid(prefix.size());
                break;
            }
        }
        reference = dataSetPart + QLatin1String(".\"") + fieldPart + QLatin1Char('"');
    }
    if (!resolveField(reference, dataSet, field))
        return false;
    AddCacheItem(name, dataSet, field);
    return true;
}

Variant TqpDataDictionary::GetValue(const QString &name)
{
    TDataSet *dataSet = nullptr;
    QString fieldName;
    if (FindCacheItem(name, dataSet, fieldName)) {
        if (!dataSet->Active())
            dataSet->Open();
        return qpGetFieldValue(dataSet->FieldByName(fieldName));
    }
    const int index = Variables.IndexOf(name);
    if (index < 0)
        return Variant::null();
    // A script's assignment to the name outranks the stored expression.
    if (qpVariables && qpVariables->IndexOf(name) >= 0)
        return qpVariables->GetVariable(name);
    const Variant stored = Variables.GetValue(index);
    if (stored.isString() && !stored.stringValue().isEmpty() && qpParser)
        return qpParser->Calc(stored.stringValue());
    return stored;
}

bool TqpDataDictionary::DatasetEnabled(const QString &name) const
{
    for (const QString &hidden : DisabledDatasets) {
        if (hidden.endsWith(QLatin1Char('*'))) {
            if (name.startsWith(hidden.chopped(1)))
                return false;
        } else if (qpSameName(hidden, name)) {
            return false;
        }
    }
    return true;
}

QString TqpDataDictionary::GetRealDataSetName(const QString &alias) const
{
    const QString name = nameOfValue(FieldAliases, alias);
    return name.isEmpty() ? alias : name;
}

QString TqpDataDictionary::GetRealDataSourceName(const QString &alias) const
{
    const QString name = nameOfValue(BandDatasources, alias);
    return name.isEmpty() ? alias : name;
}

QString TqpDataDictionary::GetRealFieldName(const QString &alias) const
{
    const QString name = GetRealDataSetName(alias);
    return name.mid(name.lastIndexOf(QLatin1Char('.')) + 1);
}

QString TqpDataDictionary::GetAliasName(const QString &name) const
{
    if (FieldAliases.IndexOf(name) >= 0)
        return FieldAliases.GetVariable(name).toString();
    if (BandDatasources.IndexOf(name) >= 0)
        return BandDatasources.GetVariable(name).toString();
    return name;
}

void TqpDataDictionary::ExtractFieldName(const QString &text, QString &dataSet, QString &field)
{
    bool quoted = false;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else if (text.at(i) == QLatin1Char('.') && !quoted) {
            dataSet = text.left(i);
            field = qpRemoveQuotes(text.mid(i + 1));
            return;
        }
    }
    dataSet.clear();
    field = qpRemoveQuotes(text);
}

void TqpDataDictionary::GetDatasetList(QStringList &list) const
{
    QStringList names;
    qpGetComponents(owner(), TDataSet::staticMetaObject, names);
    names.removeIf([this](const QString &name) { return !DatasetEnabled(name); });
    applyAliases(names, FieldAliases, list);
}

void TqpDataDictionary::GetFieldList(const QString &dataSet, QStringList &list) const
{
    list.clear();
    QString realName = dataSet;
    auto *ds = qobject_cast<TDataSet *>(qpFindComponent(owner(), realName));
    if (!ds) {
        realName = GetRealDataSetName(dataSet);
        ds = qobject_cast<TDataSet *>(qpFindComponent(owner(), realName));
    }
    if (!ds)
        return;
    QStringList fields;
    qpGetFieldNames(ds, fields);
    for (const QString &field : std::as_const(fields)) {
        const QString key = realName + QLatin1Char('.') + field;
        if (FieldAliases.IndexOf(key) < 0) {
            list << field;
            continue;
        }
        const QString alias = FieldAliases.GetVariable(key).toString();
        if (!alias.isEmpty())
            list << alias;
    }
}

void TqpDataDictionary::GetBandDatasourceList(QStringList &list) const
{
    QStringList names;
    qpGetComponents(owner(), TqpDataset::staticMetaObject, names);
    applyAliases(names, BandDatasources, list);
}

void TqpDataDictionary::GetCategoryList(QStringList &list) const
{
    list.clear();
    for (int i = 0; i < Variables.Count(); ++i)
        if (isCategory(Variables.GetName(i)))
            list << Variables.GetName(i).mid(1);
}

void TqpDataDictionary::GetVariablesList(const QString &category, QStringList &list) const
{
    list.clear();
    const QString wanted = QLatin1Char(' ') + category;
    int i = 0;
    while (i < Variables.Count() && !qpSameName(Variables.GetName(i), wanted))
        ++i;
    for (++i; i < Variables.Count() && !isCategory(Variables.GetName(i)); ++i)
        list << Variables.GetName(i);
}

void TqpDataDictionary::AddCacheItem(const QString &name, TDataSet *dataSet, const QString &fieldName)
{
    m_cache.insert(qpNameKey(name), CacheItem{dataSet, fieldName});
}

bool TqpDataDictionary::FindCacheItem(const QString &name, TDataSet *&dataSet, QString &fieldName) const
{
    const auto it = m_cache.constFind(qpNameKey(name));
    if (it == m_cache.constEnd() || !it->dataSet)
        return false;
    dataSet = it->dataSet;
    fieldName = it->fieldName;
    return true;
}

void TqpDataDictionary::MarkCategories()
{
    if (Variables.Count() == 0 || isCategory(Variables.GetName(0)))
        return;
    for (int i = 0; i < Variables.Count(); ++i) {
        const QString name = Variables.GetName(i);
        Variables.SetName(i, isCategory(name) ? name.mid(1) : QLatin1Char(' ') + name);
    }
}

void TqpDataDictionary::DropUnusedAliases()
{
    for (int i = FieldAliases.Count() - 1; i >= 0; --i) {
        if (!FieldAliases.GetValue(i).toString().isEmpty())
            continue;
        QString dataSetName, field;
        ExtractFieldName(FieldAliases.GetName(i), dataSetName, field);
        auto *ds = qobject_cast<TDataSet *>(qpFindComponent(owner(), dataSetName));
        QStringList fields;
        if (ds)
            qpGetFieldNames(ds, fields);
        if (std::none_of(fields.begin(), fields.end(), [&field](const QString &f) { return qpSameName(f, field); }))
            FieldAliases.Delete(i);
    }
    for (int i = BandDatasources.Count() - 1; i >= 0; --i)
        if (BandDatasources.GetValue(i).toString().isEmpty())
            BandDatasources.Delete(i);
}
