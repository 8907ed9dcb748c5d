#include "report/output/preview_form.h"

#include "application.h"
#include "modal_seam.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/rounding.h"
#include "report/core/settings_store.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/output/preview.h"
#include "report/output/print_form.h"
#include "window_position.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

double SavedZoom = 1;
TqpScaleMode SavedZoomMode = mdNone;
QList<TqpPreviewExport> qpPreviewExports;

namespace {

// Help context numbers of the window's controls.
enum HelpTopic { htZoom = 200, htOpen, htSave, htPrint, htFind, htClose, htStatus, htPageBox };
constexpr int kZoomTags[] = {200, 150, 100, 75, 50, 25, 10};
// The page field's design width; reports of many pages widen it.
constexpr int kPageFieldWidth = 100;
constexpr int kSmallStep = 10, kLargeStep = 200;
const char *const kHelpContext = "HelpContext";

// Pixel values of the layout; pages with absurd paper from a damaged file
// stay drawable instead of overflowing.
int nearestPx(double v) { return qpRound(std::clamp(v, -1e9, 1e9)); }

// The file name with its extension replaced (or added).
QString changeFileExt(const QString &name, const QString &ext)
{
    const QFileInfo info(name);
    return name.left(name.size() - info.fileName().size()) + info.completeBaseName() + ext;
}

// A dialog filter entry; descriptions usually carry their pattern already.
QString nameFilter(const QString &description, const QString &mask)
{
    return description.contains(QLatin1Char('(') + mask + QLatin1Char(')'))
               ? description
               : description + QLatin1String(" (") + mask + QLatin1Char(')');
}

// True when a link text names a page: "@" followed by a page number.
bool pageLink(const QString &link, int &page)
{
    const qsizetype at = link.indexOf(QLatin1Char('@'));
    int32_t n = 0;
    if (at < 0 || !qpTryStrToInt(QStringView(link).mid(at + 1), n))
        return false;
    page = n;
    return true;
}

// The pointer shapes an object can ask for, by the engine's cursor number
// (0 and the negative numbers of the standard cursors).
Qt::CursorShape cursorShape(int cursor)
{
    static const Qt::CursorShape shapes[] = {
        Qt::ArrowCursor,   Qt::BlankCursor,      Qt::ArrowCursor,     Qt::CrossCursor,     Qt::IBeamCursor,
        Qt::SizeAllCursor, Qt::SizeBDiagCursor,  Qt::SizeVerCursor,   Qt::SizeFDiagCursor, Qt::SizeHorCursor,
        Qt::UpArrowCursor, Qt::WaitCursor,       Qt::DragMoveCursor,  Qt::ForbiddenCursor, Qt::SplitHCursor,
        Qt::SplitVCursor,  Qt::DragCopyCursor,   Qt::WaitCursor,      Qt::ForbiddenCursor, Qt::BusyCursor,
        Qt::WhatsThisCursor, Qt::PointingHandCursor, Qt::SizeAllCursor};
    const int i = -cursor;
    return i >= 0 && i < int(std::size(shapes)) ? shapes[i] : Qt::ArrowCursor;
}

QString errorText(const std::exception &e)
{
    if (const auto *qp = dynamic_cast<const EqpError *>(&e))
        return qp->message();
    return QString::fromLocal8Bit(e.what());
}

// Windows paper sources by the platform's source number.
int paperBinOf(QPrinter::PaperSource source)
{
    // The automatic choice is the printer's default source.
    static const int bins[] = {1, 2, 3, 4, 5, 6, -1, 8, 9, 10, 11, 14, 15};
    const int i = int(source);
    return i >= 0 && i < int(std::size(bins)) ? bins[i] : -1;
}

QToolButton *toolButton(QWidget *parent, const char *name, const QIcon &icon, int hint, int topic)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setFixedSize(24, 24);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolTip(qpLoadStr(hint));
    b->setProperty(kHelpContext, topic);
    return b;
}

QFrame *separator(QWidget *parent)
{
    auto *f = new QFrame(parent);
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setFixedWidth(8);
    return f;
}

QLabel *statusField(QWidget *parent, const char *name, int width)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setFixedWidth(width);
    l->setProperty(kHelpContext, int(htStatus));
    return l;
}

QScrollBar *scrollBar(Qt::Orientation orientation, QWidget *parent, const char *name)
{
    auto *s = new QScrollBar(orientation, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(0, 32000);
    s->setSingleStep(kSmallStep);
    s->setPageStep(kLargeStep);
    s->setFocusPolicy(Qt::NoFocus);
    return s;
}

// Hands the pages back to the report for an operation on the report's own
// pages and takes them again afterwards, also when the operation fails.
class PagesLent {
public:
    explicit PagesLent(TqpPreviewForm &form) : m_form(form), m_report(form.Report()) { m_form.ConnectBack(); }
    ~PagesLent() { m_form.Connect(m_report); }

private:
    TqpPreviewForm &m_form;
    TqpReport *m_report;
};

} // namespace

// The page box: paints and takes the mouse for the window.
class TqpPBox : public QWidget {
public:
    TqpPBox(TqpPreviewForm *form, QWidget *parent) : QWidget(parent), m_form(form)
    {
        setObjectName(QStringLiteral("PBox"));
        // Painting fills the background itself, around the pages only.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setProperty(kHelpContext, int(htPageBox));
    }

protected:
    void paintEvent(QPaintEvent *e) override { m_form->paintPages(e); }
    void resizeEvent(QResizeEvent *) override { Guarded([this] { m_form->FormResize(); }); }
    void mousePressEvent(QMouseEvent *e) override { Guarded([&] { m_form->pagePress(e); }); }
    void mouseMoveEvent(QMouseEvent *e) override { Guarded([&] { m_form->pageMove(e); }); }
    void mouseReleaseEvent(QMouseEvent *) override { m_form->m_panning = false; }
    void mouseDoubleClickEvent(QMouseEvent *e) override { Guarded([&] { m_form->pageDoubleClick(e); }); }
    void wheelEvent(QWheelEvent *e) override
    {
        m_form->WheelScroll(e->angleDelta().y() > 0 ? -1 : e->angleDelta().y() < 0 ? 1 : 0);
    }

private:
    TqpPreviewForm *m_form;
};

