#include "anamenu.h"
#include "ui_anamenu.h"

#include "application.h"
#include "forms.h"
#include "hakkinda.h"
#include "ilcetanim.h"
#include "mahtanim.h"
#include "member_store.h"
#include "modal_seam.h"
#include "old_tables.h"
#include "paradox_import.h"
#include "passw_form.h"
#include "report/export/export_ui.h"
#include "progress_form.h"
#include "report/core/exceptions.h"
#include "report/designer/designer_form.h"
#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/output/printer.h"
#include "resim.h"
#include "sehirtanim.h"
#include "table.h"
#include "takvim.h"
#include "uyekayit.h"
#include "uyelist.h"
#include "window_position.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QToolButton>
#include <QUrl>

TAnaMenu1 *AnaMenu1 = nullptr;
TUyeKayitForm1 *UyeKayitForm1 = nullptr;
TUyeListForm1 *UyeListForm1 = nullptr;
THakkinda *Hakkinda = nullptr;
TTakvim1 *Takvim1 = nullptr;
TSehirTanim1 *SehirTanim1 = nullptr;
TIlceTanim1 *IlceTanim1 = nullptr;
TMahalleTanim1 *MahalleTanim1 = nullptr;
TResim1 *Resim1 = nullptr;

const char *const kMakerSite = "https://orvanta.example/";

