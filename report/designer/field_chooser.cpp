#include "report/designer/field_chooser.h"

#include "report/designer/editor_strings.h"
#include "report/expr/data_dictionary.h"

#include <modal_seam.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

TqpFieldList::TqpFieldList(const TqpDataDictionary &dictionary, QWidget *parent)
    : QWidget(parent), DataSets(new QComboBox(this)), Fields(new QListWidget(this)), m_dictionary(dictionary)
{
    DataSets->setObjectName(QStringLiteral("DataSets"));
    Fields->setObjectName(QStringLiteral("Fields"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(qpLoadStr(qpsDataSetLabel), this));
    layout->addWidget(DataSets);
    layout->addWidget(new QLabel(qpLoadStr(qpsFieldsLabel), this));
    layout->addWidget(Fields, 1);
    QStringList names;
    m_dictionary.GetDatasetList(names);
    DataSets->addItems(names);
    connect(DataSets, &QComboBox::currentIndexChanged, this, &TqpFieldList::fillFields);
    connect(Fields, &QListWidget::itemActivated, this, &TqpFieldList::fieldActivated);
    fillFields();
}

void TqpFieldList::fillFields()
{
    Fields->clear();
    QStringList fields;
    if (!DataSets->currentText().isEmpty())
        m_dictionary.GetFieldList(DataSets->currentText(), fields);
    Fields->addItems(fields);
    if (!fields.isEmpty())
        Fields->setCurrentRow(0);
}

QString TqpFieldList::FieldReference() const
{
    const QListWidgetItem *item = Fields->currentItem();
    if (!item || DataSets->currentText().isEmpty())
        return {};
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
