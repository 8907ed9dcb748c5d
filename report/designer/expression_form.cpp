#include "report/designer/expression_form.h"

#include "report/designer/editor_strings.h"
#include "report/designer/field_chooser.h"
#include "report/expr/data_dictionary.h"
#include "report/expr/expr_globals.h"
#include "report/expr/function_library.h"

#include <modal_seam.h>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The operators offered as buttons; words get blanks around them.
const char *const kOperators[] = {"+", "-", "*", "/", "(", ")", "=", "<>", "<", ">", "<=", ">=",
                                  "AND", "OR", "NOT", "MOD", "'"};

// The category of the built-in variables, listed before the dictionary's.
QString builtInCategory() { return qpLoadStr(qpsBuiltInVariables); }

} // namespace

TqpExpressionForm::TqpExpressionForm(const TqpDataDictionary &dictionary, QWidget *parent)
    : QDialog(parent), Expression(new QLineEdit(this)), Pages(new QTabWidget(this)),
      Categories(new QListWidget), Functions(new QListWidget), Syntax(new QLabel), Description(new QLabel),
      VarCategories(new QListWidget), Variables(new QListWidget),
      FieldList(new TqpFieldList(dictionary)), m_dictionary(dictionary)
{
    setObjectName(QStringLiteral("TqpExpressionForm"));
    setWindowTitle(qpLoadStr(qpsExpressionCaption));
    Expression->setObjectName(QStringLiteral("Expression"));
    Categories->setObjectName(QStringLiteral("Categories"));
    Functions->setObjectName(QStringLiteral("Functions"));
    VarCategories->setObjectName(QStringLiteral("VarCategories"));
    Variables->setObjectName(QStringLiteral("Variables"));
    Syntax->setObjectName(QStringLiteral("Syntax"));
    Description->setObjectName(QStringLiteral("Description"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qpLoadStr(qpsExpressionLabel), this));
    layout->addWidget(Expression);

    auto *operators = new QGridLayout;
    int column = 0;
    for (const char *op : kOperators) {
        const QString text = QString::fromLatin1(op);
        auto *button = new QPushButton(text, this);
        button->setObjectName(QLatin1String("Op") + text);
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumWidth(20);
        button->setMaximumWidth(44);
        connect(button, &QPushButton::clicked, this, [this, text] {
            InsertText(text.at(0).isLetter() ? QLatin1Char(' ') + text + QLatin1Char(' ') : text);
        });
        operators->addWidget(button, 0, column++);
    }
    layout->addLayout(operators);

    auto *functionsPage = new QWidget;
    auto *fl = new QGridLayout(functionsPage);
    fl->addWidget(Categories, 0, 0);
    fl->addWidget(Functions, 0, 1);
    Syntax->setStyleSheet(QStringLiteral("font-weight: bold"));
    Syntax->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Description->setWordWrap(true);
    Description->setMinimumHeight(40);
    fl->addWidget(Syntax, 1, 0, 1, 2);
    fl->addWidget(Description, 2, 0, 1, 2);
    fl->setColumnStretch(1, 2);
    Pages->addTab(functionsPage, qpLoadStr(qpsFunctionsTab));

    auto *variablesPage = new QWidget;
    auto *vl = new QGridLayout(variablesPage);
    vl->addWidget(VarCategories, 0, 0);
    vl->addWidget(Variables, 0, 1);
    Pages->addTab(variablesPage, qpLoadStr(qpsVariablesTab));

    Pages->addTab(FieldList, qpLoadStr(qpsFieldsTab));
    layout->addWidget(Pages, 1);
    layout->addWidget(qpOkCancelButtons(this));

    QStringList categories;
    qpInstalledFunctions.GetCategoryList(categories);
    Categories->addItems(categories);
    connect(Categories, &QListWidget::currentRowChanged, this, &TqpExpressionForm::fillFunctions);
    connect(Functions, &QListWidget::currentRowChanged, this, &TqpExpressionForm::showFunction);
    connect(Functions, &QListWidget::itemActivated, this, &TqpExpressionForm::insertFunction);
    if (!categories.isEmpty())
        Categories->setCurrentRow(0);

    VarCategories->addItem(builtInCategory());
    QStringList varCategories;
    m_dictionary.GetCategoryList(varCategories);
    VarCategories->addItems(varCategories);
    connect(VarCategories, &QListWidget::currentRowChanged, this, &TqpExpressionForm::fillVariables);
    connect(Variables, &QListWidget::itemActivated, this, &TqpExpressionForm::insertVariable);
    VarCategories->setCurrentRow(0);

    connect(FieldList, &TqpFieldList::fieldActivated, this, &TqpExpressionForm::insertField);
    resize(560, 420);
    Expression->setFocus();
}

