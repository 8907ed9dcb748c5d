#include "field_data_link.h"

void TFieldDataLink::setDataSource(TDataSource *source)
{
    if (source == m_source)
        return;
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_source = source;
    if (source) {
        m_links << connect(source, &TDataSource::dataChanged, this, &TFieldDataLink::recordChanged)
                << connect(source, &TDataSource::stateChanged, this, &TFieldDataLink::recordChanged)
                << connect(source, &TDataSource::fieldChanged, this,
                           [this](TField *f) {
                               if (f == Field())
                                   emit recordChanged();
                           })
                << connect(source, &TDataSource::updateRecord, this, &TFieldDataLink::updateData);
    }
    emit recordChanged();
}

void TFieldDataLink::setFieldName(const QString &name)
{
    m_fieldName = name;
    emit recordChanged();
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

bool TFieldDataLink::Edit()
{
    if (!CanModify())
        return false;
    if (!Editing())
        DataSet()->Edit();
    return Editing();
}