namespace {

const char *const kToolImages[] = {":/icons/avatar-default.png", ":/icons/x-office-address-book.png",
                                   ":/icons/x-office-calendar.png", ":/icons/help-browser.png",
                                   ":/icons/application-exit.png"};

// The hot image list: the same pictures, lit up, for the button under the mouse.
QPixmap hotImage(const QPixmap &normal)
{
    QImage image = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(qMin(255, qRed(p) + 60), qMin(255, qGreen(p) + 60), qMin(255, qBlue(p) + 90), qAlpha(p));
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

TAnaMenu1::TAnaMenu1(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::TAnaMenu1>())
{
    ui->setupUi(this);
    setUpToolBar();
    setUpBackground();
    setUpStatusBar();

    const auto command = [this](QAction *action, void (TAnaMenu1::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    command(ui->yeGirii1, &TAnaMenu1::yeGirii1Click);
    command(ui->yeBul1, &TAnaMenu1::yeBul1Click);
    command(ui->ehir1, &TAnaMenu1::ehir1Click);
    command(ui->Kaza1, &TAnaMenu1::Kaza1Click);
    command(ui->Mahalle1, &TAnaMenu1::Mahalle1Click);
    command(ui->Hakknda1, &TAnaMenu1::Hakknda1Click);
    command(ui->Orvanta1, &TAnaMenu1::Orvanta1Click);
    command(ui->TakvimMenu, &TAnaMenu1::TakvimMenuClick);
    command(ui->k1, &TAnaMenu1::k1Click);
    // Each toolbar button runs the handler of its menu twin.
    command(ui->ToolButton1, &TAnaMenu1::yeGirii1Click);
    command(ui->ToolButton2, &TAnaMenu1::yeBul1Click);
    command(ui->ToolButton3, &TAnaMenu1::TakvimMenuClick);
    command(ui->ToolButton4, &TAnaMenu1::Hakknda1Click);
    command(ui->ToolButton5, &TAnaMenu1::k1Click);
}

TAnaMenu1::~TAnaMenu1() = default;

void TAnaMenu1::setUpToolBar()
{
    ui->ToolBar1->setFixedHeight(41);
    const QList<QAction *> buttons{ui->ToolButton1, ui->ToolButton2, ui->ToolButton3, ui->ToolButton4, ui->ToolButton5};
    for (int i = 0; i < buttons.size(); ++i) {
        const QPixmap normal(QString::fromLatin1(kToolImages[i]));
        QIcon icon(normal);
        icon.addPixmap(hotImage(normal), QIcon::Active);
        buttons[i]->setIcon(icon);
        if (auto *button = qobject_cast<QToolButton *>(ui->ToolBar1->widgetForAction(buttons[i]))) {
            button->setFixedSize(58, 36);
            button->setAutoRaise(true);
        }
    }
}

void TAnaMenu1::setUpBackground()
{
    QPalette palette = ui->ControlBar1->palette();
    palette.setBrush(QPalette::Window, QBrush(QPixmap(QStringLiteral(":/pictures/background.png"))));
    ui->ControlBar1->setPalette(palette);
    ui->ControlBar1->setAutoFillBackground(true);
}

void TAnaMenu1::setUpStatusBar()
{
    // The last panel names the working folder and takes the rest of the bar.
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(ui->StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        const bool last = i == 3;
        if (last)
            panel->setMinimumWidth(50);
        else
            panel->setFixedWidth(50);
        ui->StatusBar1->addWidget(panel, last ? 1 : 0);
    }
}

void TAnaMenu1::ShowWorkingFolder(const QString &folder)
{
    auto *panel = ui->StatusBar1->findChild<QLabel *>(QStringLiteral("StatusPanel4"));
    panel->setText(QDir::toNativeSeparators(folder));
    panel->setToolTip(panel->text());
}

void TAnaMenu1::ShowMain()
{
    resize(650, 492);
    CentreOnScreen(this);
    showMaximized();
    // The design size stays the restored size.
    FillScreenWhenMaximized(this);
}

void TAnaMenu1::yeGirii1Click()
{
    // The cursor settles its pending row on the way to the last one; the new
    // row's defaults come from the cursor's new-record handler, so a row the
    // operator never touches is dropped, not stored, by the next settle.
    TTable *members = UyeKayitForm1->Table1;
    members->Last();
    members->Append();
    UyeKayitForm1->show();
    UyeKayitForm1->raise();
    UyeKayitForm1->activateWindow();
}

void TAnaMenu1::yeBul1Click()
{
    UyeListForm1->show();
    UyeListForm1->raise();
    UyeListForm1->activateWindow();
}

void TAnaMenu1::ehir1Click() { UiSeam::ShowModal(SehirTanim1); }

void TAnaMenu1::Kaza1Click() { UiSeam::ShowModal(IlceTanim1); }

void TAnaMenu1::Mahalle1Click() { UiSeam::ShowModal(MahalleTanim1); }

void TAnaMenu1::Hakknda1Click() { UiSeam::ShowModal(Hakkinda); }

void TAnaMenu1::Orvanta1Click()
{
    // Handed to the desktop without waiting: if no browser starts, nothing happens.
    UiSeam::OpenUrl(QUrl(QString::fromLatin1(kMakerSite)));
}

void TAnaMenu1::TakvimMenuClick()
{
    Takvim1->show();
    Takvim1->raise();
    Takvim1->activateWindow();
}

void TAnaMenu1::k1Click()
{
    // A member row the operator changed is saved or dropped only by their answer.
    if (UyeKayitForm1->SettleChanges())
        TApplication::instance()->Terminate();
}

void TAnaMenu1::closeEvent(QCloseEvent *event)
{
    if (UyeKayitForm1 && !UyeKayitForm1->SettleChanges()) {
        event->ignore();
        return;
    }
    event->accept();
    TApplication::instance()->Terminate();
}

QString ChooseWorkingFolder(const QStringList &arguments)
{
    // An empty name would stand for the current folder.
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].trimmed().isEmpty()))
        throw EqpError(QStringLiteral("Kullanım: zelvan [KLASÖR]"));
    const bool named = arguments.size() == 2;
    const QString folder = named ? QDir::cleanPath(QDir(arguments[1]).absolutePath())
                                 : QDir(QDir::homePath()).filePath(QStringLiteral("Zelvan"));
    // An import cut short is finished or undone before the folder is looked at.
    if (QFileInfo::exists(folder))
        ParadoxImport::Recover(folder);
    if (ParadoxImport::HoldsOldTables(folder))
        return OfferParadoxImport(folder) ? folder : QString();
    if (!named)
        return folder;
    // A wrong folder must not silently become an empty register.
    const QDir dir(folder);
    for (const QString &file : MemberStore::TableFiles())
        if (QFileInfo::exists(dir.filePath(file)))
            return folder;
    // The title says which folder the question is about.
    const auto answer = UiSeam::MessageBox(
        nullptr, QMessageBox::Question,
        QStringLiteral("%1 - %2").arg(QApplication::applicationName(), QDir::toNativeSeparators(folder)),
        QStringLiteral("Bu klasörde üye kayıtları yok. Yeni kayıt defteri oluşturulsun mu?"),
        QMessageBox::Yes | QMessageBox::No);
    return answer == QMessageBox::Yes ? folder : QString();
}

void StartUp(TApplication &app, const QString &folder)
{
    QApplication::setApplicationName(QStringLiteral("Zelvan"));
    if (MemberStore::PrepareWorkingFolder(folder))
        CopyShippedTemplates(QDir(folder), QDir(folder));
    if (!QDir::setCurrent(folder))
        throw EqpError(QStringLiteral("Çalışma klasörüne geçilemedi: %1").arg(QDir::toNativeSeparators(folder)));
    // The report engine: its globals, the printers and its windows.
    qpInitExpressionGlobals();
    qpInitModelGlobals();
    qpPrinterStartup();
    qpInstallReportUi();
    qpInstallProgressForm();
    qpInstallExportUi();
    qpInstallDesigner();
    app.CreateForm(AnaMenu1);
    app.CreateForm(UyeKayitForm1);
    app.CreateForm(UyeListForm1);
    app.CreateForm(Hakkinda);
    app.CreateForm(Takvim1);
    app.CreateForm(SehirTanim1);
    app.CreateForm(IlceTanim1);
    app.CreateForm(MahalleTanim1);
    app.CreateForm(Resim1);
    // Links from one window to another window's data, now that both exist.
    UyeListForm1->BindMembers(UyeKayitForm1->DataSource1);
    UyeKayitForm1->BindPlaces(SehirTanim1->DataSource1, IlceTanim1->DataSource1, MahalleTanim1->DataSource1);
    AnaMenu1->ShowWorkingFolder(folder);
}

namespace {

// The windows go first: they own report components that the engine's
// globals outlive.
void ShutDown(TApplication &app)
{
    app.DestroyForms();
    qpFreeProgressForm();
    qpPrinterShutdown();
    qpDoneModelGlobals();
    qpDoneExpressionGlobals();
}

} // namespace

int RunZelvan(TApplication &app, const QStringList &arguments)
{
    QApplication::setApplicationName(QStringLiteral("Zelvan"));
    QString folder;
    try {
        folder = ChooseWorkingFolder(arguments);
    } catch (...) {
        HandleException();
        return 1;
    }
    if (folder.isEmpty())
        return 0;
    try {
        StartUp(app, folder);
        AnaMenu1->ShowMain();
    } catch (...) {
        HandleException();
        ShutDown(app);
        return 1;
    }
    const int status = app.exec();
    ShutDown(app);
    return status;
}
