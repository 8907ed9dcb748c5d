#include "report/designer/dict_form.h"

#include "platform/modal_seam.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/designer/dialog_buttons.h"
#include "report/designer/editor_strings.h"
#include "report/designer/expression_form.h"
#include "report/designer/field_chooser.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kCaption = 59985, kDataSetsTab = 59986, kName = 59987, kAddCategory = 59988, kAddVariable = 59989,
              kRename = 59990, kDelete = 59991, kEmptyName = 59992, kNameUsed = 59993, kPickCategory = 59994,
              kNameColumn = 59995, kAliasColumn = 59996, kHiddenHint = 59997, kHiddenByPattern = 59998;

bool isCategory(const QString &name) { return name.startsWith(QLatin1Char(' ')); }

QTreeWidget *nameAliasList(QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setHeaderLabels({qpLoadStr(kNameColumn), qpLoadStr(kAliasColumn)});
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(QHeaderView::Stretch);
    // Only the alias is typed over; the name is the component's or field's.
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, list, [list](QTreeWidgetItem *item, int column) {
        if (column == 1)
            list->editItem(item, 1);
    });
    return list;
}

QTreeWidgetItem *nameAliasItem(QTreeWidget *list, const QString &name, const QString &alias, bool shown)
{
    auto *item = new QTreeWidgetItem(list, {name, alias});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
    item->setCheckState(0, shown ? Qt::Checked : Qt::Unchecked);
    return item;
}

QVBoxLayout *labelled(int label, QWidget *widget)
{
    auto *box = new QVBoxLayout;
    box->addWidget(new QLabel(qpLoadStr(label)));
    box->addWidget(widget);
    return box;
}

} // namespace

TqpDictForm::TqpDictForm(const TqpDataDictionary &dictionary, QWidget *parent) : QDialog(parent), m_dict(dictionary)
{
    setObjectName(QStringLiteral("TqpDictForm"));
    setWindowTitle(qpLoadStr(kCaption));
    Pages = new QTabWidget(this);

    auto *variables = new QWidget;
    VarTree = new QTreeWidget(variables);
    VarTree->setHeaderHidden(true);
    NameEdit = new QLineEdit(variables);
    AddCategoryB = new QPushButton(qpLoadStr(kAddCategory), variables);
    AddVariableB = new QPushButton(qpLoadStr(kAddVariable), variables);
    RenameB = new QPushButton(qpLoadStr(kRename), variables);
    DeleteB = new QPushButton(qpLoadStr(kDelete), variables);
    ExpressionEdit = new QLineEdit(variables);
    ExpressionB = new QPushButton(qpLoadStr(qpsInsertExpression), variables);
    FieldB = new QPushButton(qpLoadStr(qpsInsertField), variables);
    auto *side = new QVBoxLayout;
    side->addWidget(new QLabel(qpLoadStr(kName)));
    side->addWidget(NameEdit);
    for (QPushButton *b : {AddCategoryB, AddVariableB, RenameB, DeleteB})
        side->addWidget(b);
    side->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(VarTree, 1);
    top->addLayout(side);
    auto *expression = new QHBoxLayout;
    expression->addWidget(new QLabel(qpLoadStr(qpsExpressionLabel)));
    expression->addWidget(ExpressionEdit, 1);
    expression->addWidget(ExpressionB);
    expression->addWidget(FieldB);
    auto *varLayout = new QVBoxLayout(variables);
    varLayout->addLayout(top, 1);
    varLayout->addLayout(expression);
    Pages->addTab(variables, qpLoadStr(qpsVariablesTab));

    auto *dataSets = new QWidget;
    DataSets = nameAliasList(dataSets);
    Fields = nameAliasList(dataSets);
    auto *lists = new QHBoxLayout;
    lists->addLayout(labelled(qpsDataSetLabel, DataSets));
    lists->addLayout(labelled(qpsFieldsLabel, Fields));
    auto *dataLayout = new QVBoxLayout(dataSets);
    auto *hint = new QLabel(qpLoadStr(kHiddenHint));
    hint->setWordWrap(true);
    dataLayout->addWidget(hint);
    dataLayout->addLayout(lists, 1);
    Pages->addTab(dataSets, qpLoadStr(kDataSetsTab));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Pages, 1);
    layout->addWidget(qpOkCancelButtons(this));
    resize(620, 440);

    connect(VarTree, &QTreeWidget::currentItemChanged, this, &TqpDictForm::showExpression);
    connect(AddCategoryB, &QPushButton::clicked, this, &TqpDictForm::addCategory);
    connect(AddVariableB, &QPushButton::clicked, this, &TqpDictForm::addVariable);
    connect(RenameB, &QPushButton::clicked, this, &TqpDictForm::renameEntry);
    connect(DeleteB, &QPushButton::clicked, this, &TqpDictForm::deleteEntry);
    connect(ExpressionEdit, &QLineEdit::textEdited, this, &TqpDictForm::setExpression);
    connect(ExpressionB, &QPushButton::clicked, this, [this] {
        const QString text = qpEditExpression(m_dict, ExpressionEdit->text(), this);
        if (!text.isEmpty()) {
            ExpressionEdit->setText(text);
            setExpression(text);
        }
    });
    connect(FieldB, &QPushButton::clicked, this, [this] {
        const QString reference = qpChooseField(m_dict, this);
        if (!reference.isEmpty()) {
            ExpressionEdit->insert(reference);
            setExpression(ExpressionEdit->text());
        }
    });
    connect(DataSets, &QTreeWidget::currentItemChanged, this, &TqpDictForm::fillFields);
    connect(DataSets, &QTreeWidget::itemChanged, this, &TqpDictForm::dataSetChanged);
    connect(Fields, &QTreeWidget::itemChanged, this, &TqpDictForm::fieldChanged);

    fillVariables(0);
    fillDataSets();
}

