#include "report/designer/page_options_form.h"

#include "report/core/conversions.h"
#include "report/core/formatting.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/designer/dialog_buttons.h"
#include "report/model/page.h"
#include "report/output/printer.h"

#include <QDialogButtonBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kCaption = 59880, kPrevPage = 59881, kNoMargins = 59882, kUnlimited = 59883, kOrientation = 59884,
              kPortrait = 59885, kLandscape = 59886, kPaper = 59887, kWidth = 59888, kHeight = 59889, kBin = 59890,
              kMargins = 59891, kLeft = 59892, kTop = 59893, kRight = 59894, kBottom = 59895, kColumns = 59896,
              kColCount = 59897, kColGap = 59898;

// Millimetres as the dialog shows them: general form, four digits.
QString mm(double value) { return qpFloatToStrF(value, ffGeneral, 4, 2); }

bool readMM(const QLineEdit *e, double &out) { return qpTryStrToFloat(e->text().trimmed(), QLatin1Char(','), out); }

} // namespace

TqpPgoptForm::TqpPgoptForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TqpPgoptForm"));
    setWindowTitle(qpLoadStr(kCaption));
    auto *layout = new QVBoxLayout(this);
    CB1 = new QCheckBox(qpLoadStr(kPrevPage));
    CB2 = new QCheckBox(qpLoadStr(kNoMargins));
    CB3 = new QCheckBox(qpLoadStr(kUnlimited));
    layout->addWidget(CB1);
    layout->addWidget(CB2);
    layout->addWidget(CB3);

    auto *orient = new QGroupBox(qpLoadStr(kOrientation));
    auto *orientLayout = new QHBoxLayout(orient);
    RB1 = new QRadioButton(qpLoadStr(kPortrait));
    RB2 = new QRadioButton(qpLoadStr(kLandscape));
    orientLayout->addWidget(RB1);
    orientLayout->addWidget(RB2);
    layout->addWidget(orient);

    auto *paper = new QGroupBox(qpLoadStr(kPaper));
    auto *paperLayout = new QFormLayout(paper);
    ComboBox1 = new QComboBox;
    ComboBox1->addItems(Prn->PaperTitles);
    E1 = new QLineEdit;
    E2 = new QLineEdit;
    ComboBox2 = new QComboBox;
    ComboBox2->addItems(Prn->BinTitles);
    paperLayout->addRow(ComboBox1);
    paperLayout->addRow(qpLoadStr(kWidth), E1);
    paperLayout->addRow(qpLoadStr(kHeight), E2);
    paperLayout->addRow(qpLoadStr(kBin), ComboBox2);
    layout->addWidget(paper);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TqpPgoptForm::paperChanged);

    auto *margins = new QGroupBox(qpLoadStr(kMargins));
    auto *marginLayout = new QFormLayout(margins);
    E3 = new QLineEdit;
    E4 = new QLineEdit;
    E5 = new QLineEdit;
    E6 = new QLineEdit;
    marginLayout->addRow(qpLoadStr(kLeft), E3);
    marginLayout->addRow(qpLoadStr(kTop), E4);
    marginLayout->addRow(qpLoadStr(kRight), E5);
    marginLayout->addRow(qpLoadStr(kBottom), E6);
    layout->addWidget(margins);

    auto *columns = new QGroupBox(qpLoadStr(kColumns));
    auto *colLayout = new QFormLayout(columns);
    E8 = new QLineEdit;
    E7 = new QLineEdit;
    colLayout->addRow(qpLoadStr(kColCount), E8);
    colLayout->addRow(qpLoadStr(kColGap), E7);
    layout->addWidget(columns);

    layout->addWidget(qpOkCancelButtons(this));
}

void TqpPgoptForm::paperChanged()
{
    const int i = ComboBox1->currentIndex();
    const bool custom = i >= 0 && i < Prn->PaperCodes.size() && Prn->PaperCodes.at(i) == qpPaperCustom;
    E1->setVisible(custom);
    E2->setVisible(custom);
    if (auto *form = qobject_cast<QFormLayout *>(E1->parentWidget()->layout())) {
        form->setRowVisible(E1, custom);
        form->setRowVisible(E2, custom);
    }
}

void TqpPgoptForm::Load(const TqpPage *page, bool unlimitedHeight)
{
    CB1->setChecked(page->PrintToPrevPage);
    CB2->setChecked(!page->UseMargins);
    CB3->setChecked(unlimitedHeight);
    RB1->setChecked(page->Orientation == poPortrait);
    RB2->setChecked(page->Orientation != poPortrait);
    E1->setText(mm(page->PaperWidth / 10.0));
    E2->setText(mm(page->PaperHeight / 10.0));
    ComboBox1->setCurrentIndex(Prn->GetSizeIndex(page->PaperSize));
    paperChanged();
    ComboBox2->setCurrentIndex(Prn->GetBinIndex(int(qint32(page->PaperBin == qpDefaultBin ? -1 : page->PaperBin))));
    const auto toMM = [](int units) { return mm(units * 5.0 / 18.0); };
    E3->setText(toMM(page->Margins.Left));
    E4->setText(toMM(page->Margins.Top));
    E5->setText(toMM(page->Margins.Right));
    E6->setText(toMM(page->Margins.Bottom));
    E7->setText(toMM(page->ColGap));
    E8->setText(QString::number(page->ColCount));
}

void TqpPgoptForm::Apply(TqpPage *page, bool &unlimitedHeight) const
{
    const int colCount = qpStrToInt(E8->text());
    page->PrintToPrevPage = CB1->isChecked();
    page->UseMargins = !CB2->isChecked();
    unlimitedHeight = CB3->isChecked();
    const auto orientation = RB2->isChecked() ? poLandscape : poPortrait;
    const int paperIndex = ComboBox1->currentIndex();
    int code = paperIndex >= 0 && paperIndex < Prn->PaperCodes.size() ? Prn->PaperCodes.at(paperIndex) : 9;
    int width = page->PaperWidth, height = page->PaperHeight;
    if (code == qpPaperCustom) {
        double w = 0, h = 0;
        if (readMM(E1, w) && readMM(E2, h)) {
            width = qpRound(w * 10);
            height = qpRound(h * 10);
        } else {
            code = 9;
        }
    }
    double m[5] = {};
    const QLineEdit *edits[5] = {E3, E4, E5, E6, E7};
    bool ok = true;
    for (int i = 0; i < 5; ++i)
        ok = ok && readMM(edits[i], m[i]);
    int units[5] = {};
    if (ok)
        for (int i = 0; i < 5; ++i)
            units[i] = qpRound(m[i] * 18 / 5);
    page->Margins = TRect{units[0], units[1], units[2], units[3]};
    page->ColGap = units[4];
    page->ColCount = colCount;
    const int binIndex = ComboBox2->currentIndex();
    const int bin = binIndex >= 0 && binIndex < Prn->BinCodes.size() ? Prn->BinCodes.at(binIndex) : -1;
    page->ChangePaper(code, width, height, bin, orientation);
}
