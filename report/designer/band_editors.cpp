#include "report/designer/band_editors.h"

#include "report/designer/designer_state.h"
#include "report/designer/editor_strings.h"
#include "report/designer/expression_form.h"
#include "report/expr/data_dictionary.h"
#include "report/model/band_view.h"
#include "report/model/page.h"
#include "report/model/report.h"

#include <modal_seam.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

bool isDataBand(int type) { return type == btMasterData || type == btDetailData || type == btSubDetailData; }
bool isCrossBand(int type) { return type >= btCrossHeader && type <= btCrossFooter; }

// Names of the page's bands, other than `self`, whose type passes `wanted`.
QStringList bandNames(const TqpPage *page, const TqpBandView *self, bool (*wanted)(int))
{
    QStringList names;
    for (TqpView *v : page->Items)
        if (auto *band = dynamic_cast<TqpBandView *>(v); band && band != self && wanted(band->GetBandType()))
            names << band->Name;
    return names;
}

// A box whose first entry, "(yok)", stands for the empty name.
QComboBox *namesBox(QWidget *parent, const QStringList &names, const QString &current)
{
    auto *box = new QComboBox(parent);
    box->addItem(qpLoadStr(qpsNone), QString());
    for (const QString &name : names)
        box->addItem(name, name);
    const int index = box->findData(current, Qt::UserRole, Qt::MatchFixedString);
    box->setCurrentIndex(qMax(0, index));
    return box;
}

// The pairs "Band=DataSet;" of a cross-tab data source text.
QHash<QString, QString> crossPairs(const QString &text)
{
    QHash<QString, QString> pairs;
    for (const QString &item : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = item.indexOf(QLatin1Char('='));
        if (eq > 0)
            pairs.insert(item.left(eq).trimmed().toUpper(), item.mid(eq + 1).trimmed());
    }
    return pairs;
}

} // namespace

TqpBandEditorForm::TqpBandEditorForm(TqpBandView *band, TqpPage *page, const TqpDataDictionary &dictionary,
                                     QWidget *parent)
    : QDialog(parent), m_band(band), m_dictionary(dictionary)
{
    setObjectName(QStringLiteral("TqpBandEditorForm"));
    const int type = band->GetBandType();
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    if (type == btGroupHeader) {
        setWindowTitle(qpLoadStr(qpsGroupEditorCaption) + QLatin1String(" - ") + band->Name);
        Condition = new QLineEdit(band->FormatStr, this);
        Condition->setObjectName(QStringLiteral("Condition"));
        auto *expression = new QPushButton(QStringLiteral("..."), this);
        expression->setObjectName(QStringLiteral("ConditionButton"));
        connect(expression, &QPushButton::clicked, this, [this] {
            const QString e = qpEditExpression(m_dictionary, Condition->text(), this);
            if (!e.isEmpty())
                Condition->setText(e);
        });
        auto *row = new QHBoxLayout;
        row->addWidget(Condition, 1);
        row->addWidget(expression);
        form->addRow(qpLoadStr(qpsConditionLabel), row);
        Master = namesBox(this, bandNames(page, band, isDataBand), band->Master);
        Master->setObjectName(QStringLiteral("Master"));
        form->addRow(qpLoadStr(qpsMasterBandLabel), Master);
    } else if (type == btCrossData) {
        setWindowTitle(qpLoadStr(qpsCrossEditorCaption) + QLatin1String(" - ") + band->Name);
        const bool isList = band->FormatStr.contains(QLatin1Char(';'));
        DataSource = dataSourceBox();
        DataSource->setObjectName(QStringLiteral("DataSource"));
        if (!isList)
            selectSource(DataSource, band->FormatStr);
        form->addRow(qpLoadStr(qpsDataSourceLabel), DataSource);
        // Each horizontal band may take its column values from a data set of its own.
        const QStringList bands = bandNames(page, band, [](int t) { return t >= btMasterHeader && !isCrossBand(t) && t != btNone; });
        const QHash<QString, QString> pairs = crossPairs(band->FormatStr);
        ColumnDataSets = new QTableWidget(int(bands.size()), 2, this);
        ColumnDataSets->setObjectName(QStringLiteral("ColumnDataSets"));
        ColumnDataSets->horizontalHeader()->hide();
        ColumnDataSets->verticalHeader()->hide();
        ColumnDataSets->horizontalHeader()->setStretchLastSection(true);
        for (int row = 0; row < bands.size(); ++row) {
            auto *name = new QTableWidgetItem(bands.at(row));
            name->setFlags(Qt::ItemIsEnabled);
            ColumnDataSets->setItem(row, 0, name);
            QComboBox *box = dataSourceBox();
            selectSource(box, pairs.value(bands.at(row).toUpper()));
            ColumnDataSets->setCellWidget(row, 1, box);
        }
        layout->addWidget(new QLabel(qpLoadStr(qpsColumnDataSets), this));
        layout->addWidget(ColumnDataSets, 1);
    } else {
        setWindowTitle(qpLoadStr(qpsBandEditorCaption) + QLatin1String(" - ") + band->Name);
        DataSource = dataSourceBox();
        DataSource->setObjectName(QStringLiteral("DataSource"));
        Virtual = new QCheckBox(qpLoadStr(qpsVirtualRecords), this);
        Virtual->setObjectName(QStringLiteral("Virtual"));
        RecordCount = new QSpinBox(this);
        RecordCount->setObjectName(QStringLiteral("RecordCount"));
        RecordCount->setRange(1, 999999);
        const QString text = band->FormatStr;
        const bool isCount = !text.isEmpty() && text.at(0) >= QLatin1Char('1') && text.at(0) <= QLatin1Char('9');
        Virtual->setChecked(isCount);
        RecordCount->setValue(isCount ? qMax(1, text.toInt()) : 1);
        if (!isCount)
            selectSource(DataSource, text);
        auto sync = [this] {
            DataSource->setEnabled(!Virtual->isChecked());
            RecordCount->setEnabled(Virtual->isChecked());
        };
        connect(Virtual, &QCheckBox::toggled, this, sync);
        sync();
        form->addRow(qpLoadStr(qpsDataSourceLabel), DataSource);
        auto *row = new QHBoxLayout;
        row->addWidget(Virtual);
        row->addWidget(RecordCount);
        form->addRow(QString(), row);
    }
    if (!isCrossBand(type)) {
        ChildBand = namesBox(this, bandNames(page, band, [](int t) { return t == btChild; }), band->ChildBand);
        ChildBand->setObjectName(QStringLiteral("ChildBand"));
        form->addRow(qpLoadStr(qpsChildBandLabel), ChildBand);
    }
    layout->addWidget(qpOkCancelButtons(this));
    resize(380, type == btCrossData ? 320 : 160);
}

