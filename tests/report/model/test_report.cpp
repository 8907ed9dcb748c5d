// The report container and the template format around the object records:
// pages and their properties, the pages section with its markers and end
// positions, the version byte, the document attributes and the password,
// files, blob fields, table rows, templates with description and picture,
// the window's stored form, and hostile bytes. Templates are built here in
// code; byte layouts are written out by hand where the format is fixed.

#include "data/table.h"
#include "passw_form.h"
#include "platform_printers.h"
#include "preview.h"
#include "scripted_ui.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/expr/report_dataset.h"
#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_errors.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

// Two installed printers at 600 dpi offering A4 and A5; "Depo" is current.
class FakePrinters : public TqpPlatformPrinters {
public:
    DeviceMode mode;
    int current = 1;
    QStringList printerNames() override { return {QStringLiteral("Ofis"), QStringLiteral("Depo")}; }
    int currentIndex() override { return current; }
    void setCurrentIndex(int i) override { current = i; }
    bool isPrinting() override { return false; }
    QString deviceName() override { return printerNames().value(current); }
    QString driverName() override { return QStringLiteral("sürücü"); }
    QString portName() override { return QStringLiteral("usb"); }
    std::optional<DeviceMode> deviceMode() override { return mode; }
    bool setDeviceMode(const DeviceMode &m) override
    {
        mode = m;
        return true;
    }
    std::optional<Geometry> geometry() override { return Geometry{600, 600, 4961, 7016, 100, 120, 4761, 6776}; }
    CodeList papers() override { return {{9, QStringLiteral("A4")}, {11, QStringLiteral("A5")}}; }
    CodeList sources() override { return {{7, QStringLiteral("Otomatik")}, {4, QStringLiteral("Elle besleme")}}; }
    bool propertiesDialog(DeviceMode &) override { return false; }
};

// A class registered by name, like the rich-text object but without content.
class AddInView : public TqpLineView {
public:
    AddInView() { Kind = vkAddIn; }
    QString ClassName() const override { return QStringLiteral("TqpTestAddIn"); }
};

QByteArray str(const QByteArray &latin) // the string primitive
{
    QByteArray b(2, 0);
    qToLittleEndian(quint16(latin.size()), b.data());
    return b + latin + '\0';
}

