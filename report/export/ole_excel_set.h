#pragma once
// TqpOLEExcelSet: the Excel filter's options. It has the RTF dialog's page
// group (margins, scales in percent) and page-range group, a quality group
// with a box for each cell property the sheet takes over, "Better" and
// "Faster" presets, and whether the workbook opens after the export.
// Values that are no numbers raise the conversion error when read back.

#include "rtf_export_form.h"

class QPushButton;
class TqpOLEExcelExport;

class TqpOLEExcelSet : public TqpRtfExpSet {
    Q_OBJECT

public:
    explicit TqpOLEExcelSet(QWidget *parent = nullptr);

    QCheckBox *CB_Merged, *CB_Align, *CB_FillColor, *CB_Borders, *CB_WrapWords, *CB_FontName, *CB_FontSize,
        *CB_FontStyle, *CB_FontColor, *CB_OpenExcel;
    QPushButton *BetterButton, *FasterButton;

    void Fill(const TqpOLEExcelExport &filter);
    void ReadBack(TqpOLEExcelExport &filter) const;

private:
    // The eleven quality boxes with the options they stand for.
    QList<QPair<QCheckBox *, bool TqpOLEExcelExport::*>> qualityBoxes() const;
};
