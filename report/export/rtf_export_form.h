#pragma once
// TqpRtfExpSet: the RTF filter's options: margins, scales in percent, the
// pages to export, page breaks and pictures. Values that are no numbers
// raise the conversion error when they are read back.

#include "export_options_dialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class TqpRtfAdvExport;

class TqpRtfExpSet : public TqpExportOptionsDialog {
    Q_OBJECT

public:
    explicit TqpRtfExpSet(QWidget *parent = nullptr);

    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8;
    QLineEdit *E_TMargin, *E_LMargin, *E_ScaleX, *E_ScaleY, *E_Range;
    QCheckBox *CB_PageBreaks, *CB_Pictures;

    void Fill(const TqpRtfAdvExport &filter);
    void ReadBack(TqpRtfAdvExport &filter) const;
};
