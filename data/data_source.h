#pragma once
// Links data-aware widgets to a data set and relays its changes to them.

#include <QObject>
#include <QPointer>

#include "dataset.h"

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr) : QObject(parent) {}
    TDataSet *DataSet() const { return m_dataSet; }
    void setDataSet(TDataSet *dataSet);
    TDataSetState State() const { return m_dataSet ? m_dataSet->State() : dsInactive; }

signals:
    void dataChanged();              // the current record moved, or the records changed
    void fieldChanged(TField *field); // a field of the current record was assigned
    void stateChanged();             // opened, closed, began or ended an edit
    void updateRecord();             // write pending typed text into the fields now
    // As dataChanged, but also while the data set's controls are disabled:
    // what a detail data set's master link follows.
    void masterRecordChanged();

private:
    QPointer<TDataSet> m_dataSet;
    QList<QMetaObject::Connection> m_links;
};
