#pragma once
// The data-field chooser: the report's data sets and their fields as the
// dictionary shows them (aliases instead of component names, hidden data
// sets and fields left out). The list part is shared with the expression
// dialog.

#include <QDialog>
#include <QWidget>

class QComboBox;
class QListWidget;
class TqpDataDictionary;

class TqpFieldList : public QWidget {
    Q_OBJECT
public:
    explicit TqpFieldList(const TqpDataDictionary &dictionary, QWidget *parent = nullptr);

    QComboBox *DataSets;
    QListWidget *Fields;

    // The chosen field as an expression names it: data set, a full stop and
    // the field in double quotes; empty when no field is chosen.
    QString FieldReference() const;

signals:
    // A field was double-clicked or Enter was pressed on it.
    void fieldActivated();

private:
    void fillFields();
    const TqpDataDictionary &m_dictionary;
};

class TqpFieldsForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpFieldsForm(const TqpDataDictionary &dictionary, QWidget *parent = nullptr);
    TqpFieldList *List;
};

// Shows the chooser modally: the reference of the chosen field, or empty
// when it was cancelled or nothing was chosen.
QString qpChooseField(const TqpDataDictionary &dictionary, QWidget *parent = nullptr);
// What the designer's "insert data field" gives: "[" + the chosen field's
// reference + "]", or empty when cancelled or nothing was chosen.
QString qpInsertDBField(const TqpDataDictionary &dictionary, QWidget *parent = nullptr);
