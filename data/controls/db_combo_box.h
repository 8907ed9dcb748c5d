#pragma once
// A drop-down list of fixed choices for a text field of the current record.
// Only the listed items can be chosen; a stored value that is not among them
// shows as no choice.

#include <QComboBox>

#include "field_data_link.h"

class TDBComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
public:
    explicit TDBComboBox(QWidget *parent = nullptr);

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void setDataSource(TDataSource *source) { m_link.setDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }

private:
    void reload();
    void choose(int index);

    TFieldDataLink m_link;
};
