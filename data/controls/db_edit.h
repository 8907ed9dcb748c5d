#pragma once
// A one-line editor of a field of the current record. Every change the
// operator makes (typing, paste, drop, middle click, undo) starts editing the
// record; the text reaches the field when the editor loses focus or the
// record is settled or posted. The field's edit mask and size limit typing.

#include <QLineEdit>

#include "field_data_link.h"

class TDBEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
public:
    explicit TDBEdit(QWidget *parent = nullptr);

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void setDataSource(TDataSource *source) { m_link.setDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }

    // Writes typed text into the field; raises when the field refuses it.
    void UpdateRecord();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void reload();
    void showField(bool forEditing);

    TFieldDataLink m_link;
};