void TqpDictForm::Apply(TqpDataDictionary &target) const
{
    target.Variables.Assign(m_dict.Variables);
    target.FieldAliases.Assign(m_dict.FieldAliases);
    target.DisabledDatasets = m_dict.DisabledDatasets;
    // Cached look-ups may name what is now a variable or hidden.
    target.ClearCache();
}

// ---------------------------------------------------------------- variables

void TqpDictForm::fillVariables(int current)
{
    VarTree->clear();
    QTreeWidgetItem *category = nullptr;
    QTreeWidgetItem *chosen = nullptr;
    for (int i = 0; i < m_dict.Variables.Count(); ++i) {
        const QString name = m_dict.Variables.GetName(i);
        QTreeWidgetItem *item;
        if (isCategory(name))
            item = category = new QTreeWidgetItem(VarTree, {name.mid(1)});
        else if (category)
            item = new QTreeWidgetItem(category, {name});
        else
            item = new QTreeWidgetItem(VarTree, {name});
        item->setData(0, Qt::UserRole, i);
        if (i == current)
            chosen = item;
    }
    VarTree->expandAll();
    VarTree->setCurrentItem(chosen);
    showExpression();
}

int TqpDictForm::currentIndex() const
{
    return VarTree->currentItem() ? VarTree->currentItem()->data(0, Qt::UserRole).toInt() : -1;
}

int TqpDictForm::categoryEnd(int category) const
{
    int end = category + 1;
    while (end < m_dict.Variables.Count() && !isCategory(m_dict.Variables.GetName(end)))
        ++end;
    return end;
}

QString TqpDictForm::checkedName(bool category, int self) const
{
    const QString name = NameEdit->text().trimmed();
    if (name.isEmpty()) {
        UiSeam::ShowError(qpLoadStr(kEmptyName));
        return {};
    }
    const int used = m_dict.Variables.IndexOf(category ? QLatin1Char(' ') + name : name);
    if (used >= 0 && used != self) {
        UiSeam::ShowError(qpLoadStr(kNameUsed).arg(name));
        return {};
    }
    return name;
}

