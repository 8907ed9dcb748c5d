#pragma once
// Where the rows of each link value lie among a detail data set's records, so
// that following the master costs the rows that match rather than every row.
// Built on first use and dropped whenever the records change.

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class TDetailIndex {
public:
    // Forgets the rows; the next look-up reads them again.
    void clear();

    // Positions, ascending, of the rows whose `column` value is equal to `key`
    // as the link compares them, reading row i's value through `valueAt`. Null
    // when the index cannot answer exactly (rows holding values of mixed kinds,
    // or a key of another kind than theirs, which the link compares by
    // conversion): the caller then compares row by row.
    const std::vector<int> *rowsFor(const QVariant &key, int column, int rowCount,
                                    const std::function<QVariant(int)> &valueAt);

private:
    void build(int column, int rowCount, const std::function<QVariant(int)> &valueAt);

    bool m_built = false;
    int m_column = -1;
    bool m_usable = true;
    int m_type = QMetaType::UnknownType; // the one kind of value the rows hold
    std::vector<int> m_nulls;
    QHash<double, std::vector<int>> m_numbers; // numbers, and dates as day numbers
    QHash<QString, std::vector<int>> m_texts;
    const std::vector<int> m_none{};
};