TqpPreviewForm::TqpPreviewForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("qpPreviewForm"));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(459, 293);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(33);
    auto *bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(0);
    ZoomBtn = toolButton(Panel1, "ZoomBtn", QIcon(), qpMsgPreviewZoom, htZoom);
    ZoomBtn->setFixedWidth(53);
    ZoomBtn->setText(QStringLiteral("100%"));
    const auto icon = [](const char *name) { return QIcon(QLatin1String(":/quillpress/icons/") + QLatin1String(name)); };
    LoadBtn = toolButton(Panel1, "LoadBtn", icon("document-open.png"), qpMsgPreviewOpen, htOpen);
    SaveBtn = toolButton(Panel1, "SaveBtn", icon("document-save.png"), qpMsgPreviewSave, htSave);
    PrintBtn = toolButton(Panel1, "PrintBtn", icon("document-print.png"), qpMsgPreviewPrint, htPrint);
    PageSetupBtn = toolButton(Panel1, "PageSetupBtn", icon("document-page-setup.png"), qpMsgPreviewPageSetup, htPrint);
    FindBtn = toolButton(Panel1, "FindBtn", icon("edit-find.png"), qpMsgPreviewFind, htFind);
    HelpBtn = toolButton(Panel1, "HelpBtn", icon("help-browser.png"), qpMsgPreviewHelp, 0);
    HelpBtn->setCheckable(true);
    ExitBtn = toolButton(Panel1, "ExitBtn", icon("application-exit.png"), qpMsgPreviewClose, htClose);
    Separator1 = separator(Panel1);
    Separator2 = separator(Panel1);
    Separator3 = separator(Panel1);
    for (QWidget *w : {static_cast<QWidget *>(ZoomBtn), static_cast<QWidget *>(Separator1),
                       static_cast<QWidget *>(LoadBtn), static_cast<QWidget *>(SaveBtn),
                       static_cast<QWidget *>(PrintBtn), static_cast<QWidget *>(PageSetupBtn),
                       static_cast<QWidget *>(Separator2), static_cast<QWidget *>(FindBtn),
                       static_cast<QWidget *>(HelpBtn), static_cast<QWidget *>(Separator3),
                       static_cast<QWidget *>(ExitBtn)})
        bar->addWidget(w);
    bar->addStretch();

    ScrollBox = new QFrame(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setFocusPolicy(Qt::StrongFocus);
    auto *area = new QGridLayout(ScrollBox);
    area->setContentsMargins(0, 0, 0, 0);
    area->setSpacing(0);
    PBox = new TqpPBox(this, ScrollBox);
    RPanel = new QWidget(ScrollBox);
    RPanel->setObjectName(QStringLiteral("RPanel"));
    RPanel->setFixedWidth(16);
    auto *right = new QVBoxLayout(RPanel);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    VScrollBar = scrollBar(Qt::Vertical, RPanel, "VScrollBar");
    PgUp = new QToolButton(RPanel);
    PgDown = new QToolButton(RPanel);
    PgUp->setObjectName(QStringLiteral("PgUp"));
    PgDown->setObjectName(QStringLiteral("PgDown"));
    PgUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    PgDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    for (QToolButton *b : {PgUp, PgDown}) {
        b->setFixedSize(16, 16);
        b->setIconSize(QSize(10, 10));
        b->setFocusPolicy(Qt::NoFocus);
    }
    right->addWidget(VScrollBar, 1);
    right->addWidget(PgUp);
    right->addWidget(PgDown);
    BPanel = new QWidget(ScrollBox);
    BPanel->setObjectName(QStringLiteral("BPanel"));
    BPanel->setFixedHeight(18);
    auto *bottom = new QHBoxLayout(BPanel);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    Label1 = statusField(BPanel, "Label1", kPageFieldWidth);
    Label2 = statusField(BPanel, "Label2", 200);
    HScrollBar = scrollBar(Qt::Horizontal, BPanel, "HScrollBar");
    m_corner = new QWidget(BPanel);
    m_corner->setFixedWidth(16);
    bottom->addWidget(Label1);
    bottom->addWidget(Label2);
    bottom->addWidget(HScrollBar, 1);
    bottom->addWidget(m_corner);
    area->addWidget(PBox, 0, 0);
    area->addWidget(RPanel, 0, 1);
    area->addWidget(BPanel, 1, 0, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ScrollBox, 1);

    ProcMenu = new QMenu(this);
    ProcMenu->setObjectName(QStringLiteral("ProcMenu"));
    ZoomGroup = new QActionGroup(this);
    ZoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const auto zoomItem = [this](const QString &text, int tag) {
        QAction *a = ProcMenu->addAction(text);
        a->setCheckable(true);
        a->setData(tag);
        ZoomGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag] { Guarded([&] { N3Click(tag); }); });
    };
    for (int tag : kZoomTags)
        zoomItem(QString::number(tag) + QLatin1Char('%'), tag);
    zoomItem(qpLoadStr(qpMsgPreviewPageWidth), mdPageWidth);
    zoomItem(qpLoadStr(qpMsgPreviewOnePage), mdOnePage);
    zoomItem(qpLoadStr(qpMsgPreviewTwoPages), mdTwoPages);
    markZoomItem(100);
    // The page editing items; they show only where a designer can edit pages.
    EditSeparator = ProcMenu->addSeparator();
    EditPageItem = ProcMenu->addAction(qpLoadStr(qpMsgPreviewEditPage));
    NewPageItem = ProcMenu->addAction(qpLoadStr(qpMsgPreviewNewPage));
    DelPageItem = ProcMenu->addAction(qpLoadStr(qpMsgPreviewDelPage));

    const auto click = [this](QAbstractButton *b, void (TqpPreviewForm::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    click(ZoomBtn, &TqpPreviewForm::ZoomBtnClick);
    click(LoadBtn, &TqpPreviewForm::LoadBtnClick);
    click(SaveBtn, &TqpPreviewForm::SaveBtnClick);
    click(PrintBtn, &TqpPreviewForm::PrintBtnClick);
    click(PageSetupBtn, &TqpPreviewForm::PageSetupBtnClick);
    click(ExitBtn, &TqpPreviewForm::ExitBtnClick);
    click(HelpBtn, &TqpPreviewForm::HelpBtnClick);
    click(FindBtn, &TqpPreviewForm::FindBtnClick);
    const auto item = [this](QAction *a, void (TqpPreviewForm::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    item(EditPageItem, &TqpPreviewForm::EditBtnClick);
    item(NewPageItem, &TqpPreviewForm::NewPageBtnClick);
    item(DelPageItem, &TqpPreviewForm::DelPageBtnClick);
    click(PgUp, &TqpPreviewForm::PgUpClick);
    click(PgDown, &TqpPreviewForm::PgDownClick);
    connect(HScrollBar, &QScrollBar::valueChanged, this, [this](int v) { Guarded([&] { hScrolled(v); }); });
    connect(VScrollBar, &QScrollBar::valueChanged, this, [this](int v) { Guarded([&] { vScrolled(v); }); });

    // The window reads the keys before any of its controls (not before its
    // pop-up menu, which has keys of its own).
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        if (!w->isWindow())
            w->installEventFilter(this);
}

TqpPreviewForm::~TqpPreviewForm()
{
    if (m_helpMode)
        QApplication::restoreOverrideCursor();
}

TqpReport *TqpPreviewForm::Report() const { return m_report; }

int TqpPreviewForm::PageCount() const { return m_pages ? m_pages->GetCount() : 0; }

// ---------------------------------------------------------------- connection

void TqpPreviewForm::Connect(TqpReport *report)
{
    FreePages();
    m_report = report;
    if (!report)
        return;
    report->GetEMFPages();
    m_pages = std::move(report->EMFPages);
    report->EMFPages = std::make_shared<TqpEMFPages>(report);
}

void TqpPreviewForm::FreePages()
{
    m_pages.reset();
    m_badPages.clear();
    m_markPage = -1;
}

void TqpPreviewForm::ConnectBack()
{
    if (m_report)
        m_report->EMFPages = std::move(m_pages);
    m_pages.reset();
}

void TqpPreviewForm::Show_Modal(TqpReport *report)
{
    Connect(report);
    InitButtons();
    RedrawAll(true);
    HScrollBar->setValue(0);
    VScrollBar->setValue(0);
    const auto settings = qpOpenSettings();
    RestoreWindowPlacement(*settings, placementKey(), this);
    FillScreenWhenMaximized(this);
    if (report->ModalPreview)
        UiSeam::ShowModal(this);
    else
        show();
}

QString TqpPreviewForm::placementKey() const
{
    return qpRegRootKey() + QLatin1String("/Form/") + QLatin1String(metaObject()->className());
}

void TqpPreviewForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous() || Host)
        return;
    const auto settings = qpOpenSettings();
    SaveWindowPlacement(*settings, placementKey(), this);
}

bool TqpPreviewForm::hasPrinters() const { return Prn && Prn->VirtualPrinterIndex > 0; }

void TqpPreviewForm::InitButtons()
{
    if (!m_report)
        return;
    const quint8 b = m_report->PreviewButtons;
    ZoomBtn->setVisible(b & pbZoom);
    Separator1->setVisible(b & pbZoom);
    LoadBtn->setVisible(b & pbLoad);
    SaveBtn->setVisible(b & pbSave);
    PrintBtn->setVisible(b & pbPrint);
    PageSetupBtn->setVisible(b & pbPageSetup);
    FindBtn->setVisible(b & pbFind);
    HelpBtn->setVisible((b & pbHelp) && !Host);
    ExitBtn->setVisible((b & pbExit) && !Host);
    Separator3->setVisible(FindBtn->isVisibleTo(this) || HelpBtn->isVisibleTo(this));
    PrintBtn->setEnabled(hasPrinters());
    PageSetupBtn->setEnabled(PrintBtn->isEnabled());
    showEditItems();
    switch (m_report->InitialZoom) {
    case pzPageWidth: SavedZoomMode = mdPageWidth; break;
    case pzOnePage: SavedZoomMode = mdOnePage; break;
    case pzTwoPages: SavedZoomMode = mdTwoPages; break;
    case pzDefault: break;
    }
    SetGrayedButtons(m_report->GrayedButtons);
}

void TqpPreviewForm::showEditItems()
{
    const bool modify = canEditPages();
    for (QAction *a : {EditSeparator, EditPageItem, NewPageItem, DelPageItem})
        a->setVisible(modify);
}

bool TqpPreviewForm::canEditPages() const
{
    // Pages are edited where a designer is installed and the report allows it.
    return m_report && m_report->ModifyPrepared && qpPageEditHook;
}

void TqpPreviewForm::SetGrayedButtons(bool grayed)
{
    m_grayed = grayed;
    for (QToolButton *b : Panel1->findChildren<QToolButton *>())
        showGrayed(b, grayed);
}

void TqpPreviewForm::showGrayed(QToolButton *button, bool grayed)
{
    QIcon icon = button->property("NormalIcon").value<QIcon>();
    if (icon.isNull()) {
        icon = button->icon();
        button->setProperty("NormalIcon", icon);
    }
    button->setIcon(grayed && !icon.isNull() ? QIcon(icon.pixmap(16, QIcon::Disabled)) : icon);
}

// ---------------------------------------------------------------- layout

void TqpPreviewForm::RedrawAll(bool reset)
{
    m_scale = SavedZoom;
    m_mode = SavedZoomMode;
    markZoomItem(m_mode == mdNone ? nearestPx(m_scale * 100) : int(m_mode));
    if (reset) {
        m_curPage = 1;
        m_ofsX = m_ofsY = m_prevX = m_prevY = 0;
        HScrollBar->setValue(0);
        VScrollBar->setValue(0);
    }
    ShowPageNum();
    FormResize();
    releasePages();
    DelPageItem->setEnabled(PageCount() > 1);
    PBox->update();
}

void TqpPreviewForm::releasePages()
{
    for (int i = 0; i < PageCount(); ++i) {
        m_pages->GetPages(i).OnScreen = false;
        m_pages->Draw(i, &TempBitmap->Canvas, TRect());
    }
}

void TqpPreviewForm::markZoomItem(int tag)
{
    for (QAction *a : ZoomGroup->actions())
        a->setChecked(a->data().toInt() == tag);
}

void TqpPreviewForm::FormResize()
{
    const int count = PageCount();
    if (!count) {
        m_ready = true; // an empty box is painted plain
        PBox->update();
        return;
    }
    m_ready = false;
    const int W = PBox->width(), H = PBox->height();
    const TqpPrnInfo &cur = m_pages->GetPages(std::clamp(m_curPage, 1, count) - 1).PrnInfo;
    double scale = m_scale;
    switch (m_mode) {
    case mdPageWidth: scale = (W - 20) / double(cur.SheetWidth); break;
    case mdOnePage: scale = (H - 20) / double(cur.SheetHeight); break;
    case mdTwoPages: scale = (W - 30) / (2.0 * cur.SheetWidth); break;
    case mdNone: break;
    }
    // A box smaller than the margins or a page without paper keeps the zoom it had.
    if (std::isfinite(scale) && scale > 0)
        m_scale = scale;
    const int percent = nearestPx(m_scale * 100);
    markZoomItem(m_mode == mdNone ? percent : int(m_mode));
    ZoomBtn->setText(QString::number(percent) + QLatin1Char('%'));

    const auto sheetW = [this](int i) { return nearestPx(m_pages->GetPages(i).PrnInfo.SheetWidth * m_scale); };
    const auto sheetH = [this](int i) { return nearestPx(m_pages->GetPages(i).PrnInfo.SheetHeight * m_scale); };
    qint64 x = 10;
    int run = 0, columns = 0;
    for (int i = 0; i < count; ++i) {
        const qint64 f = sheetW(i) + x + 10;
        if (W < f) {
            columns = std::max(columns, run);
            run = 0;
            x = 10;
        } else {
            x = f;
            ++run;
            if (i == count - 1)
                columns = std::max(columns, run);
        }
    }
    if (columns == 0)
        columns = 1;
    if (m_mode == mdOnePage)
        columns = 1;
    else if (m_mode == mdTwoPages)
        columns = 2;

    qint64 y = 10, maxRight = 0, maxBottom = 0;
    for (int first = 0; first < count; first += columns) {
        x = 10;
        int highest = 0;
        for (int i = first; i < std::min(count, first + columns); ++i) {
            const int w = sheetW(i), h = sheetH(i);
            const qint64 left = columns == 1 && w < W ? (W - w) / 2 : x;
            TRect &r = m_pages->GetPages(i).PreviewRect;
            r = TRect{nearestPx(left), nearestPx(y), nearestPx(left + w), nearestPx(y + h)};
            x += w + 10;
            highest = std::max(highest, h);
            maxRight = std::max<qint64>(maxRight, r.Right);
            maxBottom = std::max<qint64>(maxBottom, r.Bottom);
        }
        y += highest + 10;
    }

    m_corner->setVisible(RPanel->isVisibleTo(ScrollBox));
    const auto range = [](qint64 extent, int view) { return extent - view < 0 ? 0 : nearestPx(extent - view + 10); };
    for (auto [bar, max] : {std::pair{HScrollBar, range(maxRight, W)}, std::pair{VScrollBar, range(maxBottom, H)}}) {
        const QSignalBlocker block(bar);
        bar->setRange(0, max);
        bar->setEnabled(max != 0);
    }
    // The bars may have moved into their new range; the offsets follow them.
    m_prevX = HScrollBar->value();
    m_ofsX = -m_prevX;
    m_prevY = VScrollBar->value();
    m_ofsY = -m_prevY;

    if (isVisible())
        ScrollBox->setFocus();
    SetToCurPage();
    m_ready = true;
    PBox->update();
}

void TqpPreviewForm::SetToCurPage()
{
    if (m_curPage < 1 || m_curPage > PageCount())
        return;
    VScrollBar->setValue(m_pages->GetPages(m_curPage - 1).PreviewRect.Top - 10);
}

void TqpPreviewForm::ShowPageNum()
{
    if (Host && Host->OnPageChanged)
        Host->OnPageChanged(Host, m_curPage);
    const int count = PageCount();
    const QString prefix = qpLoadStr(qpMsgPreviewPage) + QLatin1Char(' ');
    Label1->setText(count ? prefix + QString::number(m_curPage) + QLatin1Char('/') + QString::number(count) : QString());
    // Wide enough for the last page of this report: "Sayfa 1200/1200".
    const QFontMetrics metrics = Label1->fontMetrics();
    const QString widest = prefix + QString::number(count) + QLatin1Char('/') + QString::number(count);
    // A framed label keeps half an "x" free on each side of its text.
    const int needed =
        metrics.horizontalAdvance(widest) + metrics.horizontalAdvance(QLatin1Char('x')) + 2 * Label1->frameWidth() + 4;
    Label1->setFixedWidth(std::max(kPageFieldWidth, needed));
}

void TqpPreviewForm::SetCurrentPage(int page)
{
    if (page < 1 || page > PageCount())
        return;
    m_curPage = page;
    ShowPageNum();
    SetToCurPage();
}

void TqpPreviewForm::SetScale(double scale, TqpScaleMode mode)
{
    m_mode = mode;
    if (mode == mdNone)
        m_scale = scale;
    FormResize();
    SavedZoom = m_scale;
    SavedZoomMode = m_mode;
    PBox->update();
}

// ---------------------------------------------------------------- painting

void TqpPreviewForm::paintPages(QPaintEvent *event)
{
    if (!m_ready)
        return;
    TCanvas canvas(PBox);
    QPainter &p = canvas.Painter();
    const int count = PageCount();
    if (!count) {
        p.fillRect(PBox->rect(), PBox->palette().button());
        return;
    }
    QList<QRect> rects(count);
    QRegion background(PBox->rect());
    for (int i = 0; i < count; ++i) {
        TqpPageInfo &info = m_pages->GetPages(i);
        const TRect &pr = info.PreviewRect;
        rects[i] = QRect(QPoint(pr.Left + m_ofsX, pr.Top + m_ofsY), QPoint(pr.Right + m_ofsX, pr.Bottom + m_ofsY));
        const QRect r(rects[i].topLeft(), QSize(pr.Width(), pr.Height()));
        info.OnScreen = r.top() <= 2000 && r.top() + pr.Height() >= 0 && event->region().intersects(r);
        if (info.OnScreen)
            background -= r.adjusted(1, 1, -1, -1);
    }
    p.setClipRegion(background);
    p.fillRect(PBox->rect(), QColor(128, 128, 128));
    p.setClipRegion(event->region());

    canvas.Pen = TPen();
    canvas.Brush = TBrush();
    for (int i = 0; i < count; ++i) {
        if (!m_pages->GetPages(i).OnScreen)
            continue;
        const int l = rects[i].left(), t = rects[i].top();
        const int r = l + m_pages->GetPages(i).PreviewRect.Width(), b = t + m_pages->GetPages(i).PreviewRect.Height();
        canvas.Rectangle(l, t, r, b);
        canvas.MoveTo(l + 1, b);
        canvas.LineTo(r, b);
        canvas.LineTo(r, t + 1);
    }
    for (int i = 0; i < count; ++i) {
        TqpPageInfo &info = m_pages->GetPages(i);
        TRect dest;
        if (info.OnScreen) {
            const int l = rects[i].left(), t = rects[i].top();
            if (info.UseMargins) {
                dest = TRect{l, t, l + info.PreviewRect.Width(), t + info.PreviewRect.Height()};
            } else {
                const TqpPrnInfo &prn = info.PrnInfo;
                const TRect &m = info.Margins;
                dest.Left = l + nearestPx((double(prn.SheetOffsetX) + m.Left) * m_scale);
                dest.Top = t + nearestPx((double(prn.SheetOffsetY) + m.Top) * m_scale);
                dest.Right = dest.Left + nearestPx((double(prn.PrintWidth) - m.Left - m.Right) * m_scale);
                dest.Bottom = dest.Top + nearestPx((double(prn.PrintHeight) - m.Top - m.Bottom) * m_scale);
            }
        }
        if (m_badPages.contains(i))
            continue;
        try {
            m_pages->Draw(i, &canvas, dest);
        } catch (const std::exception &e) {
            badPage(i, e);
        }
    }
    // The found text, inverted.
    const QRect mark = MarkRect();
    if (!mark.isEmpty()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(mark, Qt::white);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void TqpPreviewForm::badPage(int index, const std::exception &error)
{
    m_badPages.insert(index);
    QMetaObject::invokeMethod(
        this, [text = errorText(error)] { UiSeam::ShowError(text); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- scrolling

void TqpPreviewForm::hScrolled(int position)
{
    const int dx = m_prevX - position;
    m_prevX = position;
    m_ofsX = -position;
    if (m_ready)
        PBox->scroll(dx, 0);
}

void TqpPreviewForm::vScrolled(int position)
{
    const int dy = m_prevY - position;
    m_prevY = position;
    m_ofsY = -position;
    if (m_ready)
        PBox->scroll(0, dy);
    // The current page is the one crossing the view's top edge.
    const int line = position + 11;
    for (int i = 0; i < PageCount(); ++i) {
        const TRect &r = m_pages->GetPages(i).PreviewRect;
        if (r.Top < line && r.Bottom > line) {
            m_curPage = i + 1;
            break;
        }
    }
    ShowPageNum();
}

void TqpPreviewForm::WheelScroll(int notches)
{
    VScrollBar->setValue(VScrollBar->value() + notches * VScrollBar->singleStep() * WheelFactor);
}

void TqpPreviewForm::PgUpClick()
{
    m_curPage = std::max(m_curPage - 1, 1);
    ShowPageNum();
    SetToCurPage();
}

void TqpPreviewForm::PgDownClick()
{
    m_curPage = std::max(std::min(m_curPage + 1, PageCount()), 1);
    ShowPageNum();
    SetToCurPage();
}

// ---------------------------------------------------------------- keys

bool TqpPreviewForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        bool handled = false;
        Guarded([&] { handled = handleKey(static_cast<QKeyEvent *>(event)); });
        return handled;
    }
    if (m_grayed && (event->type() == QEvent::Enter || event->type() == QEvent::Leave))
        if (auto *b = qobject_cast<QToolButton *>(watched); b && b->parentWidget() == Panel1)
            showGrayed(b, event->type() == QEvent::Leave);
    if (m_helpMode && watched == this && event->type() == QEvent::MouseButtonPress) {
        Guarded([&] { helpPress(static_cast<QMouseEvent *>(event)); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TqpPreviewForm::handleKey(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const auto step = [](QScrollBar *bar, int by) { bar->setValue(bar->value() + by); };
    switch (event->key()) {
    case Qt::Key_Up: step(VScrollBar, -kSmallStep); return true;
    case Qt::Key_Down: step(VScrollBar, kSmallStep); return true;
    case Qt::Key_Left: step(HScrollBar, -kSmallStep); return true;
    case Qt::Key_Right: step(HScrollBar, kSmallStep); return true;
    case Qt::Key_PageUp:
        if (ctrl)
            PgUpClick();
        else
            step(VScrollBar, -kLargeStep);
        return true;
    case Qt::Key_PageDown:
        if (ctrl)
            PgDownClick();
        else
            step(VScrollBar, kLargeStep);
        return true;
    case Qt::Key_Space: ZoomBtnClick(); return true;
    case Qt::Key_Escape: ExitBtnClick(); return true;
    case Qt::Key_Home:
        if (!ctrl)
            return false;
        VScrollBar->setValue(0);
        return true;
    case Qt::Key_End:
        if (!ctrl)
            return false;
        m_curPage = std::max(PageCount(), 1);
        SetToCurPage();
        return true;
    // A hidden button's command stays out of reach of its key too.
    case Qt::Key_O:
        if (ctrl && LoadBtn->isVisibleTo(this))
            LoadBtnClick();
        return ctrl;
    case Qt::Key_S:
        if (ctrl && SaveBtn->isVisibleTo(this))
            SaveBtnClick();
        return ctrl;
    case Qt::Key_P:
        if (ctrl && PrintBtn->isEnabled() && PrintBtn->isVisibleTo(this))
            PrintBtnClick();
        return ctrl;
    case Qt::Key_F:
        if (ctrl && FindBtn->isVisibleTo(this))
            FindBtnClick();
        return ctrl;
    case Qt::Key_E:
        // By the settings the item shows by: the zoom button's menu hides it for a while.
        if (ctrl && canEditPages())
            EditBtnClick();
        return ctrl;
    case Qt::Key_F3:
        if (ctrl)
            return true;
        if (m_search.Text.isEmpty())
            return false;
        FindNext();
        return true;
    default: return ctrl;
    }
}

// ---------------------------------------------------------------- mouse

int TqpPreviewForm::pageAt(const QPoint &boxPoint, QPoint &unitPoint) const
{
    const int x = boxPoint.x() - m_ofsX, y = boxPoint.y() - m_ofsY;
    for (int i = 0; i < PageCount(); ++i) {
        const TRect &r = m_pages->GetPages(i).PreviewRect;
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
            unitPoint = QPoint(nearestPx((x - r.Left) / m_scale), nearestPx((y - r.Top) / m_scale));
            return i;
        }
    }
    return -1;
}

void TqpPreviewForm::pagePress(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        showEditItems();
        QMenu *menu = Host && Host->PopupMenu ? Host->PopupMenu : ProcMenu;
        menu->popup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_clickedPage = m_curPage;
    QPoint unit;
    const int i = pageAt(pos, unit);
    if (i >= 0) {
        m_clickedPage = i + 1;
        QString link;
        int cursor = crDefault;
        if (!m_badPages.contains(i) && m_pages->DoClick(i, unit, link, cursor, true)) {
            followLink(link);
            return;
        }
    }
    m_panning = true;
    m_panFrom = pos;
    m_curPage = m_clickedPage;
    ShowPageNum();
}

void TqpPreviewForm::followLink(const QString &link)
{
    const qsizetype at = link.indexOf(QLatin1Char('@'));
    if (at < 0)
        return;
    // Anything but a page number after the at sign is the conversion error;
    // a mail address reaches the desktop only with its "mailto:".
    const int n = std::max(qpStrToInt(link.mid(at + 1)), 1);
    if (n <= PageCount()) {
        m_curPage = n;
        ShowPageNum();
        SetToCurPage();
    }
}

void TqpPreviewForm::pageMove(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_panning) {
        HScrollBar->setValue(HScrollBar->value() - (pos.x() - m_panFrom.x()));
        VScrollBar->setValue(VScrollBar->value() - (pos.y() - m_panFrom.y()));
        m_panFrom = pos;
        return;
    }
    if (!m_report)
        return;
    QPoint unit;
    const int i = pageAt(pos, unit);
    QString link;
    int cursor = crDefault;
    const bool answered = i >= 0 && !m_badPages.contains(i) && m_pages->DoClick(i, unit, link, cursor, false);
    PBox->setCursor(answered ? cursorShape(cursor) : Qt::ArrowCursor);
    int n = 0;
    Label2->setText(pageLink(link, n) ? qpLoadStr(qpMsgPreviewPage) + QLatin1Char(' ') + QString::number(n) : link);
}

void TqpPreviewForm::pageDoubleClick(QMouseEvent *event)
{
    m_panning = false;
    QPoint unit;
    const int i = pageAt(event->position().toPoint(), unit);
    if (i >= 0)
        m_clickedPage = i + 1;
    m_curPage = m_clickedPage;
    ShowPageNum();
    if (canEditPages())
        EditBtnClick();
}

// ---------------------------------------------------------------- commands

void TqpPreviewForm::ZoomBtnClick()
{
    for (QAction *a : {EditSeparator, EditPageItem, NewPageItem, DelPageItem})
        a->setVisible(false);
    ProcMenu->popup(ZoomBtn->mapToGlobal(QPoint(0, ZoomBtn->height())));
}

void TqpPreviewForm::N3Click(int tag)
{
    m_ofsX = 0;
    if (tag >= mdPageWidth && tag <= mdTwoPages) {
        m_mode = TqpScaleMode(tag);
    } else {
        m_mode = mdNone;
        m_scale = tag / 100.0;
    }
    markZoomItem(tag);
    HScrollBar->setValue(0);
    FormResize();
    SavedZoom = m_scale;
    SavedZoomMode = m_mode;
    PBox->update();
}

void TqpPreviewForm::LoadBtnClick()
{
    if (!PageCount() || !m_report)
        return;
    const QString name = UiSeam::OpenFileName(this, QString(), qpLoadStr(qpMsgPreviewFileType) + QLatin1String(" (*.qpp)"));
    if (!name.isEmpty())
        LoadFromFile(name);
}

void TqpPreviewForm::LoadFromFile(const QString &fileName)
{
    if (!m_report)
        return;
    // The file is read into the report's own (empty) store first, so a file
    // that cannot be read leaves the pages shown as they were.
    m_report->LoadPreparedReport(fileName);
    m_ready = false;
    Connect(m_report);
    m_curPage = 1;
    FormResize();
    ShowPageNum();
    SetToCurPage();
    m_ready = true;
    PBox->update();
}

void TqpPreviewForm::SaveBtnClick()
{
    if (!PageCount() || !m_report)
        return;
    QStringList filters{qpLoadStr(qpMsgPreviewFileType) + QLatin1String(" (*.qpp)")};
    int preselected = 0;
    for (const TqpPreviewExport &e : std::as_const(qpPreviewExports)) {
        filters << nameFilter(e.Description, e.FileMask);
        if (e.Default && !preselected)
            preselected = int(filters.size()) - 1;
    }
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(preselected));
    if (UiSeam::ShowModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString name = dialog.selectedFiles().first();
    const int entry = int(filters.indexOf(dialog.selectedNameFilter()));
    if (entry <= 0) {
        SaveToFile(name);
        return;
    }
    const TqpPreviewExport filter = qpPreviewExports.at(entry - 1);
    {
        PagesLent lent(*this);
        filter.Export(m_report, changeFileExt(name, filter.FileMask.mid(1)));
    }
    RedrawAll(false);
}

void TqpPreviewForm::SaveToFile(const QString &fileName)
{
    if (!m_report)
        return;
    PagesLent lent(*this);
    m_report->SavePreparedReport(changeFileExt(fileName, QStringLiteral(".qpp")));
}

void TqpPreviewForm::PrintBtnClick()
{
    if (!PageCount() || !m_report || !hasPrinters())
        return;
    const int oldIndex = Prn->PrinterIndex;
    TqpPrintForm dialog(this);
    dialog.SetCopies(m_report->DefaultCopies);
    dialog.CollateCB->setChecked(m_report->DefaultCollate);
    if (m_report->ShowPrintDialog && UiSeam::ShowModal(&dialog) != QDialog::Accepted)
        return;
    // Pages laid out for another printer are built again for the new one.
    const auto *current = dynamic_cast<TqpReport *>(CurReport);
    if (current && current->RebuildPrinter && Prn->PrinterIndex != oldIndex && m_report->CanRebuild) {
        if (!m_report->ChangePrinter(oldIndex, Prn->PrinterIndex))
            return;
        rebuild();
    }
    const QString pageNumbers = dialog.RB1->isChecked()   ? QString()
                                : dialog.RB2->isChecked() ? QString::number(m_curPage)
                                                          : dialog.E2->text();
    const int copies = dialog.Copies();
    {
        PagesLent lent(*this);
        m_report->PrintPreparedReport(pageNumbers, copies, dialog.CollateCB->isChecked(),
                                      TqpPrintPages(dialog.CB2->currentIndex()));
    }
    RedrawAll(false);
}

void TqpPreviewForm::rebuild()
{
    // Pages read from a prepared-report file have no template to build from.
    if (!m_report->CanRebuild)
        return;
    m_report->PrepareReport();
    FreePages();
    Connect(m_report);
}

void TqpPreviewForm::PageSetupBtnClick()
{
    if (!PageCount() || !m_report || !Prn)
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!Prn->IsVirtual())
        printer.setPrinterName(Prn->DeviceName);
    else
        printer.setOutputFormat(QPrinter::PdfFormat);
    const QPageSize size = Prn->PaperSize == qpPaperCustom || QPageSize::id(Prn->PaperSize) == QPageSize::Custom
                               ? QPageSize(QSizeF(Prn->PaperWidth / 10.0, Prn->PaperHeight / 10.0),
                                           QPageSize::Millimeter, QString(), QPageSize::ExactMatch)
                               : QPageSize(QPageSize::id(Prn->PaperSize));
    // Margins travel in hundredths of a millimetre, as page setup dialogs keep them.
    const TRect &m = m_pages->GetPages(0).Margins;
    const auto hundredths = [](int units) { return units * 500 / 18; };
    printer.setPageLayout(QPageLayout(size,
                                      Prn->Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(hundredths(m.Left) / 100.0, hundredths(m.Top) / 100.0,
                                                hundredths(m.Right) / 100.0, hundredths(m.Bottom) / 100.0),
                                      QPageLayout::Millimeter, QMarginsF()));
    QPageSetupDialog dialog(&printer, ScrollBox);
    if (UiSeam::ShowModal(&dialog) != QDialog::Accepted)
        return;

    const QPageLayout layout = printer.pageLayout();
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    const int code = layout.pageSize().windowsId() > 0 ? layout.pageSize().windowsId() : qpPaperCustom;
    const int width = qpRound((landscape ? mm.height() : mm.width()) * 10);
    const int height = qpRound((landscape ? mm.width() : mm.height()) * 10);
    Prn->SetPrinterInfo(code, width, height, paperBinOf(printer.paperSource()),
                        landscape ? poLandscape : poPortrait, true);
    Prn->Update();

    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    const auto units = [](double mm) { return qpRound(mm * 100) * 18 / 500; };
    for (int i = 0; i < m_report->Pages.GetCount(); ++i) {
        TqpPage *page = m_report->Pages.GetPages(i);
        if (page->PageType != ptReport)
            continue;
        page->Margins = TRect{units(margins.left()), units(margins.top()), units(margins.right()),
                              units(margins.bottom())};
        // The printer's own size, so a custom paper keeps its measures.
        page->ChangePaper(Prn->PaperSize, Prn->PaperWidth, Prn->PaperHeight, Prn->PaperBin, Prn->Orientation);
    }
    rebuild();
    RedrawAll(true);
}

void TqpPreviewForm::ExitBtnClick()
{
    if (!m_report)
        return;
    if (m_report->ModalPreview)
        done(QDialog::Accepted);
    else
        close();
}

void TqpPreviewForm::HelpBtnClick()
{
    if (m_helpMode)
        return;
    m_helpMode = true;
    HelpBtn->setChecked(true);
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    grabMouse();
}

void TqpPreviewForm::helpPress(QMouseEvent *event)
{
    m_helpMode = false;
    releaseMouse();
    QApplication::restoreOverrideCursor();
    HelpBtn->setChecked(false);
    QWidget *w = childAt(event->position().toPoint());
    while (w && w != this && !w->property(kHelpContext).isValid())
        w = w->parentWidget();
    if (!w || w == this || w == HelpBtn)
        return;
    UiSeam::ShowMessage(qpLoadStr(qpMsgPreviewNoHelp).arg(w->property(kHelpContext).toInt()));
}

// ---------------------------------------------------------------- search

void TqpPreviewForm::FindBtnClick()
{
    if (!m_report || !PageCount())
        return;
    TqpPreviewSearchForm dialog(this);
    if (UiSeam::ShowModal(&dialog) != QDialog::Accepted || dialog.Edit1->text().isEmpty())
        return;
    m_search.SetText(dialog.Edit1->text(), dialog.CB1->isChecked());
    if (dialog.RB1->isChecked())
        m_search.StartFromFirst();
    else
        m_search.StartFromCurrent(m_curPage);
    FindText();
}

void TqpPreviewForm::FindNext()
{
    if (m_search.Text.isEmpty() || !PageCount())
        return;
    m_search.StartFromCurrent(m_curPage);
    FindText();
}

void TqpPreviewForm::FindText()
{
    if (!m_pages)
        return;
    if (!m_searcher)
        m_searcher = std::make_unique<TqpPageSearcher>();
    m_ready = false;
    m_search.FoundFlag = false;
    m_markPage = -1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    while (m_search.Page >= 0 && m_search.Page < PageCount()) {
        const int page = m_search.Page;
        int next = -1;
        if (!m_badPages.contains(page)) {
            try {
                next = m_searcher->FindInEMF(*m_pages, page, m_search, m_search.Found);
            } catch (const std::exception &e) {
                badPage(page, e);
            }
        }
        if (next >= 0) {
            m_search.FoundFlag = true;
            m_search.StartRecord = next;
            m_markPage = page;
            scrollToMark();
            // Scrolling names the page at the view's top; the found page is the current one.
            m_curPage = page + 1;
            ShowPageNum();
            m_ready = true;
            PBox->update();
            return;
        }
        m_pages->GetPages(page).OnScreen = false;
        m_pages->ReleaseObjects(page);
        m_search.StartRecord = 0;
        ++m_search.Page;
    }
    m_ready = true;
}

QRect TqpPreviewForm::MarkRect() const
{
    if (m_markPage < 0 || m_markPage >= PageCount())
        return QRect();
    const TRect &pr = m_pages->GetPages(m_markPage).PreviewRect;
    const QRect &f = m_search.Found;
    return QRect(pr.Left + m_ofsX + nearestPx(f.left() * m_scale), pr.Top + m_ofsY + nearestPx(f.top() * m_scale),
                 nearestPx(f.width() * m_scale), nearestPx(f.height() * m_scale) + 1);
}

void TqpPreviewForm::scrollToMark()
{
    // The page's top left corner 10 pixels into the view, unless the mark
    // would then lie beyond the view's edge: then the mark at that edge.
    const TRect &pr = m_pages->GetPages(m_markPage).PreviewRect;
    const QRect &f = m_search.Found;
    const int x = nearestPx(f.left() * m_scale) + 10, y = nearestPx(f.top() * m_scale) + 10;
    const int w = nearestPx(f.width() * m_scale), h = nearestPx(f.height() * m_scale);
    const int W = PBox->width(), H = PBox->height();
    VScrollBar->setValue(H - h < y ? pr.Top + y + h - H - 10 : pr.Top - 10);
    HScrollBar->setValue(W - w < x ? pr.Left + x + w - W - 10 : pr.Left - 10);
}

// ---------------------------------------------------------------- page editing

void TqpPreviewForm::EditBtnClick()
{
    if (!canEditPages() || PageCount() == 0)
        return;
    const int index = std::clamp(m_curPage, 1, PageCount()) - 1;
    {
        PagesLent lent(*this);
        m_report->EditPreparedReport(index);
    }
    RedrawAll(false);
}

void TqpPreviewForm::NewPageBtnClick()
{
    if (!m_report || !m_pages || !m_report->ModifyPrepared)
        return;
    const int index = std::clamp(m_curPage, 1, std::max(PageCount(), 1)) - 1;
    // The paper of the template's first page; pages read from a file have
    // no template, and take the paper of the page they are put before.
    std::unique_ptr<TqpPage> own;
    TqpPage *model = m_report->Pages.GetCount() ? m_report->Pages.GetPages(0) : nullptr;
    if (!model && PageCount()) {
        const TqpPageInfo &info = m_pages->GetPages(index);
        own = std::make_unique<TqpPage>(info.PaperSize, info.PaperWidth, info.PaperHeight, info.PaperBin,
                                        info.Orientation ? poLandscape : poPortrait);
        own->Margins = info.Margins;
        own->UseMargins = info.UseMargins;
        own->PrnInfo = info.PrnInfo;
        model = own.get();
    }
    if (!model)
        return;
    m_pages->Insert(index, model);
    QSet<int> bad;
    for (int i : std::as_const(m_badPages))
        bad.insert(i >= index ? i + 1 : i);
    m_badPages = bad;
    m_markPage = -1;
    RedrawAll(false);
}

void TqpPreviewForm::DelPageBtnClick()
{
    if (!m_report || !m_report->ModifyPrepared || PageCount() <= 1)
        return;
    if (UiSeam::MessageBox(this, QMessageBox::Question, qpLoadStr(qpMsgConfirm), qpLoadStr(qpMsgDeletePage),
                           QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const int index = std::clamp(m_curPage, 1, PageCount()) - 1;
    m_pages->Delete(index);
    QSet<int> bad;
    for (int i : std::as_const(m_badPages))
        if (i != index)
            bad.insert(i > index ? i - 1 : i);
    m_badPages = bad;
    m_markPage = -1;
    RedrawAll(true);
}

// ---------------------------------------------------------------- report

void TqpReport::ShowReport()
{
    PrepareReport();
    ShowPreparedReport();
}

void TqpReport::ShowPreparedReport()
{
    CurReport = this;
    MasterReport = this;
    DocMode = dmPrinting;
    CurBand = nullptr;
    if (!EMFPages || EMFPages->GetCount() == 0)
        return;
    QString caption = qpLoadStr(qpMsgPreviewCaption);
    if (!Title.isEmpty())
        caption += QLatin1String(" - ") + Title;
    if (Preview) {
        Preview->Connect(this);
        return;
    }
    // A window of its own, freed when it closes; a modeless one goes with
    // the report too.
    const bool modal = ModalPreview;
    QPointer<TqpPreviewForm> form = new TqpPreviewForm;
    form->setWindowTitle(caption);
    if (!modal) {
        form->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(this, &QObject::destroyed, form, [form] { delete form; });
    }
    form->Show_Modal(this);
    if (modal)
        delete form;
    QCoreApplication::processEvents();
}
