#pragma once
// TqpTXTExportForm: the text filter's options. The export frames box
// enables the box-drawing box; the scales are texts that fall back to 1
// when they are no number.

#include "export_options_dialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class TqpTextExport;

class TqpTXTExportForm : public TqpExportOptionsDialog {
    Q_OBJECT

public:
    explicit TqpTXTExportForm(QWidget *parent = nullptr);

    QGroupBox *GroupBox1;
    QCheckBox *CB1, *CB2, *CB3, *CB4, *CB5; // empty lines, DOS, frames, pseudographic, page breaks
    QLabel *Label1, *Label2, *Label3;
    QLineEdit *E1, *E2; // ScaleX, ScaleY

    void Fill(const TqpTextExport &filter);
    void ReadBack(TqpTextExport &filter) const;
};
