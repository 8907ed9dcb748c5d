#include "uyekayit.h"
#include "ui_uyekayit.h"

#include "application.h"
#include "data_source.h"
#include "report/core/code_page.h"
#include "report/core/exceptions.h"
#include "report/export/ole_excel_export.h"
#include "report/export/pdf_export.h"
#include "report/export/rtf_export.h"
#include "report/export/text_export.h"
#include "report/designer/designer_component.h"
#include "report/expr/report_dataset.h"
#include "report/model/report.h"
#include "forms.h"
#include "member_store.h"
#include "modal_seam.h"
#include "resim.h"
#include "table.h"
#include "takvim.h"
#include "window_position.h"

#include <QCalendarWidget>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QShortcut>

namespace {

// The picture dialog offers what the picture control can show: every format
// the image readers know, together and one by one.
QString pictureFilter()
{
    QStringList patterns, entries;
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        const QString suffix = QString::fromLatin1(format).toLower();
        patterns << QStringLiteral("*.") + suffix;
        entries << QStringLiteral("%1 (*.%2)").arg(suffix.toUpper(), suffix);
    }
    return QStringLiteral("Tüm resimler (%1);;%2")
        .arg(patterns.join(QLatin1Char(' ')), entries.join(QStringLiteral(";;")));
}

// The first character of `text` that the Turkish code page of the printed
// reports cannot hold, or empty; a surrogate pair (an emoji) counts as one
// character. One that would not show in a message is named by its code.
QString firstUnprintable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (qpCharToAnsi(c) >= 0)
            continue;
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString found = text.mid(i, pair ? 2 : 1);
        const char32_t code = found.toUcs4().value(0);
        if (!QChar::isPrint(code) || QChar::category(code) == QChar::Mark_NonSpacing)
            return QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
        return found;
    }
    return QString();
}

} // namespace

