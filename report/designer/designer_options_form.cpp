#include "report/designer/designer_options_form.h"

#include "report/core/string_table.h"
#include "report/designer/dialog_buttons.h"
#include "report/designer/designer_state.h"
#include "report/model/model_globals.h"

#include <QDialogButtonBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr int kCaption = 59905, kDesigner = 59906, kEditor = 59907, kShowGrid = 59908, kAlign = 59909,
              kNoUndo = 59910, kSyntax = 59911, kGridSize = 59912, kShape = 59913, kUnits = 59914, kColored = 59915,
              kEditAfter = 59916, kTitles = 59917, kPosition = 59918, kLocalized = 59922;
const int kGridSizes[] = {4, 8, 18};
const int kPositions[] = {5, 3, 4}; // centre, left, right
} // namespace

TqpDesOptionsForm::TqpDesOptionsForm(TqpDesignerState *state, TqpDesignerOptions *options, QWidget *parent)
    : QDialog(parent), m_state(state), m_options(options)
{
    setObjectName(QStringLiteral("TqpDesOptionsForm"));
    setWindowTitle(qpLoadStr(kCaption));
    auto *layout = new QVBoxLayout(this);
    auto *tabs = new QTabWidget;
    auto *designer = new QWidget;
    auto *form = new QFormLayout(designer);
    ShowGridCB = new QCheckBox(qpLoadStr(kShowGrid));
    AlignCB = new QCheckBox(qpLoadStr(kAlign));
    NoUndoCB = new QCheckBox(qpLoadStr(kNoUndo));
    ShapeCB = new QCheckBox(qpLoadStr(kShape));
    ColoredCB = new QCheckBox(qpLoadStr(kColored));
    EditAfterCB = new QCheckBox(qpLoadStr(kEditAfter));
    TitlesCB = new QCheckBox(qpLoadStr(kTitles));
    LocalizedCB = new QCheckBox(qpLoadStr(kLocalized));
    GridSizeCB = new QComboBox;
    for (int size : kGridSizes)
        GridSizeCB->addItem(QString::number(size));
    UnitsCB = new QComboBox;
    UnitsCB->addItems({qpLoadStr(59804), qpLoadStr(59805), qpLoadStr(59806)});
    PositionCB = new QComboBox;
    PositionCB->addItems({qpLoadStr(59919), qpLoadStr(59920), qpLoadStr(59921)});
    for (QCheckBox *cb : {ShowGridCB, AlignCB, NoUndoCB, ShapeCB, ColoredCB, EditAfterCB, TitlesCB, LocalizedCB})
        form->addRow(cb);
    form->addRow(qpLoadStr(kGridSize), GridSizeCB);
    form->addRow(qpLoadStr(kUnits), UnitsCB);
    form->addRow(qpLoadStr(kPosition), PositionCB);
    tabs->addTab(designer, qpLoadStr(kDesigner));
    auto *editor = new QWidget;
    auto *editorLayout = new QVBoxLayout(editor);
    SyntaxCB = new QCheckBox(qpLoadStr(kSyntax));
    editorLayout->addWidget(SyntaxCB);
    editorLayout->addStretch();
    tabs->addTab(editor, qpLoadStr(kEditor));
    layout->addWidget(tabs);
    layout->addWidget(qpOkCancelButtons(this));

    ShowGridCB->setChecked(state->ShowGrid);
    AlignCB->setChecked(state->GridAlign);
    NoUndoCB->setChecked(state->UndoDisabled);
    ShapeCB->setChecked(state->ShapeMode == smAll);
    ColoredCB->setChecked(!options->GrayButtons);
    EditAfterCB->setChecked(state->EditAfterInsert);
    TitlesCB->setChecked(ShowBandTitles);
    LocalizedCB->setChecked(options->LocalizedPropNames);
    SyntaxCB->setChecked(options->SyntaxHighlight);
    const int grid = int(std::find(std::begin(kGridSizes), std::end(kGridSizes), state->GridSize) - kGridSizes);
    GridSizeCB->setCurrentIndex(grid < 3 ? grid : 0);
    UnitsCB->setCurrentIndex(state->Units);
    const int pos = int(std::find(std::begin(kPositions), std::end(kPositions), int(state->PagePosition)) - kPositions);
    PositionCB->setCurrentIndex(pos < 3 ? pos : 0);
}

void TqpDesOptionsForm::Apply()
{
    m_state->UndoDisabled = NoUndoCB->isChecked();
    m_state->ShapeMode = ShapeCB->isChecked() ? smAll : smFrame;
    m_state->EditAfterInsert = EditAfterCB->isChecked();
    ShowBandTitles = TitlesCB->isChecked();
    m_state->PagePosition = quint8(kPositions[qMax(0, PositionCB->currentIndex())]);
    m_options->GrayButtons = !ColoredCB->isChecked();
    m_options->LocalizedPropNames = LocalizedCB->isChecked();
    m_options->SyntaxHighlight = SyntaxCB->isChecked();
    m_state->SetGridShow(ShowGridCB->isChecked());
    m_state->SetGridAlign(AlignCB->isChecked());
    if (kGridSizes[qMax(0, GridSizeCB->currentIndex())] != m_state->GridSize)
        m_state->SetGridSize(kGridSizes[qMax(0, GridSizeCB->currentIndex())]);
    m_state->SetUnits(TqpReportUnits(qMax(0, UnitsCB->currentIndex())));
}