QByteArray i32(qint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray u16(quint16 v)
{
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

const QByteArray kEmptyDictionary = QByteArray("\xFE\xFF", 2) + i32(0) + i32(0) + i32(0);

// A version-24/25 page record: marker, A4, no margins, portrait, default bin.
QByteArray pageRecord(const QByteArray &name)
{
    return i32(-1) + i32(9) + i32(2100) + i32(2970) + i32(0) + i32(0) + i32(0) + i32(0) + '\0' + i32(0xFFFF) +
           u16(0) + u16(0xFFFF) + i32(0) + i32(0) + '\0' + str(name) + '\3' + str("Form") + i32(int(clBtnFace)) +
           i32(220) + i32(120) + i32(380) + i32(300) + '\4' + QByteArray(3, 0);
}

// Version byte, pages section head with the virtual printer, the body, the
// empty dictionary, the end byte; no attributes.
QByteArray templateBytes(int version, const QByteArray &body)
{
    return QByteArray(1, char(version)) + u16(0) + u16(0) + str("\x01") + body + '\xFE' + kEmptyDictionary + '\xFC';
}

// An object entry of type `code` on page 0 whose record is `record`.
QByteArray entry(int code, qint64 at, const QByteArray &record)
{
    return QByteArray(1, char(code)) + '\0' + i32(qint32(at + 6 + record.size())) + record;
}

QByteArray saved(TqpReport &r)
{
    QBuffer b;
    b.open(QIODevice::ReadWrite);
    r.SaveToStream(b);
    return b.data();
}

void load(TqpReport &r, const QByteArray &bytes)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    r.LoadFromStream(b);
}

// A band of the given kind across the page with one text in it.
TqpMemoView *bandWithText(TqpPage *page, TqpBandType type, int top, const QString &text)
{
    auto *band = new TqpBandView;
    band->SetBandType(type);
    band->Name = QStringLiteral("Band%1").arg(page->Items.size() + 1);
    band->SetBounds(0, top, 700, 30);
    auto *memo = new TqpMemoView;
    memo->Name = QStringLiteral("Memo%1").arg(page->Items.size() + 2);
    memo->Memo = QStringList{text};
    memo->SetBounds(10, top, 300, 20);
    page->Items << band << memo;
    return memo;
}

// The texts of every prepared page, in writing order.
QStringList preparedTexts(TqpReport &r)
{
    QStringList texts;
    TqpEMFPages &pages = r.GetEMFPages();
    for (int i = 0; i < pages.GetCount(); ++i) {
        pages.ObjectsToPage(i);
        for (const TqpView *v : std::as_const(pages.GetPages(i).Page->Items))
            texts << v->Memo.join(QLatin1Char(' '));
        pages.ReleaseObjects(i);
    }
    return texts;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

    FakePrinters printers;
    QStringList boxes;
    QStringList passwords; // answers to the password form; empty: cancelled
    int prompts = 0;
    QTemporaryDir dir;

    QString badFormat() const { return qpLoadStr(55345); }

    // A template with a page of every built-in kind, the registered class,
    // non-default page fields and every document attribute.
    void buildFull(TqpReport &r)
    {
        CurReport = &r;
        r.Pages.Add();
        TqpPage *p = r.Pages.GetPages(0);
        p->Name = QStringLiteral("Page1");
        p->Margins = {18, 20, 22, 24};
        p->ColCount = 2;
        p->ColGap = 9;
        p->PrintToPrevPage = true;
        p->Script = QStringList{QStringLiteral("a := 1;"), QString()};
        auto *memo = new TqpMemoView;
        memo->Name = QStringLiteral("Memo1");
        memo->Memo = QStringList{QStringLiteral("[Adı] Şükrü"), QStringLiteral("ikinci")};
        memo->SetBounds(10, 20, 300, 40);
        memo->FrameWidth = 2.5f;
        memo->Font.Name = QStringLiteral("Times New Roman");
        auto *band = new TqpBandView;
        band->Name = QStringLiteral("Band1");
        band->ChildBand = QStringLiteral("Band2");
        auto *line = new TqpLineView;
        line->Name = QStringLiteral("Line1");
        auto *picture = new TqpPictureView;
        picture->Name = QStringLiteral("Picture1");
        QImage img(4, 3, QImage::Format_RGB32);
        img.fill(Qt::red);
        picture->Picture.SetBitmap(img);
        auto *addIn = new AddInView;
        addIn->Name = QStringLiteral("AddIn1");
        p->Items << memo << band << line << picture << addIn;
        r.Pages.Add();
        TqpPage *dialog = r.Pages.GetPages(1);
        dialog->Name = QStringLiteral("Page2");
        dialog->PageType = ptDialog;
        dialog->BorderStyle = bsSizeable;
        dialog->Caption = QStringLiteral("Seçim");
        dialog->Position = poDesigned;
        auto *sub = new TqpSubReportView;
        sub->Name = QStringLiteral("SubReport1");
        sub->SubPage = 0;
        dialog->Items << sub;
        r.PrintToDefault = true;
        r.DoublePassReport = true;
        r.Description = QStringLiteral("Üye listesi\r\nikinci satır");
        r.ReportName = QStringLiteral("Liste");
        r.Author = QStringLiteral("Dernek");
        r.VersionMajor = QStringLiteral("1");
        r.VersionMinor = QStringLiteral("2");
        r.VersionRelease = QStringLiteral("3");
        r.VersionBuild = QStringLiteral("4");
        r.Password = QStringLiteral("gizli");
        r.CreateDate = 45000.25;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        qpPrinterStartup(&printers);
        qpInitExpressionGlobals(); // the builds need the parser
        qpInitModelGlobals();
        qpRegisterObject(qpClassOf<AddInView>(), QImage(), QString());
        qpReportUi.ErrorBox = [this](const QString &text, const QString &caption) {
            QCOMPARE(caption, qpLoadStr(55206));
            boxes << text;
        };
        qpReportUi.AskPassword = [this](QString &typed) {
            ++prompts;
            if (passwords.isEmpty())
                return false;
            typed = passwords.takeFirst();
            return true;
        };
    }

    void init()
    {
        boxes.clear();
        passwords.clear();
        prompts = 0;
        Prn->SetPrinterIndex(1);
    }

    void newReportAndPageDefaults()
    {
        TqpReport r;
        QCOMPARE(r.Pages.GetCount(), 0);
        QCOMPARE(r.FileName, qpLoadStr(55209));
        QCOMPARE(int(r.PreviewButtons), 127);
        QCOMPARE(r.ReportMarker, quint8(88));
        TqpPage *p = r.Pages.Add();
        QCOMPARE(p->Name, QString());
        QCOMPARE(p->ColCount, 0);
        QVERIFY(p->UseMargins);
        QVERIFY(p->Visible);
        QCOMPARE((QList<int>{p->Left, p->Top, p->Width, p->Height}), (QList<int>{220, 120, 380, 300}));
        QCOMPARE(p->Caption, QStringLiteral("Form"));
        QCOMPARE(int(p->BorderStyle), 3);
        QCOMPARE(int(p->Position), 4);
        QCOMPARE(p->Color, 0x8000000Fu);
        QCOMPARE(p->PaperBin, 0xFFFFu);
        QCOMPARE(p->PaperSize, 9); // the printer's default paper
    }

    void pageProperties_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected"); // -1: null
        QTest::newRow("A4 width") << 0 << "Width" << 756;
        QTest::newRow("A4 height") << 0 << "HEIGHT" << 1069;
        QTest::newRow("dialog width") << 1 << "width" << 380;
        QTest::newRow("column width report") << 0 << "COLUMNWIDTH" << -1;
        QTest::newRow("column width dialog") << 1 << "COLUMNWIDTH" << -1;
        QTest::newRow("unknown") << 0 << "NOSUCH" << -1;
        QTest::newRow("stored margin") << 0 << "LEFTMARGIN" << 18;
    }
    void pageProperties()
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(int, expected);
        TqpPage p(9, 0, 0, -1, poPortrait);
        p.PageType = quint8(type);
        p.PaperWidth = 2100;
        p.PaperHeight = 2970;
        p.Margins.Left = 18;
        p.ColWidth = 50;
        const Variant v = p.GetPropValue(name);
        if (expected < 0)
            QVERIFY(v.isNull());
        else
            QCOMPARE(v.toInt(), expected);
    }

    void settingPageProperties()
    {
        TqpPage p(9, 0, 0, -1, poPortrait);
        p.SetPropValue(QStringLiteral("HEIGHT"), 1069);
        QCOMPARE(p.PaperHeight, 2969);
        p.SetPropValue(QStringLiteral("StretchToPrintable"), true);
        QVERIFY(!p.UseMargins);
        QCOMPARE(p.GetPropValue(QStringLiteral("STRETCHTOPRINTABLE")).toBool(), true);
        // Page limits follow: without margins the whole sheet.
        QCOMPARE(p.LeftMargin(), 0);
        QCOMPARE(p.RightMargin(), p.PrnInfo.SheetWidth);
        p.UseMargins = true;
        QCOMPARE(p.LeftMargin(), p.PrnInfo.SheetOffsetX); // margin 0: the printable edge
        p.SetPropValue(QStringLiteral("RightMargin"), 40);
        QCOMPARE(p.RightMargin(), p.PrnInfo.SheetWidth - 40);
        // Report page property list: the printer's papers with their codes.
        const TqpPropRec *size = p.GetPropRec(QStringLiteral("Size"));
        QVERIFY(size);
        QCOMPARE(size->Enum, (QStringList{QStringLiteral("A4"), QStringLiteral("A5")}));
        QCOMPARE(size->EnumValues.value(1).toInt(), 11);
    }

    void refreshObjectsAlignsAgainstPageLimits()
    {
        TqpReport r;
        CurReport = &r;
        TqpPage *p = r.Pages.Add();
        p->Margins = {30, 0, 40, 0};
        auto *centred = new TqpLineView;
        centred->SetBounds(5, 5, 100, 10);
        centred->BandAlign = baCenter;
        auto *right = new TqpLineView;
        right->SetBounds(5, 50, 100, 10);
        right->BandAlign = baRight;
        auto *free = new TqpLineView;
        free->SetBounds(5, 90, 100, 10);
        p->Items << centred << right << free;
        DocMode = dmPrinting;
        CurBand = nullptr;
        r.Pages.RefreshObjects();
        DocMode = dmDesigning;
        const int lm = 30, rm = p->PrnInfo.SheetWidth - 40;
        QCOMPARE(p->LeftMargin(), lm);
        QCOMPARE(p->RightMargin(), rm);
        QCOMPARE(centred->Left, lm + (rm - lm - 100) / 2);
        QCOMPARE(right->Left, rm - 100);
        QCOMPARE(free->Left, 5);
        QCOMPARE(CurPage, p);
    }

    void uniqueNameFillsTheGap()
    {
        TqpReport r;
        CurReport = &r;
        r.Pages.Add()->Name = QStringLiteral("Page1");
        r.Pages.Add()->Name = QStringLiteral("page2"); // case matters
        r.Pages.Add()->Name = QStringLiteral("Page3");
        TqpPage *p = r.Pages.Add();
        p->CreateUniqueName();
        QCOMPARE(p->Name, QStringLiteral("Page2"));
        r.Pages.Move(3, 0);
        QCOMPARE(r.Pages.GetPages(0), p);
        r.Pages.Delete(0);
        QCOMPARE(r.Pages.GetCount(), 3);
    }

    void changePaperSource()
    {
        TqpPage p(9, 0, 0, -1, poPortrait);
        QCOMPARE(p.PaperBin, 0xFFFFu);
        p.ChangePaper(9, 0, 0, 0x1FFFF, poPortrait); // only the low 16 bits count
        QCOMPARE(p.PaperBin, 0xFFFFu);
        p.ChangePaper(11, 0, 0, 4, poLandscape);
        QCOMPARE(p.PaperBin, 4u);
        QCOMPARE(p.PaperSize, 11);
        QCOMPARE(int(p.Orientation), int(poLandscape));
    }

    void setPrinterTo()
    {
        TqpReport r;
        r.PrintToDefault = true;
        r.SetPrinterTo(QStringLiteral("OFIS"));
        QCOMPARE(Prn->PrinterIndex, 1);
        QCOMPARE(r.PrinterName, QStringLiteral("OFIS"));
        r.PrintToDefault = false;
        r.SetPrinterTo(QStringLiteral("ofis")); // the list ignores case
        QCOMPARE(Prn->PrinterIndex, 0);
        r.SetPrinterTo(QStringLiteral("Yok"));
        QCOMPARE(Prn->PrinterIndex, 0);
        QCOMPARE(r.PrinterName, QStringLiteral("Yok"));
    }

    void virtualPrinterAndEmptyDictionaryBytes()
    {
        Prn->SetPrinterIndex(Prn->VirtualPrinterIndex);
        TqpReport r;
        r.Pages.Add();
        const QByteArray b = saved(r);
        QCOMPARE(b.left(9), QByteArray("\x19\0\0\0\0\x01\0\x01\0", 9));
        QCOMPARE(b.at(9), '\xFF');
        // Page record, then the dictionary marker, its empty record, the end byte.
        const int dictionaryAt = 10 + pageRecord("").size();
        QCOMPARE(b.mid(dictionaryAt, 16), '\xFE' + kEmptyDictionary + '\xFC');
        // The virtual printer's name comes back from the tag.
        Prn->SetPrinterIndex(0);
        TqpReport back;
        load(back, b);
        QCOMPARE(back.PrinterName, qpLoadStr(55007));
        QVERIFY(Prn->IsVirtual());
    }

    void roundTripIsExact()
    {
        TqpReport r;
        buildFull(r);
        const QByteArray first = saved(r);
        QCOMPARE(r.ReportMarker, quint8(88));
        TqpReport back;
        load(back, first);
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join(QLatin1Char('|'))));
        QCOMPARE(back.Pages.GetCount(), 2);
        const TqpPage *p = back.Pages.GetPages(0);
        QCOMPARE(p->Items.size(), 5);
        QCOMPARE(p->Margins, (TRect{18, 20, 22, 24}));
        QCOMPARE(p->Script, (QStringList{QStringLiteral("a := 1;"), QString()}));
        QCOMPARE(static_cast<TqpMemoView *>(p->Items.at(0))->Memo.first(), QStringLiteral("[Adı] Şükrü"));
        QCOMPARE(static_cast<TqpBandView *>(p->Items.at(1))->ChildBand, QStringLiteral("Band2"));
        QCOMPARE(p->Items.at(4)->ClassName(), QStringLiteral("TqpTestAddIn"));
        QVERIFY(!static_cast<TqpPictureView *>(p->Items.at(3))->Picture.IsEmpty());
        const TqpPage *dialog = back.Pages.GetPages(1);
        QCOMPARE(dialog->Caption, QStringLiteral("Seçim"));
        QCOMPARE(int(dialog->BorderStyle), int(bsSizeable));
        QCOMPARE(int(dialog->Position), int(poDesigned));
        QCOMPARE(back.Description, r.Description);
        QCOMPARE(back.Password, QStringLiteral("gizli"));
        QCOMPARE(back.CreateDate, 45000.25);
        QCOMPARE(back.LastChange, r.LastChange);
        QVERIFY(back.PrintToDefault && back.DoublePassReport);
        // The password as hexadecimal text, upper case.
        QVERIFY(first.contains(u16(10) + "67697A6C69"));
        const QByteArray second = saved(back);
        QCOMPARE(second.size(), first.size());
        QCOMPARE(second.chopped(8), first.chopped(8));
    }

    void streamFraming_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("pages"); // after loading a report that had two
        QTest::addColumn<QString>("box");
        const QByteArray page = '\xFF' + pageRecord("P");
        QTest::newRow("empty stream") << QByteArray() << 2 << QString();
        QTest::newRow("version 26") << templateBytes(26, page) << 2 << "bad";
        QTest::newRow("version 25") << templateBytes(25, page) << 1 << QString();
        QTest::newRow("marker 11") << templateBytes(25, page + '\x0B') << 1 << "bad";
        QTest::newRow("marker 251") << templateBytes(25, page + '\xFB') << 1 << "bad";
        QTest::newRow("marker 253 ends") << templateBytes(25, page).chopped(16) + QByteArray("\xFD\x00", 2) << 1
                                         << QString();
        // Skipped through its end position: the page it names was never read.
        QTest::newRow("page index beyond")
            << templateBytes(25, page + entry(4, 9 + page.size(), QByteArray()).replace(1, 1, "\x05")) << 1 << QString();
        QTest::newRow("huge string length") << templateBytes(25, page).replace(5, 2, "\xFF\xFF") << 1 << "bad";
        QTest::newRow("10000 page markers") << templateBytes(25, QByteArray(10000, '\xFF')) << 1 << "bad";
        QTest::newRow("10000 dictionary markers") << templateBytes(25, QByteArray(10000, '\xFE')) << 1 << "bad";
    }
    void streamFraming()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pages);
        QFETCH(QString, box);
        TqpReport r;
        r.Pages.Add();
        r.Pages.Add();
        load(r, bytes);
        QCOMPARE(boxes, box.isEmpty() ? QStringList() : QStringList{badFormat()});
        QCOMPARE(r.Pages.GetCount(), pages);
        if (pages == 1 && box.isEmpty())
            QCOMPARE(r.Pages.GetPages(0)->Name, QStringLiteral("P"));
        if (!box.isEmpty() && pages == 1)
            QVERIFY(r.Pages.GetPages(0)->Items.isEmpty());
    }

    void objectEntries()
    {
        // A line object record of the current layout.
        TqpLineView line;
        line.Name = QStringLiteral("Line9");
        QBuffer rec;
        rec.open(QIODevice::ReadWrite);
        line.SaveToStream(rec);
        const QByteArray page = '\xFF' + pageRecord("P");
        const qint64 at = 1 + 4 + 4 + page.size();
        // Code 7: nothing created, skipped through its end position.
        QByteArray body = page + entry(7, at, QByteArray(9, 'x'));
        body += entry(4, at + body.size() - page.size(), rec.data());
        TqpReport r;
        load(r, templateBytes(25, body));
        QVERIFY(boxes.isEmpty());
        QCOMPARE(r.Pages.GetPages(0)->Items.size(), 1);
        QCOMPARE(r.Pages.GetPages(0)->Items.at(0)->Name, QStringLiteral("Line9"));

        // A record cut short inside its end position: reading runs into the
        // bytes behind it, fails, and goes on at the end position with the
        // dictionary and the end byte.
        QByteArray damaged = rec.data();
        damaged.truncate(10);
        body = page + entry(4, at, rec.data());
        body += entry(4, at + body.size() - page.size(), damaged);
        load(r, templateBytes(25, body));
        QVERIFY(boxes.isEmpty());
        QCOMPARE(r.Pages.GetPages(0)->Items.size(), 2);
        QCOMPARE(r.Pages.GetPages(0)->Items.at(0)->Name, QStringLiteral("Line9"));

        // End positions backwards or past the end are refused.
        for (qint32 end : {qint32(at), qint32(0x7FFFFFFF)}) {
            boxes.clear();
            QByteArray bad = page + QByteArray("\x04\x00", 2) + i32(end) + rec.data();
            load(r, templateBytes(25, bad));
            QCOMPARE(boxes, QStringList{badFormat()});
            QCOMPARE(r.Pages.GetCount(), 1);
        }
    }

    void unregisteredClassIsNamed()
    {
        TqpReport r;
        buildFull(r);
        const QByteArray b = saved(r);
        qpUnRegisterObject(qpClassOf<AddInView>());
        TqpReport back;
        load(back, b);
        qpRegisterObject(qpClassOf<AddInView>(), QImage(), QString());
        QCOMPARE(boxes, QStringList{qpLoadStr(qpMsgNonPlugged) + "\rTqpTestAddIn\r" + qpLoadStr(qpMsgIncludeComponents)});
        QCOMPARE(back.Pages.GetCount(), 2);
        QCOMPARE(back.Pages.GetPages(0)->Items.size(), 4);
        QCOMPARE(back.Pages.GetPages(1)->Items.size(), 1);
        QCOMPARE(back.Description, QString()); // the attributes are not read
    }

    void olderVersions()
    {
        // Version 21: no version byte, old string forms, a page record
        // without marker with six more bytes, a text object without name.
        const QByteArray page21 = i32(9) + i32(2100) + i32(2970) + i32(0) + i32(0) + i32(0) + i32(0) + '\0' +
                                  QByteArray(6, '\x55') + u16(0) + u16(0xFFFF) + i32(1) + i32(0);
        QByteArray memo21 = i32(5) + i32(6) + i32(100) + i32(20) + u16(0) + u16(0) + i32(1) + i32(0) + u16(0) +
                            i32(clNone) + i32(0) + QByteArray("\0", 1) + QByteArray("Ad\rSoyad\0", 9);
        memo21 += QByteArray("Arial\0", 6) + i32(10) + u16(0) + i32(0) + i32(0) + u16(162);
        memo21 += u16(2) + i32(0) + i32(0xFFFFFF) + QByteArray("\0", 1);
        const QByteArray v21 = u16(0) + u16(0) + QByteArray("\0", 1) + '\xFF' + page21 + '\x00' + '\x00' + memo21 +
                               '\xFC';
        TqpReport r;
        load(r, v21);
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join('|')));
        QCOMPARE(qpVersion, 21);
        QCOMPARE(r.Pages.GetCount(), 1);
        const TqpPage *p = r.Pages.GetPages(0);
        QCOMPARE(p->Name, QStringLiteral("Page1"));
        QCOMPARE(p->ColCount, 1);
        QCOMPARE(p->PaperBin, 0xFFFFu);
        QCOMPARE(p->Items.size(), 1);
        auto *m = static_cast<TqpMemoView *>(p->Items.at(0));
        QCOMPARE(m->Memo, (QStringList{QStringLiteral("Ad"), QStringLiteral("Soyad")}));
        QVERIFY(m->Flags & 0x0002); // word wrap forced on
        QCOMPARE(m->Font.Charset, qpCharset);
        QCOMPARE(r.Description, QString()); // no attributes: cleared

        // Version 25 page record without marker: paper code first, no script.
        QByteArray old = pageRecord("Eski").mid(4);
        old.chop(3);
        load(r, templateBytes(25, '\xFF' + old));
        QVERIFY(boxes.isEmpty());
        QCOMPARE(r.Pages.GetCount(), 1);
        QCOMPARE(r.Pages.GetPages(0)->Name, QStringLiteral("Eski"));
        QCOMPARE(r.Pages.GetPages(0)->PaperSize, 9);
    }

    void truncatedAtEveryOffset()
    {
        TqpReport r;
        buildFull(r);
        r.Password.clear();
        const QByteArray full = saved(r);
        for (qsizetype n = 1; n < full.size(); ++n) {
            boxes.clear();
            TqpReport back;
            load(back, full.left(n));
            // Either the reader's box and one empty page, or what was
            // complete before the cut; never more than was there.
            if (!boxes.isEmpty()) {
                QCOMPARE(boxes, QStringList{badFormat()});
                QCOMPARE(back.Pages.GetCount(), 1);
                QVERIFY(back.Pages.GetPages(0)->Items.isEmpty());
            } else {
                QVERIFY(back.Pages.GetCount() <= 2);
            }
        }
    }

    void passwordPrompt_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right") << QStringList{"gizli"} << true;
        QTest::newRow("wrong case") << QStringList{"GIZLI"} << false;
        QTest::newRow("cancelled") << QStringList() << false;
    }
    void passwordPrompt()
    {
        QFETCH(QStringList, typed);
        QFETCH(bool, opens);
        TqpReport r;
        buildFull(r);
        r.PasswordProtected = true;
        const QString path = dir.filePath(QStringLiteral("gizli.qpf"));
        r.SaveToFile(path);
        TqpReport back;
        passwords = typed;
        QVERIFY(back.LoadFromFile(path));
        QCOMPARE(prompts, 1);
        QCOMPARE(back.FileName, path);
        QCOMPARE(back.Pages.GetCount(), opens ? 2 : 1);
        QCOMPARE(back.Pages.GetPages(0)->Items.size(), opens ? 5 : 0);
        QCOMPARE(back.Password, opens ? QStringLiteral("gizli") : QString());
        QCOMPARE(back.DoublePassReport, true); // report-level values read stay
    }

    void filesAndTables()
    {
        TqpReport r;
        buildFull(r);
        r.PasswordProtected = true;
        TqpReport other;
        other.FileName = QStringLiteral("önceki.qpf");
        QVERIFY(!other.LoadFromFile(dir.filePath(QStringLiteral("yok.qpf"))));
        QCOMPARE(other.FileName, QStringLiteral("önceki.qpf"));
        QCOMPARE(other.Pages.GetCount(), 0);

        const QString table = QStringLiteral("Sablon.db");
        TTable::CreateTable(dir.filePath(table), {{QStringLiteral("No"), ftFloat}, {QStringLiteral("Sablon"), ftGraphic}},
                            -1);
        TTable t;
        t.DatabaseName = dir.path();
        t.TableName = table;
        t.Open();
        r.SaveToDB(&t, 3);
        r.Author = QStringLiteral("ikinci");
        r.SaveToDB(&t, 7);
        r.Author = QStringLiteral("güncel");
        r.SaveToDB(&t, 3); // the row of number 3 is edited, not appended
        QCOMPARE(t.RecordCount(), 2);
        TqpReport back;
        back.LoadFromDB(&t, 5); // no such row: nothing happens
        QCOMPARE(back.Pages.GetCount(), 0);
        back.LoadFromDB(&t, 3); // protected, but read through memory: no prompt
        QCOMPARE(prompts, 0);
        QCOMPARE(back.Author, QStringLiteral("güncel"));
        QCOMPARE(back.Pages.GetCount(), 2);
        back.LoadFromDB(&t, 7);
        QCOMPARE(back.Author, QStringLiteral("ikinci"));
    }

    void savesThatMustBeRefused()
    {
        const QString path = dir.filePath(QStringLiteral("kalir.qpf"));
        writeFile(path, "önceki içerik");
        TqpReport r;
        buildFull(r);
        r.Pages.GetPages(0)->Items.at(0)->Memo = QStringList{QStringLiteral("€ ve ✓")}; // the euro fits, the tick does not
        try {
            r.SaveToFile(path);
            QFAIL("a character outside the code page was saved");
        } catch (const EWriteError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Memo1")), qPrintable(e.message()));
        }
        r.Pages.GetPages(0)->Items.at(0)->Memo.clear();
        r.Pages.GetPages(1)->Caption = QStringLiteral("✓");
        try {
            r.SaveToFile(path);
            QFAIL("a caption outside the code page was saved");
        } catch (const EWriteError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Page2")), qPrintable(e.message()));
        }
        r.Pages.GetPages(1)->Caption.clear();
        while (r.Pages.GetCount() <= qpMaxPages)
            r.Pages.Add();
        QVERIFY_THROWS_EXCEPTION(EWriteError, r.SaveToFile(path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("önceki içerik"));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("kalir*")}, QDir::Files).size(), 1);
    }

    void templatesWithDescription()
    {
        TqpReport r;
        buildFull(r);
        QImage picture(5, 4, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        const QString withPicture = dir.filePath(QStringLiteral("resimli.qpt"));
        const QString plain = dir.filePath(QStringLiteral("sade.qpt"));
        r.SaveTemplate(withPicture, {QStringLiteral("Üye"), QStringLiteral("listesi")}, picture);
        r.SaveTemplate(plain, {}, QImage());
        QFile f(plain);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // No lines, the offset of the pages section (8), no picture.
        QCOMPARE(f.read(8), QByteArray("\0\0\0\x08\0\0\0\0", 8));

        TqpReport back;
        QStringList lines{QStringLiteral("eski")};
        QImage shown(2, 2, QImage::Format_RGB32);
        back.LoadTemplate(withPicture, lines, shown, false);
        QCOMPARE(lines, (QStringList{QStringLiteral("Üye"), QStringLiteral("listesi")}));
        QCOMPARE(shown.size(), QSize(5, 4));
        QCOMPARE(back.Pages.GetCount(), 0);
        back.LoadTemplate(plain, lines, shown, false);
        QVERIFY(shown.isNull());
        back.LoadTemplate(withPicture, lines, shown, true);
        QCOMPARE(back.Pages.GetCount(), 2);
        QCOMPARE(back.Pages.GetPages(0)->Items.size(), 5);
    }

    // Whatever failed before, with the error flag it left, the next load
    // of a template reads it as it is.
    void templateLoadAfterAFailure_data()
    {
        QTest::addColumn<int>("failure");
        QTest::newRow("a build that stopped on an error") << 0;
        QTest::newRow("a template naming a class nobody registered") << 1;
        QTest::newRow("a prepared page naming a class nobody registered") << 2;
    }
    void templateLoadAfterAFailure()
    {
        QFETCH(int, failure);
        TqpReport good;
        buildFull(good);
        const QString path = dir.filePath(QStringLiteral("sonraki.qpt"));
        good.SaveTemplate(path, {QStringLiteral("Üye")}, QImage());

        TqpReport failing;
        if (failure == 0) {
            CurReport = &failing;
            bandWithText(failing.Pages.Add(), btReportTitle, 0, QStringLiteral("[Yok]"));
            failing.ShowProgress = false;
            QVERIFY(!failing.PrepareReport());
        } else if (failure == 1) {
            const QByteArray b = saved(good);
            qpUnRegisterObject(qpClassOf<AddInView>());
            load(failing, b);
            qpRegisterObject(qpClassOf<AddInView>(), QImage(), QString());
        } else {
            TqpEMFPages &pages = failing.GetEMFPages();
            TqpPage paper(9, 2100, 2970, -1, poPortrait);
            pages.Add(&paper);
            qpWriteByte(pages.CurrentStream(), vkAddIn);
            qpWriteString(pages.CurrentStream(), QStringLiteral("TqpYokNesne"));
            QVERIFY_THROWS_EXCEPTION(EClassNotFound, pages.ObjectsToPage(0));
        }
        QCOMPARE(boxes.size(), failure == 2 ? 0 : 1);

        TqpReport back;
        QStringList lines;
        QImage picture;
        back.LoadTemplate(path, lines, picture, true);
        QCOMPARE(back.Pages.GetCount(), 2);
        QCOMPARE(back.Pages.GetPages(0)->Items.size(), 5);
        QVERIFY(!ErrorFlag);
        // An ordinary load after it is as clean.
        TqpReport again;
        load(again, saved(good));
        QCOMPARE(boxes.size(), failure == 2 ? 0 : 1);
        QCOMPARE(again.Pages.GetCount(), 2);
    }

    // The report's data set and preview belong to windows; deleting either
    // leaves the report without it, and it builds and shows as before.
    void deletedComponentsAreForgotten()
    {
        TScriptedUi ui;
        QWidget form;
        auto *report = new TqpReport(&form);
        report->ShowProgress = false;
        CurReport = report;
        TqpPage *page = report->Pages.Add();
        bandWithText(page, btReportTitle, 0, QStringLiteral("Liste"));
        bandWithText(page, btMasterData, 40, QStringLiteral("Satır [LINE#]"));
        auto *data = new TqpUserDataset(&form);
        data->RangeEnd = reCount;
        data->RangeEndCount = 3;
        report->Dataset = data;
        const auto ids = [report] {
            QList<quint32> list;
            for (const TqpView *v : std::as_const(report->Pages.GetPages(0)->Items))
                list << v->ID;
            return list;
        };
        const QList<quint32> before = ids();
        QVERIFY2(report->PrepareReport(), qPrintable(ErrorStr));
        QCOMPARE(preparedTexts(*report), (QStringList{"Liste", "Satır 1", "Satır 2", "Satır 3"}));
        // The template read back after formation keeps its objects' IDs, by
        // which the designer's undo finds them.
        QCOMPARE(ids(), before);

        delete data;
        QVERIFY(!report->Dataset);
        QVERIFY2(report->PrepareReport(), qPrintable(ErrorStr));
        QCOMPARE(preparedTexts(*report).first(), QStringLiteral("Liste"));

        auto *preview = new TqpPreview(&form);
        report->Preview = preview;
        const int built = report->GetEMFPages().GetCount();
        report->ShowPreparedReport();
        QCOMPARE(preview->GetAllPages(), built);
        QVERIFY(ui.modalShown.isEmpty());
        delete preview; // its window closes while it shows the pages
        QVERIFY(!report->Preview);
        // Without its preview the report opens a preview window of its own.
        QVERIFY2(report->PrepareReport(), qPrintable(ErrorStr));
        report->ShowPreparedReport();
        QCOMPARE(ui.modalShown.size(), 1);
        QVERIFY(boxes.isEmpty());
    }

    void storedForm()
    {
        TqpReport r;
        buildFull(r);
        QCOMPARE(r.property("ReportForm").toByteArray(), i32(25));
        r.StoreInDFM = true;
        const QByteArray form = r.property("ReportForm").toByteArray();
        QCOMPARE(form.left(4), i32(25));
        QCOMPARE(qFromLittleEndian<qint32>(form.constData() + 4), form.size() - 8);
        TqpReport back;
        back.StoreInDFM = true;
        QVERIFY(back.setProperty("ReportForm", form));
        QVERIFY(back.StoredTemplate);
        back.Loaded();
        QVERIFY(!back.StoredTemplate);
        QCOMPARE(prompts, 0);
        QCOMPARE(back.Pages.GetCount(), 2);
        QCOMPARE(back.ReportName, QStringLiteral("Liste"));
        TqpReport damaged;
        damaged.StoreInDFM = true;
        QVERIFY_THROWS_EXCEPTION(EReadError, damaged.SetReportForm(i32(25) + i32(1000) + "kısa"));
    }

    // The windowed program's form and boxes, answered by the test seam.
    void passwordFormThroughTheSeam()
    {
        const TqpReportUi testUi = qpReportUi;
        qpInstallReportUi();
        TScriptedUi ui;
        TqpReport r;
        buildFull(r);
        r.PasswordProtected = true;
        const QString path = dir.filePath(QStringLiteral("form.qpf"));
        r.SaveToFile(path);
        ui.modalActions << [](QDialog *d) {
            auto *form = qobject_cast<TqpPasswForm *>(d);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Password"));
            QCOMPARE(form->Edit1->echoMode(), QLineEdit::Password);
            form->Edit1->setText(QStringLiteral("gizli"));
            form->accept();
        };
        TqpReport back;
        back.LoadFromFile(path);
        QCOMPARE(back.Pages.GetCount(), 2);
        back.LoadFromFile(path); // no answer: the form is closed without OK
        QCOMPARE(back.Pages.GetCount(), 1);
        load(back, QByteArray(1, char(26)));
        qpReportUi = testUi;
        QCOMPARE(ui.modalShown.size(), 2);
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes.first().title, qpLoadStr(55206));
        QCOMPARE(ui.boxes.first().icon, QMessageBox::Critical);
        QCOMPARE(ui.boxes.first().text, badFormat());
    }

    void dumpTool()
    {
        TqpReport r;
        buildFull(r);
        const QString path = dir.filePath(QStringLiteral("dokum.qpf"));
        r.SaveToFile(path);
        QProcess tool;
        // The tool does not know the class registered here.
        tool.start(QStringLiteral(QPREPORT_BIN), {QStringLiteral("dump"), path});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains(" TqpTestAddIn "));
        r.Pages.GetPages(0)->Delete(4);
        r.SaveToFile(path);
        tool.start(QStringLiteral(QPREPORT_BIN), {QStringLiteral("dump"), path});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        const QString listing = QString::fromUtf8(tool.readAllStandardOutput());
        for (const char *expected : {"page 1 \"Page2\" dialog", "object Memo1 (TqpMemoView)", "  | [Adı] Şükrü",
                                     "object Picture1 (TqpPictureView)", "margins 18 20 22 24", "author \"Dernek\""})
            QVERIFY2(listing.contains(QString::fromUtf8(expected)), expected);

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.resize(f.size() / 2);
        f.close();
        tool.start(QStringLiteral(QPREPORT_BIN), {QStringLiteral("dump"), path});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 1);
        const QStringList err = QString::fromUtf8(tool.readAllStandardError()).split('\n', Qt::SkipEmptyParts)
                                    .filter(QStringLiteral("qpreport:"));
        QCOMPARE(err, QStringList{QStringLiteral("qpreport: ") + path + QStringLiteral(": ") + badFormat()});
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