TUyeKayitForm1::TUyeKayitForm1(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TUyeKayitForm1>())
{
    ui->setupUi(this);
    Table1 = new TTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->TableName = QStringLiteral("Uye.db");
    MemberStore::ConfigureTable(*Table1);
    Table1->setFilterOptions(foCaseInsensitive);
    Table1->OnNewRecord = [this](TDataSet *) { Table1NewRecord(); };
    Table1->BeforePost = [this](TDataSet *) { Table1BeforePost(); };
    Table1->Open();
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);

    // The dues history follows the member by number; no window opens it.
    Table2 = new TTable(this);
    Table2->setObjectName(QStringLiteral("Table2"));
    Table2->TableName = QStringLiteral("Aidat.db");
    Table2->IndexFieldNames = QStringLiteral("KayitNo");
    Table2->MasterFields = QStringLiteral("KayitNo");
    Table2->setMasterSource(DataSource1);
    DataSource2 = new TDataSource(this);
    DataSource2->setObjectName(QStringLiteral("DataSource2"));
    DataSource2->setDataSet(Table2);

    qpDBDataSet1 = new TqpDBDataSet(this);
    qpDBDataSet1->setObjectName(QStringLiteral("qpDBDataSet1"));
    qpDBDataSet1->setDataSource(DataSource1);
    qpDBDataSet2 = new TqpDBDataSet(this);
    qpDBDataSet2->setObjectName(QStringLiteral("qpDBDataSet2"));
    qpDBDataSet2->setDataSource(DataSource2);
    qpDBDataSet2->CloseDataSource = true;
    // Starts without a template: each print command loads its own.
    qpReport1 = new TqpReport(this);
    qpReport1->setObjectName(QStringLiteral("qpReport1"));
    qpReport1->Dataset = qpDBDataSet1;
    qpReport1->Title = QStringLiteral("Üye Formu");
    qpReport1->PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbHelp | pbExit;
    qpReport1->InitialZoom = pzDefault;
    qpReport1->RebuildPrinter = false;
    qpOLEExcelExport1 = new TqpOLEExcelExport(this);
    qpOLEExcelExport1->setObjectName(QStringLiteral("qpOLEExcelExport1"));
    qpTextExport1 = new TqpTextExport(this);
    qpTextExport1->setObjectName(QStringLiteral("qpTextExport1"));
    qpRtfAdvExport1 = new TqpRtfAdvExport(this);
    qpRtfAdvExport1->setObjectName(QStringLiteral("qpRtfAdvExport1"));
    qpPdfExport1 = new TqpPdfExport(this);
    qpPdfExport1->setObjectName(QStringLiteral("qpPdfExport1"));
    // The designer's file dialogs start in the working folder, where the templates are.
    qpDesigner1 = new TqpDesigner(this);
    qpDesigner1->setObjectName(QStringLiteral("qpDesigner1"));
    qpDesigner1->OpenDir = QDir::currentPath();
    qpDesigner1->SaveDir = QDir::currentPath();
    ui->DBGrid1->setColumns({{QStringLiteral("Yil"), QString(), 61},
                             {QStringLiteral("OdemeTarihi"), QString(), 72},
                             {QStringLiteral("Aidat"), QString(), 90},
                             {QStringLiteral("Alinan"), QString(), 77},
                             {QStringLiteral("Kalan"), QString(), 73}});
    ui->DBGrid1->setDataSource(DataSource2);

    for (TDBEdit *edit : findChildren<TDBEdit *>())
        edit->setDataSource(DataSource1);
    for (TDBMemo *memo : findChildren<TDBMemo *>())
        memo->setDataSource(DataSource1);
    for (TDBComboBox *combo : findChildren<TDBComboBox *>())
        combo->setDataSource(DataSource1);
    for (TDBLookupComboBox *combo : findChildren<TDBLookupComboBox *>())
        combo->setDataSource(DataSource1);
    ui->DBImage1->setDataSource(DataSource1);

    // Bold Tahoma labels on navy pages.
    QFont labelFont(QStringLiteral("Tahoma"), 8);
    labelFont.setBold(true);
    for (QLabel *label : ui->PageControl1->findChildren<QLabel *>())
        label->setFont(labelFont);
    QPalette pages = ui->PageControl1->palette();
    pages.setColor(QPalette::WindowText, Qt::darkBlue);
    ui->PageControl1->setPalette(pages);
    ui->PageControl1->tabBar()->setPalette(pages);

    ui->ToolButton7->setPopupMode(QToolButton::MenuButtonPopup);
    ui->ToolButton7->setMenu(ui->PopupMenu1);

    const auto command = [this](auto *sender, auto signal, void (TUyeKayitForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    command(ui->ToolButton1, &QToolButton::clicked, &TUyeKayitForm1::ToolButton1Click);
    command(ui->ToolButton2, &QToolButton::clicked, &TUyeKayitForm1::ToolButton2Click);
    command(ui->ToolButton3, &QToolButton::clicked, &TUyeKayitForm1::ToolButton3Click);
    command(ui->ToolButton7, &QToolButton::clicked, &TUyeKayitForm1::ToolButton7Click);
    command(ui->Dzenle1, &QAction::triggered, &TUyeKayitForm1::Dzenle1Click);
    command(ui->ToolButton9, &QToolButton::clicked, &TUyeKayitForm1::ToolButton9Click);
    // The captions promise F2 for saving and F3 for cancelling.
    for (const auto &[key, button] : {std::pair(Qt::Key_F2, ui->ToolButton1), std::pair(Qt::Key_F3, ui->ToolButton2)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, button, &QToolButton::click);
    }
    command(ui->SpeedButton1, &QToolButton::clicked, &TUyeKayitForm1::SpeedButton1Click);
    command(ui->SpeedButton2, &QToolButton::clicked, &TUyeKayitForm1::SpeedButton2Click);
    command(ui->DBImage1, &TDBImage::doubleClicked, &TUyeKayitForm1::DBImage1DblClick);
    command(ui->ResimEkle1, &QAction::triggered, &TUyeKayitForm1::DBImage1DblClick);
    command(ui->ResimSil1, &QAction::triggered, &TUyeKayitForm1::ResimSil1Click);
    command(ui->Gster1, &QAction::triggered, &TUyeKayitForm1::Gster1Click);
    connect(ui->DBImage1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { ui->PopupMenu2->popup(ui->DBImage1->mapToGlobal(at)); });
    // The caption follows the name edit: each change, each key down and up.
    connect(ui->DBEdit3, &QLineEdit::textChanged, this, &TUyeKayitForm1::FormActivate);
    ui->DBEdit3->installEventFilter(this);

    setFixedSize(size());
}

TUyeKayitForm1::~TUyeKayitForm1() = default;

void TUyeKayitForm1::BindPlaces(TDataSource *provinces, TDataSource *districts, TDataSource *neighbourhoods)
{
    ui->DBLookupComboBox1->setListSource(provinces);
    ui->DBLookupComboBox2->setListSource(districts);
    ui->DBLookupComboBox3->setListSource(neighbourhoods);
}

void TUyeKayitForm1::Table1NewRecord()
{
    // A new member's defaults. Given here rather than after Append, they do
    // not count as the operator's typing: a row left untouched is dropped
    // when the cursor next settles.
    Table1->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(MemberStore::NextKayitNo(*Table1));
    Table1->FieldByName(QStringLiteral("Tarih"))->setValue(QDate::currentDate());
    Table1->FieldByName(QStringLiteral("Uyrugu"))->setAsString(QStringLiteral("T.C."));
}

void TUyeKayitForm1::Table1BeforePost()
{
    // The reports print in the Turkish code page: a character it cannot hold
    // is refused here, while the operator can still correct it, rather than
    // printed as "?" later.
    for (TField *f : Table1->Fields()) {
        if (f->Calculated() || (f->DataType() != ftString && f->DataType() != ftMemo))
            continue;
        const QString bad = firstUnprintable(f->AsString());
        if (bad.isEmpty())
            continue;
        if (QWidget *control = controlOf(f); control && isVisible()) {
            ui->PageControl1->setCurrentWidget(control->parentWidget());
            control->setFocus();
        }
        throw EqpError(QStringLiteral("%1 alanında yazdırılamayan karakter: %2").arg(captionOf(f), bad));
    }
}

QWidget *TUyeKayitForm1::controlOf(const TField *field) const
{
    for (QWidget *w : ui->PageControl1->findChildren<QWidget *>())
        if (w->property("DataField").toString().compare(field->FieldName(), Qt::CaseInsensitive) == 0)
            return w;
    return nullptr;
}

QString TUyeKayitForm1::captionOf(const TField *field) const
{
    // A control sharing its label with another carries its own name;
    // otherwise its label names it.
    if (QWidget *control = controlOf(field)) {
        if (!control->accessibleName().isEmpty())
            return control->accessibleName();
        for (const QLabel *label : ui->PageControl1->findChildren<QLabel *>())
            if (label->buddy() == control) {
                QString caption = label->text().trimmed();
                if (caption.endsWith(QLatin1Char(':')))
                    caption.chop(1);
                return caption;
            }
    }
    return field->FieldName();
}

void TUyeKayitForm1::saveRow()
{
    MemberStore::CalcKalan(Table1);
    Table1->Post();
    Table1->FlushBuffers();
}

void TUyeKayitForm1::ToolButton1Click()
{
    // A row only browsed has nothing to save: closing is the whole command.
    if (Table1->State() == dsEdit || Table1->State() == dsInsert)
        saveRow();
    close();
}

void TUyeKayitForm1::ToolButton2Click()
{
    // Cancelling is the operator's answer already: drop without asking.
    Table1->Cancel();
    close();
}

void TUyeKayitForm1::ToolButton9Click() { close(); }

void TUyeKayitForm1::ToolButton3Click()
{
    if (UiSeam::MessageBox(this, QMessageBox::Question, QStringLiteral("Kayıt Silinecek?"),
                           QStringLiteral("Silmek istediğinize eminmisiniz?"), QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    // A new row that was never saved is only dropped: nothing stored was deleted.
    const bool stored = Table1->State() != dsInsert;
    Table1->Delete();
    if (stored)
        UiSeam::ShowMessage(QStringLiteral("Kayıt Silinidi!"));
}

void TUyeKayitForm1::PrintTemplate(const QString &fileName)
{
    if (!qpReport1->LoadFromFile(fileName))
        UiSeam::ShowMessage(QStringLiteral("Şablon dosyası bulunamadı: %1").arg(QDir::current().absoluteFilePath(fileName)));
    qpReport1->ShowReport();
}

void TUyeKayitForm1::EditTemplate(const QString &fileName)
{
    if (!qpReport1->LoadFromFile(fileName)) {
        // A missing template is designed from nothing; saving creates the file.
        qpReport1->Clear();
        qpReport1->FileName = fileName;
    }
    // The designer must not write into a preview some window still holds.
    qpReport1->Preview.clear();
    if (!qpDesignerHook) {
        UiSeam::ShowMessage(QStringLiteral("Şablon düzenleyici bu sürümde henüz yok."));
        return;
    }
    qpReport1->DesignReport();
}

void TUyeKayitForm1::ToolButton7Click() { PrintTemplate(QStringLiteral("UyeForm.qpf")); }

void TUyeKayitForm1::Dzenle1Click() { EditTemplate(QStringLiteral("UyeForm.qpf")); }

void TUyeKayitForm1::pickDate(const char *fieldName)
{
    // The calendar hands over its selection however it was closed.
    UiSeam::ShowModal(Takvim1);
    Table1->Edit();
    Table1->FieldByName(QLatin1String(fieldName))->setValue(Takvim1->MonthCalendar1->selectedDate());
}

void TUyeKayitForm1::SpeedButton1Click() { pickDate("Tarih"); }

void TUyeKayitForm1::SpeedButton2Click() { pickDate("AidatTar"); }

void TUyeKayitForm1::DBImage1DblClick()
{
    Table1->Edit();
    const QString fileName = UiSeam::OpenFileName(this, QStringLiteral("Resim Aç"), pictureFilter());
    if (fileName.isEmpty()) {
        UiSeam::MessageBox(this, QMessageBox::Critical, QStringLiteral("Dikkat"), QStringLiteral("Resim Seçilmedi!"),
                           QMessageBox::Ok);
        return;
    }
    // Bytes the picture control cannot show would replace a good photo with
    // an empty one: refuse them and keep what the row has.
    if (QImage(fileName).isNull()) {
        UiSeam::MessageBox(this, QMessageBox::Critical, QStringLiteral("Dikkat"),
                           QStringLiteral("'%1' okunabilen bir resim dosyası değil. Resim değiştirilmedi.")
                               .arg(fileName),
                           QMessageBox::Ok);
        return;
    }
    static_cast<TBlobField *>(Table1->FieldByName(QStringLiteral("Resim")))->LoadFromFile(fileName);
}

void TUyeKayitForm1::ResimSil1Click()
{
    // Like adding one, removing a photo is part of the pending edit.
    Table1->Edit();
    Table1->FieldByName(QStringLiteral("Resim"))->Clear();
}

void TUyeKayitForm1::Gster1Click()
{
    Resim1->AssignPicture(ui->DBImage1->PictureData());
    UiSeam::ShowModal(Resim1);
}

void TUyeKayitForm1::FormActivate()
{
    setWindowTitle(QStringLiteral("Üye Adı Soyadı : [") + ui->DBEdit3->text() + QLatin1Char(']'));
}

bool TUyeKayitForm1::SettleChanges()
{
    const bool editing = Table1->State() == dsEdit || Table1->State() == dsInsert;
    // Text still held by a control counts as a change, also text the
    // control cannot hand over as it stands.
    bool changed = true;
    try {
        Table1->UpdateRecord();
        changed = Table1->Modified();
    } catch (...) {
        // Refused text is typed text: it is asked about like any change.
    }
    if (!editing || !changed) {
        Table1->Cancel();
        return true;
    }
    switch (UiSeam::MessageBox(isVisible() ? this : nullptr, QMessageBox::Question, windowTitle(),
                               QStringLiteral("Değişiklikler kaydedilsin mi?"),
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        try {
            saveRow();
        } catch (...) {
            HandleException();
            return false;
        }
        return true;
    case QMessageBox::No:
        Table1->Cancel();
        return true;
    default:
        return false;
    }
}

void TUyeKayitForm1::done(int result)
{
    if (SettleChanges())
        QDialog::done(result);
}

bool TUyeKayitForm1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

bool TUyeKayitForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->DBEdit3 && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        FormActivate();
    return QDialog::eventFilter(watched, event);
}

void TUyeKayitForm1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
