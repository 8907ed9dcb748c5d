#pragma once
// A multi-line editor of a text field (a memo) of the current record; it
// follows the record like TDBEdit.

#include <QPlainTextEdit>

#include "field_data_link.h"

class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
public:
    explicit TDBMemo(QWidget *parent = nullptr);

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void setDataSource(TDataSource *source) { m_link.setDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }

    void UpdateRecord();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void reload();

    TFieldDataLink m_link;
};
