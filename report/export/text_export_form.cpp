#include "text_export_form.h"

#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/expr/data_access.h"
#include "text_export.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

enum : int {
    kMsgCaption = 54800,
    kMsgEmptyLines = 54801,
    kMsgDos = 54802,
    kMsgFrames = 54803,
    kMsgPseudographic = 54804,
    kMsgPageBreaks = 54805,
    kMsgScale = 54806,
};

// A scale that is no number, or none that makes a grid (zero, negative), is 1.
double scaleOf(const QString &text)
{
    try {
        const double v = qpStrToFloat(text);
        return v > 0 ? v : 1;
    } catch (const EqpError &) {
        return 1;
    }
}

} // namespace

TqpTXTExportForm::TqpTXTExportForm(QWidget *parent) : TqpExportOptionsDialog(QSize(229, 209), kMsgCaption, parent)
{
    setObjectName(QStringLiteral("qpTXTExportForm"));
    GroupBox1 = named(new QGroupBox(this), "GroupBox1", {8, 4, 213, 161});
    CB1 = named(new QCheckBox(qpLoadStr(kMsgEmptyLines), GroupBox1), "CB1", {12, 14, 193, 17});
    CB2 = named(new QCheckBox(qpLoadStr(kMsgDos), GroupBox1), "CB2", {12, 34, 193, 17});
    CB3 = named(new QCheckBox(qpLoadStr(kMsgFrames), GroupBox1), "CB3", {12, 54, 193, 17});
    CB4 = named(new QCheckBox(qpLoadStr(kMsgPseudographic), GroupBox1), "CB4", {28, 74, 177, 17});
    CB5 = named(new QCheckBox(qpLoadStr(kMsgPageBreaks), GroupBox1), "CB5", {12, 94, 193, 17});
    Label1 = named(new QLabel(qpLoadStr(kMsgScale), GroupBox1), "Label1", {12, 128, 80, 16});
    Label2 = named(new QLabel(QStringLiteral("X"), GroupBox1), "Label2", {96, 128, 10, 16});
    E1 = named(new QLineEdit(GroupBox1), "E1", {108, 125, 40, 21});
    Label3 = named(new QLabel(QStringLiteral("Y"), GroupBox1), "Label3", {154, 128, 10, 16});
    E2 = named(new QLineEdit(GroupBox1), "E2", {166, 125, 40, 21});
    // The stored layout is 229 pixels wide; where the font needs more room
    // for a box's text the dialog grows rather than cut the text.
    int right = 0;
    for (QCheckBox *cb : {CB1, CB2, CB3, CB4, CB5})
        right = std::max(right, cb->x() + cb->sizeHint().width());
    const int extra = std::max(0, right + 8 - GroupBox1->width());
    if (extra > 0) {
        setFixedSize(width() + extra, height());
        GroupBox1->resize(GroupBox1->width() + extra, GroupBox1->height());
        for (QCheckBox *cb : {CB1, CB2, CB3, CB4, CB5})
            cb->resize(cb->width() + extra, cb->height());
    }
    placeButtons({64 + extra, 174, 75, 25}, {146 + extra, 174, 75, 25});
    connect(CB3, &QCheckBox::toggled, CB4, &QWidget::setEnabled);
}

void TqpTXTExportForm::Fill(const TqpTextExport &filter)
{
    CB1->setChecked(filter.KillEmptyLines);
    CB2->setChecked(filter.ConvertToOEM);
    CB3->setChecked(filter.ExportFrames);
    CB4->setChecked(filter.UsePseudographic);
    CB4->setEnabled(filter.ExportFrames);
    CB5->setChecked(filter.PageBreaks);
    E1->setText(qpFloatToStr(filter.ScaleX));
    E2->setText(qpFloatToStr(filter.ScaleY));
}

void TqpTXTExportForm::ReadBack(TqpTextExport &filter) const
{
    filter.ScaleX = scaleOf(E1->text());
    filter.ScaleY = scaleOf(E2->text());
    filter.KillEmptyLines = CB1->isChecked();
    filter.ConvertToOEM = CB2->isChecked();
    filter.ExportFrames = CB3->isChecked();
    filter.UsePseudographic = CB4->isChecked();
    filter.PageBreaks = CB5->isChecked();
}