QComboBox *TqpBandEditorForm::dataSourceBox()
{
    QStringList shown;
    m_dictionary.GetBandDatasourceList(shown);
    auto *box = new QComboBox(this);
    box->addItem(qpLoadStr(qpsNone));
    box->addItems(shown);
    return box;
}

QString TqpBandEditorForm::realSource(const QComboBox *box) const
{
    if (box->currentIndex() <= 0)
        return {};
    return m_dictionary.GetRealDataSourceName(box->currentText());
}

void TqpBandEditorForm::selectSource(QComboBox *box, const QString &realName) const
{
    if (realName.isEmpty())
        return;
    for (int i = 1; i < box->count(); ++i)
        if (m_dictionary.GetRealDataSourceName(box->itemText(i)).compare(realName, Qt::CaseInsensitive) == 0) {
            box->setCurrentIndex(i);
            return;
        }
    // A data set the lists do not know stays, so confirming loses nothing.
    box->addItem(realName);
    box->setCurrentIndex(box->count() - 1);
}

QString TqpBandEditorForm::SourceText() const
{
    if (Condition)
        return Condition->text().trimmed();
    if (Virtual && Virtual->isChecked())
        return QString::number(RecordCount->value());
    if (ColumnDataSets) {
        QString pairs;
        for (int row = 0; row < ColumnDataSets->rowCount(); ++row) {
            const QString ds = realSource(static_cast<QComboBox *>(ColumnDataSets->cellWidget(row, 1)));
            if (!ds.isEmpty())
                pairs += ColumnDataSets->item(row, 0)->text() + QLatin1Char('=') + ds + QLatin1Char(';');
        }
        if (!pairs.isEmpty())
            return pairs;
    }
    return realSource(DataSource);
}

QString TqpBandEditorForm::ChildBandName() const { return ChildBand ? ChildBand->currentData().toString() : m_band->ChildBand; }

QString TqpBandEditorForm::MasterName() const { return Master ? Master->currentData().toString() : m_band->Master; }

bool qpShowBandEditor(TqpBandView *band, TqpDesignerState *state, QWidget *parent)
{
    TqpPage *page = state->Page();
    if (!page)
        return false;
    TqpBandEditorForm form(band, page, state->Report->Dictionary, parent);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return false;
    state->AddUndoAction(acEdit, {band});
    band->FormatStr = form.SourceText();
    band->ChildBand = form.ChildBandName();
    band->Master = form.MasterName();
    return true;
}
