#include "detail_index.h"

#include <QDate>
#include <cmath>

namespace {
// A number key equal values share: -0 and 0 compare equal. Not a number
// compares with nothing, so it cannot be looked up.
bool numberKey(const QVariant &v, double &key)
{
    if (v.typeId() == QMetaType::QDate) {
        key = double(v.toDate().toJulianDay());
        return true;
    }
    key = v.toDouble();
    if (std::isnan(key))
        return false;
    if (key == 0)
        key = 0;
    return true;
}
} // namespace

void TDetailIndex::clear()
{
    m_built = false;
    m_column = -1;
    m_usable = true;
    m_type = QMetaType::UnknownType;
    m_nulls.clear();
    m_numbers.clear();
    m_texts.clear();
}

void TDetailIndex::build(int column, int rowCount, const std::function<QVariant(int)> &valueAt)
{
    clear();
    m_built = true;
    m_column = column;
    for (int i = 0; i < rowCount; ++i) {
        const QVariant v = valueAt(i);
        if (!v.isValid()) {
            m_nulls.push_back(i);
            continue;
        }
        if (!m_usable)
            continue;
        if (m_type == QMetaType::UnknownType)
            m_type = v.typeId();
        double number = 0;
        if (v.typeId() != m_type)
            m_usable = false;
        else if (m_type == QMetaType::QString)
            m_texts[v.toString()].push_back(i);
        else if ((m_type == QMetaType::Double || m_type == QMetaType::QDate) && numberKey(v, number))
            m_numbers[number].push_back(i);
        else
            m_usable = false;
    }
    if (!m_usable) {
        m_numbers.clear();
        m_texts.clear();
    }
}

const std::vector<int> *TDetailIndex::rowsFor(const QVariant &key, int column, int rowCount,
                                              const std::function<QVariant(int)> &valueAt)
{
    if (!m_built || column != m_column)
        build(column, rowCount, valueAt);
    // No value equals only no value, whatever the rows hold.
    if (!key.isValid())
        return &m_nulls;
    if (m_type == QMetaType::UnknownType)
        return &m_none; // every row is blank
    if (!m_usable || key.typeId() != m_type)
        return nullptr;
    if (m_type == QMetaType::QString) {
        const auto it = m_texts.constFind(key.toString());
        return it == m_texts.cend() ? &m_none : &*it;
    }
    double number = 0;
    if (!numberKey(key, number))
        return nullptr;
    const auto it = m_numbers.constFind(number);
    return it == m_numbers.cend() ? &m_none : &*it;
}
