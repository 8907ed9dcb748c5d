#include "report/expr/function_library.h"

#include "report/core/exceptions.h"
#include "report/core/names.h"
#include "report/core/string_table.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

TqpFunctionLibrary *qpFunctions[qpMaxFunctionLibraries] = {};
int qpFunctionsCount = 0;
TqpInstalledFunctions qpInstalledFunctions;

namespace {

int indexOfClass(const QString &className)
{
    for (int i = 0; i < qpFunctionsCount; ++i)
        if (qpFunctions[i]->ClassName() == className)
            return i;
    return -1;
}

// The designer lists names and categories in Turkish alphabetical order
// ("Ünite" after "Tarih"), whatever the desktop's locale.
void sortNames(QStringList &list)
{
    QCollator collator{QLocale(QLocale::Turkish, QLocale::Turkey)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(list.begin(), list.end(), collator);
}

} // namespace

bool TqpFunctionLibrary::OnFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                    Variant &value)
{
    for (int i = 0; i < List.size(); ++i)
        if (qpSameName(List.at(i), name)) {
            DoFunction(i, p1, p2, p3, value);
            return true;
        }
    return false;
}

void TqpFunctionLibrary::AddFunctionDesc(const QString &name, const QString &category, const QString &description)
{
    qpAddFunctionDesc(this, name, category, description);
}

void qpRegisterFunctionLibrary(const TqpFunctionLibraryClass &cls)
{
    if (indexOfClass(cls.ClassName) >= 0)
        return;
    if (qpFunctionsCount >= qpMaxFunctionLibraries)
        throw EqpError(qpLoadStr(qpMsgTooManyLibraries));
    qpFunctions[qpFunctionsCount++] = cls.Create();
}

void qpUnRegisterFunctionLibrary(const TqpFunctionLibraryClass &cls)
{
    const int k = indexOfClass(cls.ClassName);
    if (k < 0)
        return;
    TqpFunctionLibrary *library = qpFunctions[k];
    qpInstalledFunctions.UnRegisterFunctionLibrary(library);
    delete library;
    std::copy(qpFunctions + k + 1, qpFunctions + qpFunctionsCount, qpFunctions + k);
    qpFunctions[--qpFunctionsCount] = nullptr;
}

bool qpCallFunctionLibraries(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                             Variant &value)
{
    for (int i = 0; i < qpFunctionsCount; ++i)
        if (qpFunctions[i]->OnFunction(name, p1, p2, p3, value))
            return true;
    return false;
}

void qpAddFunctionDesc(const TqpFunctionLibrary *library, const QString &name, const QString &category,
                       const QString &description)
{
    qpInstalledFunctions.Add(library, name, category, description);
}

void TqpInstalledFunctions::Add(const TqpFunctionLibrary *library, const QString &name, const QString &category,
                                const QString &description)
{
    if (category.isEmpty())
        return;
    for (const TqpFunctionDesc &d : std::as_const(m_items))
        if (d.FunctionName == name)
            return;
    m_items.append({library ? library->ClassName() : QString(), name, category, description});
}

QString TqpInstalledFunctions::GetFunctionDesc(const QString &name) const
{
    for (const TqpFunctionDesc &d : m_items)
        if (qpSameName(d.FunctionName, name))
            return d.Description;
    return {};
}

void TqpInstalledFunctions::GetCategoryList(QStringList &list) const
{
    list.clear();
    for (const TqpFunctionDesc &d : m_items)
        if (!list.contains(d.Category))
            list.append(d.Category);
    sortNames(list);
}

void TqpInstalledFunctions::GetFunctionList(const QString &category, QStringList &list) const
{
    list.clear();
    const bool all = category.isEmpty() || category.compare(qpLoadStr(qpMsgAllFunctions), Qt::CaseInsensitive) == 0;
    for (const TqpFunctionDesc &d : m_items)
        if (all || d.Category.compare(category, Qt::CaseInsensitive) == 0)
            list.append(d.FunctionName);
    sortNames(list);
}

void TqpInstalledFunctions::UnRegisterFunctionLibrary(const TqpFunctionLibrary *library)
{
    const QString className = library->ClassName();
    m_items.removeIf([&](const TqpFunctionDesc &d) { return d.LibraryClass == className; });
}
