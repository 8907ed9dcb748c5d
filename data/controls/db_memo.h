#pragma once
// A multi-line editor of a text field (a memo) of the current record; it
// follows the record like TDBEdit: every change the operator makes starts
// editing, and the text reaches the field when the memo loses focus or the
// record is settled or posted.

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
    bool m_loading = false;  // showing the field, not the operator's change
    bool m_changing = false; // inside the operator's change
};