void TqpExpressionForm::InsertText(const QString &text)
{
    Expression->insert(text);
    Expression->setFocus();
}

void TqpExpressionForm::fillFunctions()
{
    Functions->clear();
    if (const QListWidgetItem *item = Categories->currentItem()) {
        QStringList names;
        qpInstalledFunctions.GetFunctionList(item->text(), names);
        Functions->addItems(names);
    }
    if (Functions->count())
        Functions->setCurrentRow(0);
    else
        showFunction();
}

void TqpExpressionForm::showFunction()
{
    const QListWidgetItem *item = Functions->currentItem();
    const QString desc = item ? qpInstalledFunctions.GetFunctionDesc(item->text()) : QString();
    const int slash = desc.indexOf(QLatin1Char('/'));
    Syntax->setText(slash < 0 ? desc : desc.left(slash));
    Description->setText(slash < 0 ? QString() : desc.mid(slash + 1));
}

void TqpExpressionForm::insertFunction()
{
    const QListWidgetItem *item = Functions->currentItem();
    if (!item)
        return;
    // A function that takes arguments leaves the caret between its parentheses.
    const QString syntax = Syntax->text();
    const bool hasArguments = syntax.contains(QLatin1Char('(')) && !syntax.contains(QLatin1String("()"));
    if (!hasArguments && !syntax.contains(QLatin1Char('('))) {
        InsertText(item->text());
        return;
    }
    InsertText(item->text() + QLatin1String("()"));
    if (hasArguments)
        Expression->cursorBackward(false);
}

void TqpExpressionForm::fillVariables()
{
    Variables->clear();
    if (VarCategories->currentRow() == 0) {
        for (const char *name : qpSpecFuncs)
            if (*name)
                Variables->addItem(QString::fromLatin1(name));
    } else if (const QListWidgetItem *item = VarCategories->currentItem()) {
        QStringList names;
        m_dictionary.GetVariablesList(item->text(), names);
        Variables->addItems(names);
    }
}

void TqpExpressionForm::insertVariable()
{
    if (const QListWidgetItem *item = Variables->currentItem())
        InsertText(item->text());
}

void TqpExpressionForm::insertField()
{
    const QString reference = FieldList->FieldReference();
    if (!reference.isEmpty())
        InsertText(reference);
}

QString qpEditExpression(const TqpDataDictionary &dictionary, const QString &initial, QWidget *parent, int page)
{
    TqpExpressionForm form(dictionary, parent);
    form.Pages->setCurrentIndex(page);
    form.Expression->setText(initial);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return {};
    return form.Expression->text().trimmed();
}

QString qpBracketExpression(const QString &expression)
{
    if (expression.startsWith(QLatin1Char('[')) && expression.endsWith(QLatin1Char(']'))
        && expression.indexOf(QLatin1Char('['), 1) < 0)
        return expression;
    return QLatin1Char('[') + expression + QLatin1Char(']');
}

QString qpInsertExpression(const TqpDataDictionary &dictionary, QWidget *parent, int page)
{
    const QString expression = qpEditExpression(dictionary, {}, parent, page);
    return expression.isEmpty() ? QString() : qpBracketExpression(expression);
}
