#include "data_source.h"

void TDataSource::setDataSet(TDataSet *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_dataSet = dataSet;
    if (dataSet) {
        m_links << connect(dataSet, &TDataSet::notifyData, this, &TDataSource::dataChanged)
                << connect(dataSet, &TDataSet::notifyField, this, &TDataSource::fieldChanged)
                << connect(dataSet, &TDataSet::notifyState, this, &TDataSource::stateChanged)
                << connect(dataSet, &TDataSet::notifyUpdateRecord, this, &TDataSource::updateRecord)
                << connect(dataSet, &TDataSet::notifyDetails, this, &TDataSource::masterRecordChanged);
    }
    emit stateChanged();
    emit dataChanged();
    emit masterRecordChanged();
}
