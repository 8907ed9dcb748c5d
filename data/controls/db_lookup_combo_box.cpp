#include "db_lookup_combo_box.h"

#include "application.h"

#include <QSignalBlocker>

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(&m_link, &TFieldDataLink::recordChanged, this, &TDBLookupComboBox::reload);
    connect(this, &QComboBox::activated, this, [this](int index) { Guarded([&] { choose(index); }); });
}

void TDBLookupComboBox::setListSource(TDataSource *source)
{
    for (const auto &c : m_listLinks)
        disconnect(c);
    m_listLinks.clear();
    m_listSource = source;
    if (source)
        m_listLinks << connect(source, &TDataSource::dataChanged, this, &TDBLookupComboBox::rebuildList)
                    << connect(source, &TDataSource::stateChanged, this, &TDBLookupComboBox::rebuildList);
    rebuildList();
}

void TDBLookupComboBox::setKeyField(const QString &name)
{
    m_keyField = name;
    rebuildList();
}

void TDBLookupComboBox::setListField(const QString &name)
{
    m_listField = name;
    rebuildList();
}

void TDBLookupComboBox::rebuildList()
{
    QStringList items;
    m_keys.clear();
    TDataSet *list = m_listSource ? m_listSource->DataSet() : nullptr;
    const TField *keyField = list && list->Active() ? list->FindField(m_keyField) : nullptr;
    const TField *listField = list && list->Active() ? list->FindField(m_listField.isEmpty() ? m_keyField : m_listField) : nullptr;
    if (keyField && listField) {
        // Only stored records are choices; a record still being inserted in
        // the list's own window is not.
        const int pending = list->InsertPosition();
        const int rows = list->RecordCount() + (pending >= 0 ? 1 : 0);
        for (int row = 0; row < rows; ++row) {
            if (row == pending)
                continue;
            const QVector<QVariant> values = list->RecordValues(row);
            m_keys.append(values[keyField->Index()]);
            items.append(listField->displayTextOf(values[listField->Index()]));
        }
    }
    const QSignalBlocker block(this);
    clear();
    addItems(items);
    reload();
}

void TDBLookupComboBox::reload()
{
    const TField *f = m_link.Field();
    int index = -1;
    if (f && !f->IsNull()) {
        const QString value = f->AsString();
        for (int i = 0; i < m_keys.size() && index < 0; ++i)
            if (m_keys[i].isValid() && m_keys[i].toString() == value)
                index = i;
    }
    const QSignalBlocker block(this);
    setCurrentIndex(index);
}

void TDBLookupComboBox::choose(int index)
{
    if (index < 0 || index >= m_keys.size()) {
        reload();
        return;
    }
    if (const TField *f = m_link.Field(); f && !f->IsNull() && f->AsString() == m_keys[index].toString())
        return;
    m_link.Assign([&](TField &f) { f.setValue(m_keys[index]); });
}
