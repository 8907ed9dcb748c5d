#pragma once
// The data dictionary dialog: the report's variables in their categories,
// each with its expression, and the data sets and fields the report sees,
// each with the name shown for it and whether the lists show it at all.
// It edits a copy; Apply writes the copy back.

#include "report/expr/data_dictionary.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

class TqpDictForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpDictForm(const TqpDataDictionary &dictionary, QWidget *parent = nullptr);

    QTabWidget *Pages;
    // Categories at the top level, their variables below them.
    QTreeWidget *VarTree;
    // The name the add and rename buttons use.
    QLineEdit *NameEdit;
    QPushButton *AddCategoryB, *AddVariableB, *RenameB, *DeleteB;
    // The chosen variable's expression.
    QLineEdit *ExpressionEdit;
    QPushButton *ExpressionB, *FieldB;
    // Name (checked: shown in the lists) and alias, of the data sets and of
    // the chosen data set's fields.
    QTreeWidget *DataSets, *Fields;

    // The edited copy.
    const TqpDataDictionary &Dictionary() const { return m_dict; }
    // Writes the variables, aliases and hidden data sets back.
    void Apply(TqpDataDictionary &target) const;

private:
    void fillVariables(int current);
    // The Variables index of the chosen entry, -1 without one.
    int currentIndex() const;
    // The end of the category starting at `category`: the next category's
    // index or the count.
    int categoryEnd(int category) const;
    // The trimmed name typed, or empty after telling why it cannot be used
    // for the entry at `self` (-1 for a new one).
    QString checkedName(bool category, int self) const;
    void addCategory();
    void addVariable();
    void renameEntry();
    void deleteEntry();
    void showExpression();
    void setExpression(const QString &text);

    void fillDataSets();
    void fillFields();
    void dataSetChanged(QTreeWidgetItem *item, int column);
    void fieldChanged(QTreeWidgetItem *item, int column);
    // Writes the data sets' check boxes as hidden names, and the empty
    // entries that keep a shown data set listed once aliases exist.
    void storeVisibility();
    // The alias stored for `key`, empty without one.
    QString storedAlias(const QString &key) const;
    // Stores `alias` for `key`, or nothing when it is the real name.
    void setAlias(const QString &key, const QString &name, const QString &alias);

    TqpDataDictionary m_dict;
};
