#include "print_form.h"

#include "application.h"
#include "modal_seam.h"
#include "platform_printers.h"
#include "preview.h"
#include "printer.h"
#include "printer_properties_form.h"
#include "report/core/conversions.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/report.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <algorithm>

namespace {

enum : int {
    kMsgOk = 55000,
    kMsgCancel = 55001,
    kMsgCaption = 53040,
    kMsgPrinter = 53041,
    kMsgName = 53042,
    kMsgProperties = 53043,
    kMsgRange = 53044,
    kMsgAll = 53045,
    kMsgCurrentPage = 53046,
    kMsgPages = 53047,
    kMsgRangeHint = 53048,
    kMsgCopies = 53049,
    kMsgCopyCount = 53050,
    kMsgCollate = 53051,
    kMsgPrint = 53052,
    kMsgAllPages = 53053,
    kMsgOddPages = 53054,
    kMsgEvenPages = 53055,
    kMsgNothingToPrint = 59302,
};

// A sheet with its page number, the figure the collate pictures are made of.
void drawSheet(QPainter &p, int x, int y, int w, int h, int number)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(x, y, w - 1, h - 1);
    p.drawText(QRect(x, y + 2, w, h / 2), Qt::AlignCenter, QString::number(number));
}

QFont pictureFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(10);
    font.setBold(true);
    return font;
}

// Two sets of pages 1, 2, 3, each set a stack: the engine's collated copies.
QImage collatedPicture()
{
    QImage image(74, 53, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent); // the silver of the stored pictures
    QPainter p(&image);
    p.setFont(pictureFont());
    for (int set = 0; set < 2; ++set)
        for (int number = 3; number >= 1; --number)
            drawSheet(p, set * 40 + (number - 1) * 7, (3 - number) * 7, 20, 39, number);
    return image;
}

// Pages 1, 1, 2, 2, 3, 3: the printer's own copies, page by page.
QImage uncollatedPicture()
{
    QImage image(92, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setFont(pictureFont());
    for (int number = 1; number <= 3; ++number)
        for (int copy = 1; copy >= 0; --copy)
            drawSheet(p, (number - 1) * 33 + copy * 6, (1 - copy) * 6, 20, 34, number);
    return image;
}

// The printer in front of each name of the printer list.
QPixmap printerIcon()
{
    QImage image(18, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent); // the olive of the stored icon
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(5, 1, 8, 6);       // paper
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 6, 16, 6);      // body
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(3, 12, 12, 2);     // tray
    p.fillRect(13, 8, 2, 2, Qt::green);
    return QPixmap::fromImage(image);
}

// Rows of 16 pixels: the icon two pixels from the left, the name at 24 and
// one pixel down.
class PrinterItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 16};
    }
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        p->drawPixmap(option.rect.left() + 2, option.rect.top(), icon.pixmap(18, 16));
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(option.rect.adjusted(24, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    }
};

QLabel *label(QWidget *parent, const char *name, const QRect &at)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(at);
    return l;
}

template <class W> W *named(W *widget, const char *name, const QRect &at)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(at);
    return widget;
}

} // namespace

