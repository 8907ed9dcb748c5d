#pragma once
// What a data-aware widget needs of its data source: the field it shows, a
// signal whenever that field's value may have changed, and a signal asking it
// to write typed text into the field before the record is settled or posted.

#include <QObject>
#include <QPointer>

#include "data_source.h"

class TFieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit TFieldDataLink(QObject *parent = nullptr) : QObject(parent) {}

    TDataSource *DataSource() const { return m_source; }
    void setDataSource(TDataSource *source);
    const QString &FieldName() const { return m_fieldName; }
    void setFieldName(const QString &name);

    TDataSet *DataSet() const;
    bool Active() const;
    // The field, looked up on every call: fields are recreated when the data
    // set reopens. nullptr when inactive or absent.
    TField *Field() const;
    bool Editing() const;
    bool CanModify() const;
    // Puts the data set into edit state unless it already edits or inserts;
    // false when the field cannot be changed.
    bool Edit();

signals:
    void recordChanged(); // show the field's value again
    void updateData();    // write pending text into the field now

private:
    QPointer<TDataSource> m_source;
    QString m_fieldName;
    QList<QMetaObject::Connection> m_links;
};
