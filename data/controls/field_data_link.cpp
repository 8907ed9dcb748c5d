#include "field_data_link.h"

void TFieldDataLink::setDataSource(TDataSource *source)
{
    if (source == m_source)
        return;
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_source = source;
    // A change of state alone (browsing to editing) says nothing about the
    // values: every state change that does (cancel, post, open, close) also
    // reports the data changed.
    if (source) {
        m_links << connect(source, &TDataSource::dataChanged, this, &TFieldDataLink::dataChanged)
                << connect(source, &TDataSource::fieldChanged, this,
                           [this](TField *f) {
                               // The field was assigned: its value is what to show.
                               if (f == Field())
                                   Reset();
                           })
                << connect(source, &TDataSource::updateRecord, this, &TFieldDataLink::updateData);
    }
    Reset();
}

void TFieldDataLink::setFieldName(const QString &name)
{
    m_fieldName = name;
    Reset();
}

void TFieldDataLink::dataChanged()
{
    if (m_modified && Editing())
        return;
    Reset();
}

TDataSet *TFieldDataLink::DataSet() const { return m_source ? m_source->DataSet() : nullptr; }

bool TFieldDataLink::Active() const
{
    const TDataSet *ds = DataSet();
    return ds && ds->Active();
}

TField *TFieldDataLink::Field() const
{
    return Active() && !m_fieldName.isEmpty() ? DataSet()->FindField(m_fieldName) : nullptr;
}

bool TFieldDataLink::Editing() const
{
    const TDataSetState s = m_source ? m_source->State() : dsInactive;
    return s == dsEdit || s == dsInsert;
}

bool TFieldDataLink::CanModify() const
{
    const TField *f = Field();
    return f && !f->Calculated();
}

bool TFieldDataLink::Modify()
{
    if (!CanModify()) {
        Reset();
        return false;
    }
    // Marked before the record starts editing: when that appends a record to
    // an empty data set, the new record must not take the change back.
    m_modified = true;
    try {
        if (!Editing())
            DataSet()->Edit();
    } catch (...) {
        Reset();
        throw;
    }
    if (!Editing()) {
        Reset();
        return false;
    }
    return true;
}

void TFieldDataLink::Reset()
{
    m_modified = false;
    emit recordChanged();
}

void TFieldDataLink::UpdateField(const std::function<void(TField &)> &write)
{
    TField *f = Field();
    if (!m_modified || !f || !Editing())
        return;
    m_modified = false;
    try {
        write(*f);
    } catch (...) {
        m_modified = true;
        throw;
    }
}

void TFieldDataLink::Assign(const std::function<void(TField &)> &write)
{
    if (!Modify())
        return;
    try {
        UpdateField(write);
    } catch (...) {
        Reset();
        throw;
    }
}
