#pragma once
// The expression dialog: an edit line and, beside it, what can go into an
// expression: the functions by category with their syntax and description
// from the function libraries, the dictionary's variables and the built-in
// ones, the data fields, and buttons for the operators.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class TqpDataDictionary;
class TqpFieldList;

class TqpExpressionForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpExpressionForm(const TqpDataDictionary &dictionary, QWidget *parent = nullptr);

    QLineEdit *Expression;
    QTabWidget *Pages;
    QListWidget *Categories, *Functions;
    QLabel *Syntax, *Description;
    QListWidget *VarCategories, *Variables;
    TqpFieldList *FieldList;

    // Puts text at the caret of the edit line, replacing its selection.
    void InsertText(const QString &text);

private:
    void fillFunctions();
    void showFunction();
    void insertFunction();
    void fillVariables();
    void insertVariable();
    void insertField();

    const TqpDataDictionary &m_dictionary;
};

// Shows the dialog modally, starting from `initial`: the expression on OK,
// or empty when it was cancelled.
// `page` is the tab shown first: 0 functions, 1 variables, 2 fields.
QString qpEditExpression(const TqpDataDictionary &dictionary, const QString &initial = {}, QWidget *parent = nullptr,
                         int page = 0);

// How an expression goes into a text: unchanged when it already is one
// bracketed expression ("[" first, "]" last, no further "["), otherwise in
// brackets.
QString qpBracketExpression(const QString &expression);

// What the designer's "insert expression" gives: the dialog's expression
// bracketed as above, or empty when cancelled or left empty. `page` as above.
QString qpInsertExpression(const TqpDataDictionary &dictionary, QWidget *parent = nullptr, int page = 0);
