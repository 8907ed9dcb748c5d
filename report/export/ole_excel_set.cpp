#include "ole_excel_set.h"

#include "ole_excel_export.h"
#include "report/core/conversions.h"
#include "report/core/string_table.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

enum : int {
    kMsgCaption = 54844,
    kMsgMerged = 54851,
    kMsgAlign = 54852,
    kMsgFillColor = 54853,
    kMsgBorders = 54854,
    kMsgWrapWords = 54855,
    kMsgFontName = 54856,
    kMsgFontSize = 54857,
    kMsgFontStyle = 54858,
    kMsgFontColor = 54859,
    kMsgBetter = 54861,
    kMsgFaster = 54862,
    kMsgOpenExcel = 54864,
};

} // namespace

TqpOLEExcelSet::TqpOLEExcelSet(QWidget *parent) : TqpRtfExpSet(parent)
{
    setObjectName(QStringLiteral("qpOLEExcelSet"));
    setWindowTitle(qpLoadStr(kMsgCaption));
    // Taller than the RTF dialog: eleven boxes and two presets need the room.
    setFixedSize(567, 247);
    GroupBox2->setGeometry(8, 137, 225, 97);
    GroupBox3->setGeometry(240, 4, 319, 172);

    const auto box = [this](int id, const char *name, int slot) {
        auto *b = named(new QCheckBox(qpLoadStr(id), GroupBox3), name, {12 + 153 * (slot / 6), 20 + 20 * (slot % 6), 145, 17});
        b->setChecked(true);
        return b;
    };
    CB_Merged = box(kMsgMerged, "CB_Merged", 0);
    CB_Align = box(kMsgAlign, "CB_Align", 1);
    CB_FillColor = box(kMsgFillColor, "CB_FillColor", 2);
    CB_Borders = box(kMsgBorders, "CB_Borders", 3);
    CB_WrapWords = box(kMsgWrapWords, "CB_WrapWords", 4);
    CB_FontName = box(kMsgFontName, "CB_FontName", 5);
    CB_FontSize = box(kMsgFontSize, "CB_FontSize", 6);
    CB_FontStyle = box(kMsgFontStyle, "CB_FontStyle", 7);
    CB_FontColor = box(kMsgFontColor, "CB_FontColor", 8);
    CB_PageBreaks->setGeometry(12 + 153, 20 + 20 * 3, 145, 17);
    CB_Pictures->setGeometry(12 + 153, 20 + 20 * 4, 145, 17);
    BetterButton = named(new QPushButton(qpLoadStr(kMsgBetter), GroupBox3), "BetterButton", {12, 142, 90, 24});
    FasterButton = named(new QPushButton(qpLoadStr(kMsgFaster), GroupBox3), "FasterButton", {110, 142, 90, 24});
    CB_OpenExcel = named(new QCheckBox(qpLoadStr(kMsgOpenExcel), this), "CB_OpenExcel", {252, 184, 300, 17});

    connect(BetterButton, &QPushButton::clicked, this, [this] {
        for (const auto &[b, option] : qualityBoxes())
            b->setChecked(true);
    });
    connect(FasterButton, &QPushButton::clicked, this, [this] {
        for (const auto &[b, option] : qualityBoxes())
            b->setChecked(b == CB_Merged || b == CB_WrapWords || b == CB_PageBreaks);
    });
    placeButtons({400, 214, 77, 25}, {482, 214, 77, 25});
}

QList<QPair<QCheckBox *, bool TqpOLEExcelExport::*>> TqpOLEExcelSet::qualityBoxes() const
{
    return {{CB_Merged, &TqpOLEExcelExport::CellsMerged},       {CB_Align, &TqpOLEExcelExport::CellsAlign},
            {CB_FillColor, &TqpOLEExcelExport::CellsFillColor}, {CB_Borders, &TqpOLEExcelExport::CellsBorders},
            {CB_WrapWords, &TqpOLEExcelExport::CellsWrapWords}, {CB_FontName, &TqpOLEExcelExport::CellsFontName},
            {CB_FontSize, &TqpOLEExcelExport::CellsFontSize},   {CB_FontStyle, &TqpOLEExcelExport::CellsFontStyle},
            {CB_FontColor, &TqpOLEExcelExport::CellsFontColor}, {CB_PageBreaks, &TqpOLEExcelExport::PageBreaks},
            {CB_Pictures, &TqpOLEExcelExport::ExportPictures}};
}

void TqpOLEExcelSet::Fill(const TqpOLEExcelExport &filter)
{
    E_ScaleX->setText(QString::number(int(filter.ScaleX * 100)));
    E_ScaleY->setText(QString::number(int(filter.ScaleY * 100)));
    E_TMargin->setText(qpFloatToStr(filter.TopMargin));
    E_LMargin->setText(qpFloatToStr(filter.LeftMargin));
    E_Range->setText(filter.PageRange);
    for (const auto &[b, option] : qualityBoxes())
        b->setChecked(filter.*option);
    CB_OpenExcel->setChecked(filter.OpenExcelAfterExport);
}

void TqpOLEExcelSet::ReadBack(TqpOLEExcelExport &filter) const
{
    filter.PageRange = E_Range->text();
    for (const auto &[b, option] : qualityBoxes())
        filter.*option = b->isChecked();
    filter.OpenExcelAfterExport = CB_OpenExcel->isChecked();
    filter.ScaleX = qpStrToInt(E_ScaleX->text()) / 100.0;
    filter.ScaleY = qpStrToInt(E_ScaleY->text()) / 100.0;
    filter.TopMargin = qpTextToFloat(E_TMargin->text());
    filter.LeftMargin = qpTextToFloat(E_LMargin->text());
}
