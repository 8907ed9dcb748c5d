#include "report/designer/field_chooser.h"

#include "report/designer/designer_page.h"
#include "report/designer/editor_strings.h"
#include "report/expr/data_dictionary.h"

#include <modal_seam.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QVBoxLayout>

namespace {

// The field list as a drag source: a dragged entry carries its reference.
class TqpFieldListBox : public QListWidget {
public:
    explicit TqpFieldListBox(const TqpFieldList *owner) : m_owner(owner) {}

protected:
    QStringList mimeTypes() const override { return {QLatin1String(qpFieldMimeType)}; }
    QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override
    {
        const QString reference = items.isEmpty() ? QString() : m_owner->ReferenceOf(items.constFirst());
        if (reference.isEmpty())
            return nullptr;
        auto *data = new QMimeData;
        data->setData(QLatin1String(qpFieldMimeType), reference.toUtf8());
        return data;
    }

private:
    const TqpFieldList *m_owner;
};

} // namespace

TqpFieldList::TqpFieldList(const TqpDataDictionary &dictionary, QWidget *parent, bool withVariables)
    : QWidget(parent), DataSets(new QComboBox(this)), Fields(new TqpFieldListBox(this)), m_dictionary(dictionary),
      m_withVariables(withVariables)
{
    DataSets->setObjectName(QStringLiteral("DataSets"));
    Fields->setObjectName(QStringLiteral("Fields"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(qpLoadStr(qpsDataSetLabel), this));
    layout->addWidget(DataSets);
    layout->addWidget(new QLabel(qpLoadStr(qpsFieldsLabel), this));
    layout->addWidget(Fields, 1);
    Refresh();
    connect(DataSets, &QComboBox::currentIndexChanged, this, &TqpFieldList::fillFields);
    connect(Fields, &QListWidget::itemActivated, this, &TqpFieldList::fieldActivated);
}

void TqpFieldList::Refresh()
{
    const QString dataSet = DataSets->currentText();
    const QString field = Fields->currentItem() ? Fields->currentItem()->text() : QString();
    {
        const QSignalBlocker quiet(DataSets);
        DataSets->clear();
        QStringList names;
        m_dictionary.GetDatasetList(names);
        DataSets->addItems(names);
        if (m_withVariables) {
            // A category is told from a data set of the same name by its item data.
            QStringList categories;
            m_dictionary.GetCategoryList(categories);
            for (const QString &category : std::as_const(categories))
                DataSets->addItem(qpLoadStr(qpsVariablesTab) + QLatin1String(": ") + category, category);
        }
        DataSets->setCurrentIndex(std::max(DataSets->findText(dataSet), 0));
    }
    fillFields();
    if (const QList<QListWidgetItem *> same = Fields->findItems(field, Qt::MatchExactly); !same.isEmpty())
        Fields->setCurrentItem(same.constFirst());
}

void TqpFieldList::fillFields()
{
    Fields->clear();
    QStringList fields;
    if (const QVariant category = DataSets->currentData(); category.isValid())
        m_dictionary.GetVariablesList(category.toString(), fields);
    else if (!DataSets->currentText().isEmpty())
        m_dictionary.GetFieldList(DataSets->currentText(), fields);
    Fields->addItems(fields);
    if (!fields.isEmpty())
        Fields->setCurrentRow(0);
}

QString TqpFieldList::FieldReference() const { return ReferenceOf(Fields->currentItem()); }

QString TqpFieldList::ReferenceOf(const QListWidgetItem *item) const
{
    if (!item || DataSets->currentText().isEmpty())
        return {};
    if (DataSets->currentData().isValid())
        return item->text();
    return DataSets->currentText() + QLatin1String(".\"") + item->text() + QLatin1Char('"');
}

TqpFieldsForm::TqpFieldsForm(const TqpDataDictionary &dictionary, QWidget *parent)
    : QDialog(parent), List(new TqpFieldList(dictionary, this))
{
    setObjectName(QStringLiteral("TqpFieldsForm"));
    setWindowTitle(qpLoadStr(qpsFieldChooserCaption));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List, 1);
    layout->addWidget(qpOkCancelButtons(this));
    connect(List, &TqpFieldList::fieldActivated, this, &QDialog::accept);
    resize(300, 360);
}

QString qpChooseField(const TqpDataDictionary &dictionary, QWidget *parent)
{
    TqpFieldsForm form(dictionary, parent);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return {};
    return form.List->FieldReference();
}

QString qpInsertDBField(const TqpDataDictionary &dictionary, QWidget *parent)
{
    const QString field = qpChooseField(dictionary, parent);
    return field.isEmpty() ? QString() : QLatin1Char('[') + field + QLatin1Char(']');
}
