#pragma once
// A drop-down list whose choices are the records of another data set (the
// list source): it shows ListField and stores the chosen record's KeyField
// into DataField of the current record. The choices follow the list data set
// at once: a record posted there is offered immediately. A stored value that
// is not in the list stays in the record and shows as no choice.

#include <QComboBox>

#include "field_data_link.h"

class TDBLookupComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
    Q_PROPERTY(QString KeyField READ KeyField WRITE setKeyField)
    Q_PROPERTY(QString ListField READ ListField WRITE setListField)
public:
    explicit TDBLookupComboBox(QWidget *parent = nullptr);

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void setDataSource(TDataSource *source) { m_link.setDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }

    TDataSource *ListSource() const { return m_listSource; }
    void setListSource(TDataSource *source);
    QString KeyField() const { return m_keyField; }
    void setKeyField(const QString &name);
    QString ListField() const { return m_listField; }
    void setListField(const QString &name);

private:
    void rebuildList();
    void reload();
    void choose(int index);

    TFieldDataLink m_link;
    QPointer<TDataSource> m_listSource;
    QList<QMetaObject::Connection> m_listLinks;
    QString m_keyField, m_listField;
    QList<QVariant> m_keys; // parallel to the items
};