void TqpDictForm::addCategory()
{
    const QString name = checkedName(true, -1);
    if (name.isEmpty())
        return;
    m_dict.Variables.SetVariable(QLatin1Char(' ') + name, Variant(QString()));
    fillVariables(m_dict.Variables.Count() - 1);
}

void TqpDictForm::addVariable()
{
    int category = currentIndex();
    while (category >= 0 && !isCategory(m_dict.Variables.GetName(category)))
        --category;
    if (category < 0) {
        UiSeam::ShowError(qpLoadStr(kPickCategory));
        return;
    }
    const QString name = checkedName(false, -1);
    if (name.isEmpty())
        return;
    const int at = categoryEnd(category);
    m_dict.Variables.Insert(at, name);
    m_dict.Variables.SetValue(at, Variant(QString()));
    fillVariables(at);
    ExpressionEdit->setFocus();
}

void TqpDictForm::renameEntry()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    const bool category = isCategory(m_dict.Variables.GetName(index));
    const QString name = checkedName(category, index);
    if (name.isEmpty())
        return;
    m_dict.Variables.SetName(index, category ? QLatin1Char(' ') + name : name);
    fillVariables(index);
}

void TqpDictForm::deleteEntry()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    // A category goes with its variables.
    const int end = isCategory(m_dict.Variables.GetName(index)) ? categoryEnd(index) : index + 1;
    for (int i = end - 1; i >= index; --i)
        m_dict.Variables.Delete(i);
    fillVariables(std::min(index, m_dict.Variables.Count() - 1));
}

void TqpDictForm::showExpression()
{
    const int index = currentIndex();
    const QString name = index >= 0 ? m_dict.Variables.GetName(index) : QString();
    const bool variable = index >= 0 && !isCategory(name);
    NameEdit->setText(name.trimmed());
    ExpressionEdit->setText(variable ? m_dict.Variables.GetValue(index).toString() : QString());
    for (QWidget *w : std::initializer_list<QWidget *>{ExpressionEdit, ExpressionB, FieldB})
        w->setEnabled(variable);
    RenameB->setEnabled(index >= 0);
    DeleteB->setEnabled(index >= 0);
}

void TqpDictForm::setExpression(const QString &text)
{
    const int index = currentIndex();
    if (index >= 0 && !isCategory(m_dict.Variables.GetName(index)))
        m_dict.Variables.SetValue(index, Variant(text));
}

// ---------------------------------------------------------------- data sets

void TqpDictForm::fillDataSets()
{
    // Every data set by its component name, hidden ones too.
    TqpDataDictionary all(m_dict);
    all.FieldAliases.Clear();
    all.DisabledDatasets.clear();
    QStringList names;
    all.GetDatasetList(names);
    const QSignalBlocker quiet(DataSets);
    for (const QString &name : std::as_const(names)) {
        // With aliases stored, only the data sets holding an entry are listed.
        const bool listed = m_dict.FieldAliases.Count() == 0 || m_dict.FieldAliases.IndexOf(name) >= 0;
        const QString alias = storedAlias(name);
        QTreeWidgetItem *item = nameAliasItem(DataSets, name, alias.isEmpty() ? name : alias,
                                              listed && m_dict.DatasetEnabled(name));
        // A pattern hides it: the pattern stays, so its check box cannot change.
        const auto pattern = std::find_if(m_dict.DisabledDatasets.cbegin(), m_dict.DisabledDatasets.cend(),
                                          [&name](const QString &hidden) {
                                              return hidden.endsWith(QLatin1Char('*')) &&
                                                     name.startsWith(hidden.chopped(1));
                                          });
        if (pattern != m_dict.DisabledDatasets.cend()) {
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            item->setToolTip(0, qpLoadStr(kHiddenByPattern).arg(pattern->chopped(1)));
        }
    }
    DataSets->setCurrentItem(DataSets->topLevelItem(0));
    fillFields();
}

