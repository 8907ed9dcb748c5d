#pragma once
// The data-field chooser: the report's data sets and their fields as the
// dictionary shows them (aliases instead of component names, hidden data
// sets and fields left out). The list part is shared with the expression
// dialog and the designer's insert-fields window, which drags fields from it.

#include <QDialog>
#include <QWidget>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class TqpDataDictionary;

class TqpFieldList : public QWidget {
    Q_OBJECT
public:
    // With `withVariables` the box also offers the dictionary's variable
    // categories after the data sets; their entries are variable names.
    explicit TqpFieldList(const TqpDataDictionary &dictionary, QWidget *parent = nullptr,
                          bool withVariables = false);

    QComboBox *DataSets;
    // Dragging an entry (when the owner enables dragging) carries its
    // reference as qpFieldMimeType data.
    QListWidget *Fields;

    // The chosen field as an expression names it: data set, a full stop and
    // the field in double quotes; empty when no field is chosen.
    QString FieldReference() const;
    // The same for any entry of the list; a variable is named bare.
    QString ReferenceOf(const QListWidgetItem *item) const;
    // Reads the dictionary again; the chosen data set and field stay chosen
    // while they still exist.
    void Refresh();

signals:
    // A field was double-clicked or Enter was pressed on it.
    void fieldActivated();

private:
    void fillFields();
    const TqpDataDictionary &m_dictionary;
    const bool m_withVariables;
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