TqpPrintForm::TqpPrintForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("qpPrintForm"));
    setFixedSize(485, 226);

    GroupBox1 = named(new QGroupBox(this), "GroupBox1", {8, 4, 469, 53});
    Label4 = label(GroupBox1, "Label4", {12, 24, 38, 16});
    CB1 = named(new QComboBox(GroupBox1), "CB1", {52, 20, 309, 22});
    CB1->setItemDelegate(new PrinterItemDelegate(CB1));
    Label4->setBuddy(CB1);
    PropButton = named(new QPushButton(GroupBox1), "PropButton", {370, 19, 89, 25});

    GroupBox2 = named(new QGroupBox(this), "GroupBox2", {8, 60, 261, 125});
    RB1 = named(new QRadioButton(GroupBox2), "RB1", {12, 18, 150, 18});
    RB1->setChecked(true);
    RB2 = named(new QRadioButton(GroupBox2), "RB2", {12, 38, 150, 18});
    RB3 = named(new QRadioButton(GroupBox2), "RB3", {12, 60, 80, 18});
    E2 = named(new QLineEdit(GroupBox2), "E2", {92, 58, 157, 21});
    Label2 = label(GroupBox2, "Label2", {12, 82, 237, 39});
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    GroupBox3 = named(new QGroupBox(this), "GroupBox3", {276, 60, 201, 125});
    Label1 = label(GroupBox3, "Label1", {12, 24, 100, 16});
    E1 = named(new QLineEdit(QStringLiteral("1"), GroupBox3), "E1", {116, 20, 49, 21});
    E1->setValidator(new QIntValidator(1, MaxCopies, E1));
    E1->setMaxLength(3);
    Label1->setBuddy(E1);
    qpSpeedButton1 = named(new QToolButton(GroupBox3), "qpSpeedButton1", {165, 20, 16, 11});
    qpSpeedButton1->setArrowType(Qt::UpArrow);
    qpSpeedButton2 = named(new QToolButton(GroupBox3), "qpSpeedButton2", {165, 31, 16, 10});
    qpSpeedButton2->setArrowType(Qt::DownArrow);
    CollateCB = named(new QCheckBox(GroupBox3), "CollateCB", {12, 72, 16, 17});
    CollateCB->setChecked(true);
    Label3 = label(GroupBox3, "Label3", {30, 73, 50, 16});
    Label3->setBuddy(CollateCB);
    PB1 = named(new QWidget(GroupBox3), "PB1", {100, 60, 92, 53});

    Label5 = label(this, "Label5", {8, 196, 30, 16});
    CB2 = named(new QComboBox(this), "CB2", {40, 192, 150, 22});
    Label5->setBuddy(CB2);
    Button1 = named(new QPushButton(this), "Button1", {316, 192, 77, 25});
    Button1->setDefault(true);
    Button2 = named(new QPushButton(this), "Button2", {400, 192, 77, 25});

    connect(CB1, &QComboBox::activated, this, [this] { Guarded([this] { CB1Click(); }); });
    connect(PropButton, &QPushButton::clicked, this, [this] { Guarded([this] { PropButtonClick(); }); });
    connect(RB3, &QRadioButton::clicked, this, &TqpPrintForm::RB3Click);
    connect(qpSpeedButton1, &QToolButton::clicked, this, [this] { Guarded([this] { qpSpeedButton1Click(); }); });
    connect(qpSpeedButton2, &QToolButton::clicked, this, [this] { Guarded([this] { qpSpeedButton2Click(); }); });
    connect(CollateCB, &QCheckBox::toggled, this, &TqpPrintForm::CollateCBClick);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    E2->installEventFilter(this);
    Label3->installEventFilter(this);
    PB1->installEventFilter(this);

    // "Özellikler" of a system printer opens our list of its driver's options.
    if (!TqtPlatformPrinters::PropertiesDialogHook)
        TqtPlatformPrinters::PropertiesDialogHook = &TqpPrinterPropertiesForm::Run;
    FormCreate();
}