void TqpDictForm::fillFields()
{
    const QSignalBlocker quiet(Fields);
    Fields->clear();
    const QTreeWidgetItem *current = DataSets->currentItem();
    if (!current)
        return;
    const QString dataSet = current->text(0);
    TqpDataDictionary all(m_dict);
    all.FieldAliases.Clear();
    QStringList fields;
    all.GetFieldList(dataSet, fields);
    for (const QString &field : std::as_const(fields)) {
        const QString key = dataSet + QLatin1Char('.') + field;
        const bool stored = m_dict.FieldAliases.IndexOf(key) >= 0;
        const QString alias = storedAlias(key);
        nameAliasItem(Fields, field, alias.isEmpty() ? field : alias, !stored || !alias.isEmpty());
    }
}

void TqpDictForm::dataSetChanged(QTreeWidgetItem *item, int column)
{
    if (column == 1)
        setAlias(item->text(0), item->text(0), item->text(1));
    storeVisibility();
}

void TqpDictForm::fieldChanged(QTreeWidgetItem *item, int)
{
    const QString field = item->text(0);
    const QString key = DataSets->currentItem()->text(0) + QLatin1Char('.') + field;
    if (item->checkState(0) == Qt::Unchecked)
        m_dict.FieldAliases.SetVariable(key, Variant(QString())); // an empty alias hides the field
    else
        setAlias(key, field, item->text(1));
    storeVisibility();
}

void TqpDictForm::storeVisibility()
{
    QStringList dataSets;
    for (int i = 0; i < DataSets->topLevelItemCount(); ++i)
        dataSets << DataSets->topLevelItem(i)->text(0);
    const auto isDataSet = [&dataSets](const QString &key) {
        return std::any_of(dataSets.cbegin(), dataSets.cend(),
                           [&key](const QString &name) { return qpSameName(name, key); });
    };
    // A field entry or a real data set alias makes the lists keep only the
    // data sets with an entry; an empty entry then keeps one listed.
    bool aliased = false;
    for (int i = 0; i < m_dict.FieldAliases.Count(); ++i)
        aliased = aliased || !isDataSet(m_dict.FieldAliases.GetName(i)) ||
                  !m_dict.FieldAliases.GetValue(i).toString().isEmpty();
    for (int i = 0; i < DataSets->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = DataSets->topLevelItem(i);
        const QString name = item->text(0);
        const bool shown = item->checkState(0) == Qt::Checked;
        const bool byPattern = !(item->flags() & Qt::ItemIsUserCheckable);
        const auto sameName = [&name](const QString &hidden) { return qpSameName(hidden, name); };
        if (shown)
            m_dict.DisabledDatasets.removeIf(sameName);
        else if (!byPattern && std::none_of(m_dict.DisabledDatasets.cbegin(), m_dict.DisabledDatasets.cend(), sameName))
            m_dict.DisabledDatasets.append(name);
        const int entry = m_dict.FieldAliases.IndexOf(name);
        if (shown && aliased && entry < 0)
            m_dict.FieldAliases.SetVariable(name, Variant(QString()));
        else if ((!shown || !aliased) && entry >= 0 && m_dict.FieldAliases.GetValue(entry).toString().isEmpty())
            m_dict.FieldAliases.Delete(entry);
    }
}

QString TqpDictForm::storedAlias(const QString &key) const
{
    return m_dict.FieldAliases.IndexOf(key) >= 0 ? m_dict.FieldAliases.GetVariable(key).toString() : QString();
}

void TqpDictForm::setAlias(const QString &key, const QString &name, const QString &alias)
{
    const QString shown = alias.trimmed();
    if (shown.isEmpty() || shown == name)
        m_dict.FieldAliases.Delete(m_dict.FieldAliases.IndexOf(key));
    else
        m_dict.FieldAliases.SetVariable(key, Variant(shown));
}
