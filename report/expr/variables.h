#pragma once
// TqpVariables: an ordered list of unique names, each owning one value.
// Names compare without regard to letter case; setting an existing name
// replaces its value. A sorted list keeps alphabetical order and bisects;
// an unsorted one keeps insertion order.

#include "report/core/variant.h"

#include <QList>
#include <QString>

class TqpVariables {
public:
    TqpVariables() = default;

    void SetVariable(const QString &name, const Variant &value);
    // Null for an absent name.
    Variant GetVariable(const QString &name) const;

    // Integer 0 out of range.
    Variant GetValue(int index) const;
    // Out of range: nothing.
    void SetValue(int index, const Variant &value);
    // Empty string out of range.
    QString GetName(int index) const;
    // Out of range: nothing. Renaming may break a sorted list's order, as
    // renaming in place always did; callers of sorted lists do not rename.
    void SetName(int index, const QString &name);

    int IndexOf(const QString &name) const;  // -1 when absent
    // Adds the name with integer 0 (or replaces its value), then moves the
    // entry to the position.
    void Insert(int position, const QString &name);
    void Delete(int index);  // out of range: nothing
    void Clear();
    int Count() const { return int(m_items.size()); }

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);

    // Clears, then copies every name and value in order.
    void Assign(const TqpVariables &other);

private:
    struct Item {
        QString name;
        Variant value;
    };
    // Index of name, or -(insertion point) - 1 in a sorted list.
    int find(const QString &name) const;

    QList<Item> m_items;
    bool m_sorted = false;
};