void TqpPrintForm::FormCreate()
{
    const QPixmap icon = printerIcon();
    for (int i = 0; i < Prn->VirtualPrinterIndex; ++i)
        CB1->addItem(icon, Prn->PrinterNames.at(i));
    OldIndex = Prn->PrinterIndex;
    // On the virtual printer the list shows the platform's own current one.
    const int shown = Prn->IsVirtual() && Prn->Platform() ? Prn->Platform()->currentIndex() : Prn->PrinterIndex;
    CB1->setCurrentIndex(shown);
    PB1->update();

    setWindowTitle(qpLoadStr(kMsgCaption));
    GroupBox1->setTitle(qpLoadStr(kMsgPrinter));
    Label4->setText(qpLoadStr(kMsgName));
    PropButton->setText(qpLoadStr(kMsgProperties));
    GroupBox2->setTitle(qpLoadStr(kMsgRange));
    RB1->setText(qpLoadStr(kMsgAll));
    RB2->setText(qpLoadStr(kMsgCurrentPage));
    RB3->setText(qpLoadStr(kMsgPages));
    Label2->setText(qpLoadStr(kMsgRangeHint));
    GroupBox3->setTitle(qpLoadStr(kMsgCopies));
    Label1->setText(qpLoadStr(kMsgCopyCount));
    Label3->setText(qpLoadStr(kMsgCollate));
    Label5->setText(qpLoadStr(kMsgPrint));
    CB2->addItems({qpLoadStr(kMsgAllPages), qpLoadStr(kMsgOddPages), qpLoadStr(kMsgEvenPages)});
    Button1->setText(qpLoadStr(kMsgOk));
    Button2->setText(qpLoadStr(kMsgCancel));

    CB2->setCurrentIndex(0);
    Label5->adjustSize();
    CB2->move(Label5->geometry().right() + 1 + 11, CB2->y());
}

void TqpPrintForm::CB1Click() { Prn->SetPrinterIndex(CB1->currentIndex()); }

void TqpPrintForm::PropButtonClick() { Prn->PropertiesDlg(); }

void TqpPrintForm::E2Click() { RB3->setChecked(true); }

void TqpPrintForm::RB3Click() { E2->setFocus(); }

void TqpPrintForm::qpSpeedButton1Click()
{
    E1->setText(QString::number(std::min<qint64>(qint64(qpStrToInt(E1->text())) + 1, MaxCopies)));
}

int TqpPrintForm::Copies() const { return std::min(qpStrToInt(E1->text()), MaxCopies); }

void TqpPrintForm::SetCopies(int copies) { E1->setText(QString::number(std::min(copies, MaxCopies))); }

void TqpPrintForm::qpSpeedButton2Click()
{
    E1->setText(QString::number(std::max(qpStrToInt(E1->text()) - 1, 1)));
}

void TqpPrintForm::Label3Click() { CollateCB->toggle(); }

void TqpPrintForm::CollateCBClick() { PB1->update(); }

void TqpPrintForm::PB1Paint(QPainter &painter)
{
    painter.fillRect(PB1->rect(), palette().color(QPalette::Button));
    if (CollateCB->isChecked())
        painter.drawImage(8, 0, collatedPicture());
    else
        painter.drawImage(0, 8, uncollatedPicture());
}

void TqpPrintForm::FormDeactivate()
{
    if (result() != QDialog::Accepted)
        Prn->SetPrinterIndex(OldIndex);
}

bool TqpPrintForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == E2 && event->type() == QEvent::FocusIn) {
        E2Click();
    } else if (watched == Label3 &&
               (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
               static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label3Click();
        return true;
    } else if (watched == PB1 && event->type() == QEvent::Paint) {
        QPainter painter(PB1);
        PB1Paint(painter);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TqpPrintForm::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    E1->setFocus();
}

void TqpPrintForm::done(int result)
{
    setResult(result);
    FormDeactivate();
    QDialog::done(result);
}

void TqpReport::PrintPreparedReportDlg()
{
    // Only the virtual printer in the list: the platform has none.
    if (!EMFPages || !Prn || Prn->VirtualPrinterIndex == 0)
        return;
    if (Preview) {
        Preview->Print();
        return;
    }
    if (EMFPages->GetCount() == 0) {
        UiSeam::ShowMessage(qpLoadStr(kMsgNothingToPrint));
        return;
    }
    TqpPrintForm form;
    form.RB2->setEnabled(false); // there is no current page outside the preview
    form.SetCopies(DefaultCopies);
    form.CollateCB->setChecked(DefaultCollate);
    if (ShowPrintDialog && UiSeam::ShowModal(&form) != QDialog::Accepted)
        return;
    const QString pageNumbers = form.RB1->isChecked() ? QString() : form.E2->text();
    PrintPreparedReport(pageNumbers, form.Copies(), form.CollateCB->isChecked(),
                        TqpPrintPages(form.CB2->currentIndex()));
}
