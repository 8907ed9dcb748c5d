#include "report/expr/variables.h"

#include "report/core/names.h"

#include <algorithm>

int TqpVariables::find(const QString &name) const
{
    if (m_sorted) {
        int lo = 0, hi = int(m_items.size()) - 1;
        while (lo <= hi) {
            const int mid = (lo + hi) / 2;
            const int c = qpCompareNames(m_items[mid].name, name);
            if (c == 0)
                return mid;
            if (c < 0)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
        return -lo - 1;
    }
    for (int k = 0; k < m_items.size(); ++k)
        if (qpCompareNames(m_items[k].name, name) == 0)
            return k;
    return -int(m_items.size()) - 1;
}

void TqpVariables::SetVariable(const QString &name, const Variant &value)
{
    const int k = find(name);
    if (k >= 0)
        m_items[k].value = value;
    else
        m_items.insert(-k - 1, Item{name, value});
}

Variant TqpVariables::GetVariable(const QString &name) const
{
    const int k = find(name);
    return k >= 0 ? m_items[k].value : Variant::null();
}

Variant TqpVariables::GetValue(int index) const
{
    if (index < 0 || index >= m_items.size())
        return Variant(0);
    return m_items[index].value;
}

void TqpVariables::SetValue(int index, const Variant &value)
{
    if (index >= 0 && index < m_items.size())
        m_items[index].value = value;
}

QString TqpVariables::GetName(int index) const
{
    if (index < 0 || index >= m_items.size())
        return QString();
    return m_items[index].name;
}

void TqpVariables::SetName(int index, const QString &name)
{
    if (index >= 0 && index < m_items.size())
        m_items[index].name = name;
}

int TqpVariables::IndexOf(const QString &name) const
{
    const int k = find(name);
    return k >= 0 ? k : -1;
}

void TqpVariables::Insert(int position, const QString &name)
{
    SetVariable(name, Variant(0));
    const int from = IndexOf(name);
    const int to = std::clamp(position, 0, int(m_items.size()) - 1);
    if (from >= 0 && from != to)
        m_items.move(from, to);
}

void TqpVariables::Delete(int index)
{
    if (index >= 0 && index < m_items.size())
        m_items.removeAt(index);
}

void TqpVariables::Clear()
{
    m_items.clear();
}

void TqpVariables::SetSorted(bool sorted)
{
    if (sorted && !m_sorted)
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const Item &a, const Item &b) { return qpCompareNames(a.name, b.name) < 0; });
    m_sorted = sorted;
}

void TqpVariables::Assign(const TqpVariables &other)
{
    if (&other == this)
        return;
    Clear();
    for (const Item &it : other.m_items)
        SetVariable(it.name, it.value);
}
