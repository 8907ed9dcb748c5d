#include "rtf_export_form.h"

#include "report/core/conversions.h"
#include "report/core/string_table.h"
#include "rtf_export.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

enum : int {
    kMsgCaption = 54871,
    kMsgPageProperties = 54845,
    kMsgTopMargin = 54846,
    kMsgLeftMargin = 54847,
    kMsgScaleX = 54848,
    kMsgScaleY = 54849,
    kMsgQuality = 54850,
    kMsgPageBreaks = 54860,
    kMsgPictures = 54863,
    kMsgPageRange = 53044,
    kMsgPages = 53047,
    kMsgPagesHint = 53048,
};

} // namespace

TqpRtfExpSet::TqpRtfExpSet(QWidget *parent) : TqpExportOptionsDialog(QSize(483, 194), kMsgCaption, parent)
{
    setObjectName(QStringLiteral("qpRtfExpSet"));
    GroupBox1 = named(new QGroupBox(qpLoadStr(kMsgPageProperties), this), "GroupBox1", {8, 4, 225, 129});
    Label1 = named(new QLabel(qpLoadStr(kMsgTopMargin), GroupBox1), "Label1", {12, 24, 110, 16});
    E_TMargin = named(new QLineEdit(QStringLiteral("0"), GroupBox1), "E_TMargin", {128, 20, 60, 21});
    Label2 = named(new QLabel(qpLoadStr(kMsgLeftMargin), GroupBox1), "Label2", {12, 50, 110, 16});
    E_LMargin = named(new QLineEdit(QStringLiteral("0"), GroupBox1), "E_LMargin", {128, 46, 60, 21});
    Label3 = named(new QLabel(qpLoadStr(kMsgScaleX), GroupBox1), "Label3", {12, 76, 110, 16});
    E_ScaleX = named(new QLineEdit(QStringLiteral("100"), GroupBox1), "E_ScaleX", {128, 72, 60, 21});
    Label4 = named(new QLabel(QStringLiteral("%"), GroupBox1), "Label4", {192, 76, 12, 16});
    Label5 = named(new QLabel(qpLoadStr(kMsgScaleY), GroupBox1), "Label5", {12, 102, 110, 16});
    E_ScaleY = named(new QLineEdit(QStringLiteral("100"), GroupBox1), "E_ScaleY", {128, 98, 60, 21});
    Label6 = named(new QLabel(QStringLiteral("%"), GroupBox1), "Label6", {192, 102, 12, 16});

    GroupBox2 = named(new QGroupBox(qpLoadStr(kMsgPageRange), this), "GroupBox2", {240, 4, 235, 97});
    Label7 = named(new QLabel(qpLoadStr(kMsgPages), GroupBox2), "Label7", {12, 24, 60, 16});
    E_Range = named(new QLineEdit(GroupBox2), "E_Range", {76, 20, 147, 21});
    Label7->setBuddy(E_Range);
    Label8 = named(new QLabel(qpLoadStr(kMsgPagesHint), GroupBox2), "Label8", {12, 48, 211, 44});
    Label8->setWordWrap(true);
    Label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    GroupBox3 = named(new QGroupBox(qpLoadStr(kMsgQuality), this), "GroupBox3", {240, 104, 235, 50});
    CB_PageBreaks = named(new QCheckBox(qpLoadStr(kMsgPageBreaks), GroupBox3), "CB_PageBreaks", {12, 22, 100, 17});
    CB_PageBreaks->setChecked(true);
    CB_Pictures = named(new QCheckBox(qpLoadStr(kMsgPictures), GroupBox3), "CB_Pictures", {120, 22, 100, 17});
    CB_Pictures->setChecked(true);
    placeButtons({316, 162, 77, 25}, {398, 162, 77, 25});
}

void TqpRtfExpSet::Fill(const TqpRtfAdvExport &filter)
{
    E_ScaleX->setText(QString::number(int(filter.ScaleX * 100)));
    E_ScaleY->setText(QString::number(int(filter.ScaleY * 100)));
    E_TMargin->setText(qpFloatToStr(filter.TopMargin));
    E_LMargin->setText(qpFloatToStr(filter.LeftMargin));
    E_Range->setText(filter.PageRange);
    CB_PageBreaks->setChecked(filter.PageBreaks);
    CB_Pictures->setChecked(filter.ExportPictures);
}

void TqpRtfExpSet::ReadBack(TqpRtfAdvExport &filter) const
{
    filter.PageRange = E_Range->text();
    filter.ScaleX = qpStrToInt(E_ScaleX->text()) / 100.0;
    filter.ScaleY = qpStrToInt(E_ScaleY->text()) / 100.0;
    filter.TopMargin = qpTextToFloat(E_TMargin->text());
    filter.LeftMargin = qpTextToFloat(E_LMargin->text());
    filter.PageBreaks = CB_PageBreaks->isChecked();
    filter.ExportPictures = CB_Pictures->isChecked();
}
