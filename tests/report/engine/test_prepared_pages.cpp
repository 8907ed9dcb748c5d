// Prepared pages: pages built here in code (texts, a picture, a line) are
// drawn on a recording canvas, saved as a prepared-report file and loaded
// back; the file's layout, files without version byte and in the old
// picture form, the compressor, page list editing, reading objects on demand
// and releasing them, hit-testing with the "URL" objects, export, and
// damaged files that must end in a clear error.

#include "platform_printers.h"
#include "report/core/exceptions.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_errors.h"
#include "report/model/model_globals.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/stream_utils.h"
#include "scripted_ui.h"

#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

// A report that keeps the names of the objects handed to the export filter.
class ExportingReport : public TqpReport {
public:
    QStringList exported;
    void InternalOnExportData(TqpView *view) override { exported << view->Name; }
};

// Inverts every byte: enough to tell a page that went through the
// compressor from one that did not.
class InvertingCompressor : public TqpCompressor {
public:
    void Compress(QIODevice &source, QIODevice &destination) override { invert(source, destination); }
    void DeCompress(QIODevice &source, QIODevice &destination) override { invert(source, destination); }

private:
    static void invert(QIODevice &source, QIODevice &destination)
    {
        QByteArray bytes = source.readAll();
        for (char &c : bytes)
            c = char(~c);
        destination.write(bytes);
    }
};

TqpMemoView *memo(const QString &name, const QString &text, int left, int top, int width = 200, int height = 20)
{
    auto *m = new TqpMemoView;
    m->Name = name;
    m->Memo = text.split(QLatin1Char('\n'));
    m->SetBounds(left, top, width, height);
    return m;
}

// Writes the object into the page being formed the way page formation does
// (printing form, expanded text) and frees it.
void put(TqpEMFPages &pages, TqpView *view)
{
    std::unique_ptr<TqpView> owned(view);
    view->SaveMode = smQPP;
    view->ExpandedMemo = view->Memo;
    view->WriteEntry(pages.CurrentStream());
}

struct PaperSpec {
    int size, width, height;
    TPrinterOrientation orientation;
    TRect margins;
    bool useMargins;
};

void addPage(TqpEMFPages &pages, const PaperSpec &paper)
{
    TqpPage tpl(paper.size, paper.width, paper.height, qpDefaultBin, paper.orientation);
    tpl.Margins = paper.margins;
    tpl.UseMargins = paper.useMargins;
    pages.Add(&tpl);
}

// Two pages: texts (one of them Turkish), a picture and a line on the first,
// a landscape page of another size with one text on the second.
void buildPages(TqpEMFPages &pages)
{
    addPage(pages, {9, 2100, 2970, poPortrait, {10, 20, 30, 40}, false});
    put(pages, memo(QStringLiteral("Baslik"), QStringLiteral("Üye Listesi"), 20, 20, 300, 30));
    put(pages, memo(QStringLiteral("Satir1"), QStringLiteral("Ahmet Çağlar\nİzmir"), 20, 80, 250, 40));
    auto *picture = new TqpPictureView;
    picture->Name = QStringLiteral("Logo");
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    picture->Picture.SetBitmap(red);
    picture->SetBounds(400, 20, 60, 60);
    put(pages, picture);
    auto *line = new TqpLineView;
    line->Name = QStringLiteral("Cizgi");
    line->SetBounds(20, 140, 0, 200);
    put(pages, line);
    addPage(pages, {11, 1480, 2100, poLandscape, {5, 6, 7, 8}, true});
    put(pages, memo(QStringLiteral("Son"), QStringLiteral("Toplam: 2"), 50, 50));
}

// What a page left on a recording canvas, one line per record, and the pixels.
struct Drawn {
    QStringList records;
    QImage image;
};

QString describe(const TCanvas::TextRecord &r)
{
    return QStringLiteral("text \"%1\" at %2,%3 font %4 %5 %6 clip %7,%8 %9x%10")
        .arg(r.text)
        .arg(r.pos.x())
        .arg(r.pos.y())
        .arg(r.font.Name)
        .arg(r.font.Height)
        .arg(r.font.Style)
        .arg(r.clip.x())
        .arg(r.clip.y())
        .arg(r.clip.width())
        .arg(r.clip.height());
}

QString describe(const TCanvas::ShapeRecord &r)
{
    return QStringLiteral("shape %1 %2,%3 %4x%5 pen %6 %7")
        .arg(int(r.kind))
        .arg(r.geometry.x())
        .arg(r.geometry.y())
        .arg(r.geometry.width())
        .arg(r.geometry.height())
        .arg(r.pen.Width)
        .arg(r.brushColor);
}

Drawn draw(TqpEMFPages &pages, int index, const QRect &clip = QRect())
{
    Drawn d;
    d.image = QImage(400, 570, QImage::Format_RGB32);
    d.image.fill(Qt::white);
    {
        TCanvas canvas(&d.image);
        canvas.setRecording(true);
        if (!clip.isEmpty())
            canvas.SetClipRect(clip);
        pages.GetPages(index).OnScreen = true;
        pages.Draw(index, &canvas, TRect{10, 10, 390, 560});
        for (const auto &r : canvas.texts())
            d.records << describe(r);
        for (const auto &r : canvas.shapes())
            d.records << describe(r);
    }
    return d;
}

QStringList textsOf(const Drawn &d)
{
    QStringList texts;
    for (const QString &r : d.records)
        if (r.startsWith(QLatin1String("text")))
            texts << r.section(QLatin1Char('"'), 1, 1);
    return texts;
}

QByteArray save(TqpEMFPages &pages)
{
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    pages.SaveToStream(out);
    return out.data();
}

void load(TqpEMFPages &pages, const QByteArray &bytes)
{
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    pages.LoadFromStream(&in);
}

// Little-endian writers for files made by hand.
struct Bytes {
    QByteArray b;
    Bytes &u8(int v)
    {
        b.append(char(v));
        return *this;
    }
    Bytes &u16(int v)
    {
        char x[2];
        qToLittleEndian(quint16(v), x);
        b.append(x, 2);
        return *this;
    }
    Bytes &i32(qint32 v)
    {
        char x[4];
        qToLittleEndian(v, x);
        b.append(x, 4);
        return *this;
    }
    Bytes &str(const QByteArray &s)
    {
        u16(int(s.size()));
        b.append(s);
        return u8(0);
    }
    Bytes &raw(const QByteArray &s)
    {
        b.append(s);
        return *this;
    }
    void patchI32(qsizetype at, qint32 v) { qToLittleEndian(v, b.data() + at); }
};

// A page's object stream with one text object.
QByteArray objectStream(const QString &text, const std::function<void(TqpMemoView &)> &tweak = {})
{
    QBuffer s;
    s.open(QIODevice::ReadWrite);
    qpVersion = 25;
    qpWriteByte(s, 25);
    std::unique_ptr<TqpMemoView> m(memo(QStringLiteral("Metin"), text, 10, 10));
    if (tweak)
        tweak(*m);
    m->SaveMode = smQPP;
    m->ExpandedMemo = m->Memo;
    m->WriteEntry(s);
    return s.data();
}

// The smallest enhanced metafile the picture holder takes: a header record
// with a 20 x 20 mm frame and nothing drawn.
QByteArray tinyMetafile()
{
    Bytes h;
    h.i32(1).i32(88);                       // EMR_HEADER, size
    h.i32(0).i32(0).i32(75).i32(75);        // bounds
    h.i32(0).i32(0).i32(2000).i32(2000);    // frame, 0.01 mm
    h.i32(0x464D4520).i32(0x10000).i32(88); // signature, version, bytes
    h.i32(1).u16(0).u16(0).i32(0).i32(0).i32(0); // records, handles, reserved, description, palette
    h.i32(1024).i32(768).i32(320).i32(240); // device pixels and millimetres
    return h.b;
}

} // namespace

class TestPreparedPages : public QObject {
    Q_OBJECT

    TqpNoPrinters none;

private slots:
    void initTestCase()
    {
        qpPrinterStartup(&none);
        qpInitExpressionGlobals();
        qpInitModelGlobals();
        qpOpenDocument = [](const QString &target) { QFAIL(qPrintable(QStringLiteral("opened ") + target)); };
    }

    void cleanup()
    {
        CurReport = nullptr;
        MasterReport = nullptr;
        CurPage = nullptr;
        qpCompressor->Enabled = false;
    }

    void savedAndLoadedPagesDrawTheSame()
    {
        QTemporaryDir dir;
        TqpReport report;
        buildPages(report.GetEMFPages());
        report.CanRebuild = true;
        const QString file = dir.filePath(QStringLiteral("liste.qpp"));
        report.SavePreparedReport(file);

        TqpReport loaded;
        loaded.CanRebuild = true;
        loaded.LoadPreparedReport(file);
        QVERIFY(!loaded.CanRebuild);
        TqpEMFPages &a = report.GetEMFPages(), &b = loaded.GetEMFPages();
        QCOMPARE(b.GetCount(), 2);
        for (int i = 0; i < 2; ++i) {
            const TqpPageInfo &pa = a.GetPages(i), &pb = b.GetPages(i);
            QCOMPARE(pb.PaperSize, pa.PaperSize);
            QCOMPARE(pb.PaperWidth, pa.PaperWidth);
            QCOMPARE(pb.PaperHeight, pa.PaperHeight);
            QCOMPARE(pb.Orientation, pa.Orientation);
            QCOMPARE(pb.PaperBin, pa.PaperBin);
            QCOMPARE(pb.UseMargins, pa.UseMargins);
            QCOMPARE(pb.Margins, pa.Margins);
            QCOMPARE(pb.PrnInfo.SheetWidth, pa.PrnInfo.SheetWidth);
            QCOMPARE(pb.PrnInfo.SheetHeight, pa.PrnInfo.SheetHeight);
            const Drawn da = draw(a, i), db = draw(b, i);
            QCOMPARE(db.records, da.records);
            QVERIFY(db.image == da.image);
        }
        QCOMPARE(b.GetPages(1).Orientation, quint8(poLandscape));
        QCOMPARE(textsOf(draw(b, 0)),
                 (QStringList{QStringLiteral("Üye Listesi"), QStringLiteral("Ahmet Çağlar"), QStringLiteral("İzmir")}));
        QCOMPARE(textsOf(draw(b, 1)), QStringList{QStringLiteral("Toplam: 2")});
        // The picture reached the page: red pixels where the logo is.
        QCOMPARE(draw(b, 0).image.pixelColor(10 + 430 * 380 / a.GetPages(0).PrnInfo.SheetWidth, 10 + 50 * 550 / a.GetPages(0).PrnInfo.SheetHeight),
                 QColor(Qt::red));
    }

    void fileLayoutLetsReadersSkipPages()
    {
        TqpReport report;
        report.ReportMarker = 77;
        buildPages(report.GetEMFPages());
        const QByteArray bytes = save(report.GetEMFPages());
        QBuffer s;
        s.setData(bytes);
        s.open(QIODevice::ReadOnly);
        QCOMPARE(qpReadByte(s), quint8(25));
        QCOMPARE(qpReadByte(s), quint8(0));
        QCOMPARE(qpReadString(s), Prn->PrinterNames.value(Prn->PrinterIndex));
        QCOMPARE(qpReadInteger(s), 2);
        for (int i = 0; i < 2; ++i) {
            const qint64 end = qpReadInteger(s);
            QCOMPARE(qpReadWord(s), report.GetEMFPages().GetPages(i).PaperSize);
            QVERIFY(s.seek(end));
        }
        QCOMPARE(qpReadByte(s), quint8(77));
        QVERIFY(s.atEnd());
        TqpReport loaded;
        load(loaded.GetEMFPages(), bytes);
        QCOMPARE(loaded.ReportMarker, quint8(77));
    }

    void pageSettingsOfOlderFiles_data()
    {
        QTest::addColumn<bool>("versionByte");
        QTest::addColumn<qint32>("bin");
        QTest::addColumn<TRect>("margins");
        QTest::newRow("no version byte: bin -1, no margins") << false << -1 << TRect{};
        QTest::newRow("version 24: bin and margins read") << true << 7 << TRect{1, 2, 3, 4};
    }

    void pageSettingsOfOlderFiles()
    {
        QFETCH(bool, versionByte);
        QFETCH(qint32, bin);
        QFETCH(TRect, margins);
        Bytes f;
        if (versionByte)
            f.u8(24);
        f.u8(0).str("").i32(1);
        const qsizetype endAt = f.b.size();
        f.i32(0).u16(9).i32(2100).i32(2970).u8(1);
        if (versionByte)
            f.i32(7);
        f.u8(1);
        if (versionByte)
            f.i32(1).i32(2).i32(3).i32(4);
        f.raw(objectStream(QStringLiteral("Eski dosya")));
        f.patchI32(endAt, qint32(f.b.size()));
        f.u8(88);

        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        load(pages, f.b);
        QCOMPARE(pages.GetCount(), 1);
        const TqpPageInfo &info = pages.GetPages(0);
        QCOMPARE(info.PaperBin, bin);
        QCOMPARE(info.Margins, margins);
        QCOMPARE(info.Orientation, quint8(1));
        QVERIFY(info.UseMargins);
        QVERIFY(info.PrnInfo.SheetWidth > 0);
        QCOMPARE(textsOf(draw(pages, 0)), QStringList{QStringLiteral("Eski dosya")});
    }

    void oldFilesOfPictures()
    {
        Bytes f;
        f.raw("Yaz\xfd" "c\xfd\r").raw("ikinci").u8(0).i32(1);
        const qsizetype endAt = f.b.size();
        f.i32(0).u16(9).i32(2100).i32(2970).u8(0).u8(0).raw(tinyMetafile());
        f.patchI32(endAt, qint32(f.b.size()));

        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        load(pages, f.b);
        QCOMPARE(report.PrinterName, QStringLiteral("Yazıcı"));
        QCOMPARE(pages.GetCount(), 1);
        QCOMPARE(pages.GetPages(0).PaperBin, -1);
        pages.ObjectsToPage(0);
        const TqpPage &page = *pages.GetPages(0).Page;
        QCOMPARE(page.Items.size(), 1);
        auto *picture = dynamic_cast<TqpPictureView *>(page.Items.first());
        QVERIFY(picture);
        QCOMPARE(picture->Picture.Kind(), gkMetafile);
        QCOMPARE(picture->Width, pages.GetPages(0).PrnInfo.SheetWidth);
        QCOMPARE(picture->Height, pages.GetPages(0).PrnInfo.SheetHeight);
        // Saved again, it is a file of the current form with the same picture.
        TqpReport again;
        load(again.GetEMFPages(), save(pages));
        again.GetEMFPages().ObjectsToPage(0);
        auto *copy = dynamic_cast<TqpPictureView *>(again.GetEMFPages().GetPages(0).Page->Items.first());
        QVERIFY(copy);
        QCOMPARE(copy->Picture.Data(), tinyMetafile());
    }

    void compressorIsConsulted()
    {
        TqpReport report;
        buildPages(report.GetEMFPages());
        const QStringList plain = textsOf(draw(report.GetEMFPages(), 0));

        // The system's own compressor is off: plain pages, flag 0.
        QCOMPARE(save(report.GetEMFPages()).at(1), char(0));

        InvertingCompressor inverting;
        TqpCompressor *const own = qpCompressor;
        qpCompressor = &inverting;
        inverting.Enabled = true;
        const QByteArray packed = save(report.GetEMFPages());
        QCOMPARE(packed.at(1), char(1));
        QVERIFY(!packed.contains(qpToAnsi(QStringLiteral("Üye Listesi"))));
        TqpReport loaded;
        load(loaded.GetEMFPages(), packed);
        QCOMPARE(textsOf(draw(loaded.GetEMFPages(), 0)), plain);

        // Through the system's compressor, which expands nothing, such pages
        // come out without objects.
        qpCompressor = own;
        TqpReport empty;
        load(empty.GetEMFPages(), packed);
        QCOMPARE(empty.GetEMFPages().GetCount(), 2);
        QCOMPARE(draw(empty.GetEMFPages(), 0).records, QStringList());
    }

    void addInsertDelete()
    {
        TqpReport report, master;
        QList<int> begun, masterBegun;
        report.OnBeginPage = [&](int n) { begun << n; };
        master.OnBeginPage = [&](int n) { masterBegun << n; };
        CurReport = &report;
        MasterReport = &report;
        TqpEMFPages &pages = report.GetEMFPages();
        auto paper = [](int width) { return PaperSpec{256, width, 2000, poPortrait, {}, true}; };
        PageNo = 0;
        addPage(pages, paper(1000));
        MasterReport = &master;
        PageNo = 1;
        addPage(pages, paper(1100));
        QCOMPARE(begun, (QList<int>{0, 1}));
        QCOMPARE(masterBegun, QList<int>{1});

        const auto insert = [&](int index, int width) {
            TqpPage tpl(256, width, 2000, qpDefaultBin, poPortrait);
            pages.Insert(index, &tpl);
        };
        insert(0, 900);
        insert(2, 1050);
        insert(99, 1200);
        const auto widths = [&] {
            QList<int> w;
            for (int i = 0; i < pages.GetCount(); ++i)
                w << pages.GetPages(i).PaperWidth;
            return w;
        };
        QCOMPARE(widths(), (QList<int>{900, 1000, 1050, 1100, 1200}));
        QCOMPARE(begun.size(), 2); // only Add announces a page
        // A new page holds the stream version and nothing else.
        QCOMPARE(pages.GetPages(2).Stream->data(), QByteArray(1, char(25)));

        pages.ObjectsToPage(1);
        QCOMPARE(CurPage, pages.GetPages(1).Page.get());
        pages.Delete(1);
        QCOMPARE(CurPage, nullptr);
        pages.Delete(3);
        QCOMPARE(widths(), (QList<int>{900, 1050, 1100}));
        QVERIFY_THROWS_EXCEPTION(EListError, pages.Delete(3));
        QVERIFY_THROWS_EXCEPTION(EListError, pages.GetPages(-1));

        TqpReport other;
        buildPages(other.GetEMFPages());
        pages.AddFrom(&other);
        QCOMPARE(other.GetEMFPages().GetCount(), 0);
        QCOMPARE(pages.GetCount(), 5);
        QCOMPARE(textsOf(draw(pages, 4)), QStringList{QStringLiteral("Toplam: 2")});
        pages.Clear();
        QCOMPARE(pages.GetCount(), 0);
    }

    void objectsAreReadOnDemandAndReleased()
    {
        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        buildPages(pages);
        QVERIFY(!pages.GetPages(0).Page);
        pages.ObjectsToPage(0);
        TqpPage *page = pages.GetPages(0).Page.get();
        QVERIFY(page);
        QCOMPARE(page->Items.size(), 4);
        pages.ObjectsToPage(0);
        QCOMPARE(pages.GetPages(0).Page.get(), page); // read once

        // Off screen: drawing releases the objects and draws nothing.
        QImage image(100, 100, QImage::Format_RGB32);
        TCanvas canvas(&image);
        canvas.setRecording(true);
        pages.GetPages(0).OnScreen = false;
        pages.Draw(0, &canvas, TRect{0, 0, 100, 100});
        QVERIFY(!pages.GetPages(0).Page);
        QVERIFY(canvas.texts().isEmpty());

        // Edited objects reach the stream only through PageToObjects.
        pages.ObjectsToPage(0);
        pages.GetPages(0).Page->Items.first()->Memo = QStringList{QStringLiteral("Düzeltildi")};
        pages.GetPages(0).OnScreen = false;
        pages.Draw(0, &canvas, TRect{0, 0, 100, 100});
        QCOMPARE(textsOf(draw(pages, 0)).first(), QStringLiteral("Üye Listesi"));
        pages.GetPages(0).Page->Items.first()->Memo = QStringList{QStringLiteral("Düzeltildi")};
        pages.PageToObjects(0);
        pages.GetPages(0).OnScreen = false;
        pages.Draw(0, &canvas, TRect{0, 0, 100, 100});
        QCOMPARE(textsOf(draw(pages, 0)).first(), QStringLiteral("Düzeltildi"));
        TqpReport loaded;
        load(loaded.GetEMFPages(), save(pages));
        QCOMPARE(textsOf(draw(loaded.GetEMFPages(), 0)).first(), QStringLiteral("Düzeltildi"));

        // A text the file cannot carry leaves the stream as it was.
        pages.GetPages(0).Page->Items.first()->Memo = QStringList{QStringLiteral("日本")};
        const QByteArray before = pages.GetPages(0).Stream->data();
        QVERIFY_THROWS_EXCEPTION(EWriteError, pages.PageToObjects(0));
        QCOMPARE(pages.GetPages(0).Stream->data(), before);
    }

    // Text from data that the code page cannot hold is written with one "?"
    // per character (an emoji is one character); the page is kept and every
    // other character stays as it was.
    void textOutsideTheCodePagePrintsAsQuestionMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("refused"); // the first character a template could not hold
        QTest::newRow("schwa and emoji") << QStringLiteral("Əli Ünal 😀") << QStringLiteral("?li Ünal ?")
                                         << QStringLiteral("Ə");
        QTest::newRow("two characters") << QStringLiteral("日本") << QStringLiteral("??") << QStringLiteral("日");
        QTest::newRow("euro fits, tick does not") << QStringLiteral("€ ve ✓") << QStringLiteral("€ ve ?")
                                                  << QStringLiteral("✓");
        QTest::newRow("lone surrogate") << QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b")
                                        << QStringLiteral("a?b") << QString(QChar(0xD83D));
        QTest::newRow("two emoji in a row") << QStringLiteral("😀😀x") << QStringLiteral("??x")
                                            << QStringLiteral("😀");
    }
    void textOutsideTheCodePagePrintsAsQuestionMarks()
    {
        QFETCH(QString, text);
        QFETCH(QString, printed);
        QFETCH(QString, refused);
        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        addPage(pages, {9, 2100, 2970, poPortrait, {}, true});
        TqpMemoView *m = memo(QStringLiteral("Uye"), text, 20, 20, 300, 30);
        m->Tag = text;
        put(pages, m);
        put(pages, memo(QStringLiteral("Sonraki"), QStringLiteral("Berna Öz"), 20, 60));
        QCOMPARE(textsOf(draw(pages, 0)), (QStringList{printed, QStringLiteral("Berna Öz")}));
        TqpReport loaded;
        load(loaded.GetEMFPages(), save(pages));
        loaded.GetEMFPages().ObjectsToPage(0);
        QCOMPARE(loaded.GetEMFPages().GetPages(0).Page->Items.first()->Tag, printed);

        // Anywhere else the same object is refused, naming the whole character.
        QBuffer elsewhere;
        elsewhere.open(QIODevice::ReadWrite);
        std::unique_ptr<TqpMemoView> again(memo(QStringLiteral("Uye"), text, 20, 20));
        try {
            again->WriteEntry(elsewhere);
            QFAIL("written outside a prepared page");
        } catch (const EWriteError &e) {
            QVERIFY2(e.message().startsWith(QLatin1Char('"') + refused + QLatin1Char('"')), qPrintable(e.message()));
        }
    }

    void underlinedTextWithEmptyLineDraws()
    {
        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        addPage(pages, {9, 2100, 2970, poPortrait, {}, true});
        TqpMemoView *m = memo(QStringLiteral("Imza"), QStringLiteral("Başkan\n\nSekreter"), 20, 20, 200, 60);
        m->Font.Style = fsUnderline;
        put(pages, m);
        QCOMPARE(textsOf(draw(pages, 0)),
                 (QStringList{QStringLiteral("Başkan"), QString(), QStringLiteral("Sekreter")}));
    }

    void drawingSkipsObjectsOutsideTheClip()
    {
        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        buildPages(pages);
        // The clip covers the top of the page only: the second text, lower
        // down, is not drawn; the first one is.
        const TqpPageInfo &info = pages.GetPages(0);
        const int y = 10 + 60 * 550 / info.PrnInfo.SheetHeight;
        const QStringList clipped = textsOf(draw(pages, 0, QRect(0, 0, 400, y)));
        QCOMPARE(clipped, QStringList{QStringLiteral("Üye Listesi")});
        QCOMPARE(textsOf(draw(pages, 0)).size(), 3);
    }

    void hitTesting_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("click");
        QTest::addColumn<bool>("clickEvent");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("opened");

        const QString doc = QStringLiteral("/belgeler/aidat.pdf");
        const QString mail = QStringLiteral("uye@dernek.org");
        QTest::newRow("hover over URL") << "URLBelge" << doc << false << false << true << doc << int(crHandPoint) << "";
        QTest::newRow("click URL document") << "URLBelge" << doc << true << false << true << "" << 0 << doc;
        QTest::newRow("click URL mail") << "URLPosta" << mail << true << false << true << mail << 0 << "";
        QTest::newRow("click plain object") << "Ad" << doc << true << false << false << "" << 0 << "";
        QTest::newRow("hover plain object") << "Ad" << doc << false << false << false << "" << 0 << "";
        QTest::newRow("click with event") << "Ad" << doc << true << true << true << "" << 0 << "";
        QTest::newRow("hover with event") << "Ad" << doc << false << true << true << "" << 7 << "";
        QTest::newRow("lower-case url is no link") << "urlBelge" << doc << false << false << false << "" << 0 << "";
    }

    void hitTesting()
    {
        QFETCH(QString, name);
        QFETCH(QString, tag);
        QFETCH(bool, click);
        QFETCH(bool, clickEvent);
        QFETCH(bool, result);
        QFETCH(QString, hint);
        QFETCH(int, cursor);
        QFETCH(QString, opened);

        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        addPage(pages, {9, 2100, 2970, poPortrait, {}, true});
        put(pages, memo(QStringLiteral("Alttaki"), QStringLiteral("alt"), 100, 100, 100, 50));
        TqpMemoView *top = memo(name, QStringLiteral("üst"), 150, 120, 100, 50);
        top->Tag = tag;
        put(pages, top);

        QList<TqpView *> clicked, hovered;
        if (clickEvent) {
            report.OnObjectClick = [&](TqpView *v) { clicked << v; };
            report.OnMouseOverObject = [&](TqpView *v, int &c) {
                hovered << v;
                c = 7;
            };
        }
        QStringList openedList;
        qpOpenDocument = [&](const QString &t) { openedList << t; };
        TScriptedUi ui;
        ui.answers << QMessageBox::Yes; // a document opens once the operator agrees
        QString gotHint = QStringLiteral("eski");
        int gotCursor = 0;
        // Where the two overlap the later one, on top, answers.
        QCOMPARE(pages.DoClick(0, QPoint(160, 130), gotHint, gotCursor, click), result);
        qpOpenDocument = [](const QString &t) { QFAIL(qPrintable(QStringLiteral("opened ") + t)); };
        QCOMPARE(gotHint, hint);
        QCOMPARE(gotCursor, cursor);
        QCOMPARE(openedList, opened.isEmpty() ? QStringList() : QStringList{opened});
        if (clickEvent) {
            QCOMPARE((click ? clicked : hovered).size(), 1);
            QCOMPARE((click ? clicked : hovered).first()->Name, name);
            QVERIFY((click ? hovered : clicked).isEmpty());
        }
    }

    void linkTargets_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("asked");    // the operator is asked first
        QTest::addColumn<bool>("agree");    // and answers Yes
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("hint");  // handed back to the caller
        QTest::newRow("web") << "http://dernek.org/aidat" << false << false << true << "";
        QTest::newRow("secure web") << "HTTPS://dernek.org" << false << false << true << "";
        QTest::newRow("mail") << "mailto:uye@dernek.org" << false << false << true << "";
        QTest::newRow("path refused") << "/home/uye/program.sh" << true << false << false << "";
        QTest::newRow("path agreed") << "/home/uye/aidat.pdf" << true << true << true << "";
        QTest::newRow("file address") << "file:///usr/bin/xterm" << true << false << false << "";
        QTest::newRow("other scheme") << "smb://sunucu/paylasim/kur.exe" << true << false << false << "";
        QTest::newRow("relative name") << "aidat.ods" << true << true << true << "";
        QTest::newRow("page link") << "@3" << false << false << false << "@3";
        QTest::newRow("address without scheme") << "uye@dernek.org" << false << false << false << "uye@dernek.org";
        QTest::newRow("file address with at sign") << "file:///tmp/a@b.sh" << false << false << false
                                                   << "file:///tmp/a@b.sh";
    }

    // A prepared report can come from anyone: only web and mail addresses
    // open at once, anything else after the operator agreed.
    void linkTargets()
    {
        QFETCH(QString, tag);
        QFETCH(bool, asked);
        QFETCH(bool, agree);
        QFETCH(bool, opened);
        QFETCH(QString, hint);
        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        addPage(pages, {9, 2100, 2970, poPortrait, {}, true});
        TqpMemoView *link = memo(QStringLiteral("URL1"), QStringLiteral("bağlantı"), 100, 100, 100, 50);
        link->Tag = tag;
        put(pages, link);

        TScriptedUi ui;
        ui.answers << (agree ? QMessageBox::Yes : QMessageBox::No);
        QStringList openedList;
        qpOpenDocument = [&](const QString &t) { openedList << t; };
        QString gotHint;
        int cursor = 0;
        QVERIFY(pages.DoClick(0, QPoint(150, 120), gotHint, cursor, true));
        qpOpenDocument = [](const QString &t) { QFAIL(qPrintable(QStringLiteral("opened ") + t)); };
        QCOMPARE(gotHint, hint);
        QCOMPARE(openedList, opened ? QStringList{tag} : QStringList());
        QCOMPARE(ui.boxes.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(ui.boxes.first().text, QStringLiteral("Bu bağlantı açılsın mı?\n") + tag);
            QCOMPARE(ui.boxes.first().icon, QMessageBox::Question);
            QCOMPARE(ui.boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
        }
    }

    void hitRectanglesFollowTheMargins()
    {
        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        report.OnMouseOverObject = [](TqpView *, int &) {};
        for (bool useMargins : {true, false}) {
            addPage(pages, {9, 2100, 2970, poPortrait, {20, 30, 40, 50}, useMargins});
            put(pages, memo(QStringLiteral("Kutu"), QStringLiteral("x"), 200, 300, 100, 100));
        }
        QString hint;
        int cursor = 0;
        // Margins in use: the object's own rectangle.
        QVERIFY(pages.DoClick(0, QPoint(200, 300), hint, cursor, false));
        QVERIFY(pages.DoClick(0, QPoint(299, 399), hint, cursor, false));
        QVERIFY(!pages.DoClick(0, QPoint(300, 399), hint, cursor, false));
        QVERIFY(!pages.DoClick(0, QPoint(199, 300), hint, cursor, false));

        // Margins not in use: scaled into the printable area inside the margins.
        const TqpPrnInfo &p = pages.GetPages(1).PrnInfo;
        const double kx = double(p.PrintWidth - 60) / p.SheetWidth, ky = double(p.PrintHeight - 80) / p.SheetHeight;
        const double ox = p.SheetOffsetX + 20, oy = p.SheetOffsetY + 30;
        const QPoint topLeft(qRound(200 * kx + ox), qRound(300 * ky + oy));
        const QPoint bottomRight(qRound(300 * kx + ox) - 1, qRound(400 * ky + oy) - 1);
        QVERIFY(topLeft != QPoint(200, 300));
        QVERIFY(pages.DoClick(1, topLeft, hint, cursor, false));
        QVERIFY(pages.DoClick(1, bottomRight, hint, cursor, false));
        QVERIFY(!pages.DoClick(1, topLeft - QPoint(1, 0), hint, cursor, false));
        QVERIFY(!pages.DoClick(1, bottomRight + QPoint(0, 1), hint, cursor, false));
    }

    void exportReplaysObjectsWithoutKeepingThem()
    {
        ExportingReport report;
        CurReport = &report;
        TqpEMFPages &pages = report.GetEMFPages();
        buildPages(pages);
        pages.ExportData(0);
        QCOMPARE(report.exported, (QStringList{QStringLiteral("Baslik"), QStringLiteral("Satir1"),
                                               QStringLiteral("Logo"), QStringLiteral("Cizgi")}));
        QVERIFY(!pages.GetPages(0).Page);
        QCOMPARE(CurPage, nullptr);
    }

    void truncatedFilesAreRejected()
    {
        TqpReport report;
        buildPages(report.GetEMFPages());
        const QByteArray bytes = save(report.GetEMFPages());
        for (qsizetype n = 0; n < bytes.size(); ++n) {
            TqpReport loaded;
            TqpEMFPages &pages = loaded.GetEMFPages();
            buildPages(pages); // loading first clears: a failed load leaves nothing
            try {
                load(pages, bytes.left(n));
                QFAIL(qPrintable(QStringLiteral("a file cut at %1 of %2 bytes was read").arg(n).arg(bytes.size())));
            } catch (const EReadError &e) {
                QVERIFY(!e.message().isEmpty());
            }
            QCOMPARE(pages.GetCount(), 0);
        }
    }

    void damagedFilesAreRejected_data()
    {
        // The number changed: the page count, the end field of page 1 or 2,
        // or page 1's paper width or left margin; `relative` values count
        // from the changed field's own offset.
        QTest::addColumn<QString>("where");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<bool>("relative");
        QTest::newRow("end of page 2 before its position") << "end2" << qint32(10) << false;
        QTest::newRow("end of page 1 inside its settings") << "end1" << qint32(8) << true;
        QTest::newRow("end of page 1 past the file") << "end1" << qint32(1 << 20) << false;
        QTest::newRow("one page more than stored") << "count" << qint32(3) << false;
        QTest::newRow("huge page count") << "count" << qint32(0x7FFFFFFF) << false;
        QTest::newRow("negative page count") << "count" << qint32(-1) << false;
        QTest::newRow("paper without width") << "width1" << qint32(0) << false;
        QTest::newRow("paper width no paper has") << "width1" << qint32(-1140850534) << false;
        QTest::newRow("margin far beyond the paper") << "margin1" << qint32(-1140850534) << false;
    }

    void damagedFilesAreRejected()
    {
        QFETCH(QString, where);
        QFETCH(qint32, value);
        QFETCH(bool, relative);
        TqpReport report;
        buildPages(report.GetEMFPages());
        Bytes f{save(report.GetEMFPages())};
        const qsizetype countAt = 2 + 2 + Prn->PrinterNames.value(Prn->PrinterIndex).size() + 1;
        const qsizetype end1At = countAt + 4;
        const QHash<QString, qsizetype> offsets{{QStringLiteral("count"), countAt},
                                                {QStringLiteral("end1"), end1At},
                                                {QStringLiteral("end2"), qFromLittleEndian<qint32>(f.b.constData() + end1At)},
                                                {QStringLiteral("width1"), end1At + 4 + 2},
                                                {QStringLiteral("margin1"), end1At + 4 + 2 + 4 + 4 + 1 + 4 + 1}};
        const qsizetype at = offsets.value(where);
        const qint32 original = qFromLittleEndian<qint32>(f.b.constData() + at);
        f.patchI32(at, relative ? qint32(at + value) : value);
        QVERIFY(original != qFromLittleEndian<qint32>(f.b.constData() + at));

        TqpReport loaded;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("bozuk.qpp"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(f.b);
        out.close();
        try {
            loaded.LoadPreparedReport(file);
            QFAIL("a damaged file was read");
        } catch (const EReadError &e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
        }
        QCOMPARE(loaded.GetEMFPages().GetCount(), 0);
    }

    void toolDumpsPreparedReports()
    {
        QTemporaryDir dir;
        TqpReport report;
        buildPages(report.GetEMFPages());
        const QString file = dir.filePath(QStringLiteral("liste.qpp"));
        report.SavePreparedReport(file);
        QProcess tool;
        tool.start(QStringLiteral(QPREPORT_BIN), {QStringLiteral("dump"), file});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'));
        for (const QString &expected :
             {QStringLiteral("page 1"), QStringLiteral("  paper 9, 2100 x 2970 (0.1 mm), portrait, bin -1"),
              QStringLiteral("    object Baslik (kind 0, TqpMemoView) at 20,20 size 300x30"),
              QStringLiteral("        | Üye Listesi"), QStringLiteral("        | İzmir"),
              QStringLiteral("    object Logo (kind 1, TqpPictureView) at 400,20 size 60x60"),
              QStringLiteral("    object Cizgi (kind 4, TqpLineView) at 20,140 size 0x200"), QStringLiteral("page 2"),
              QStringLiteral("    object Son (kind 0, TqpMemoView) at 50,50 size 200x20")})
            QVERIFY2(lines.contains(expected), qPrintable(expected));

        QFile cut(file);
        QVERIFY(cut.resize(cut.size() - 1));
        tool.start(QStringLiteral(QPREPORT_BIN), {QStringLiteral("dump"), file});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardOutput().isEmpty());
    }

    void damagedObjectStreamsFailWhenRead_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::newRow("unknown type code") << Bytes().u8(25).u8(7).i32(0).b;
        QTest::newRow("unregistered class") << Bytes().u8(25).u8(10).str("TYokSinif").b;
        QTest::newRow("record cut short") << objectStream(QStringLiteral("kısa")).chopped(3);
        QTest::newRow("line spacing far beyond the sheet")
            << objectStream(QStringLiteral("uzak"), [](TqpMemoView &m) { m.LineSpacing = 1869108086; });
        QTest::newRow("width far beyond the sheet")
            << objectStream(QStringLiteral("geniş"), [](TqpMemoView &m) { m.Width = 0x7FFFFFF0; });
        QTest::newRow("frame wider than any sheet")
            << objectStream(QStringLiteral("çerçeve"), [](TqpMemoView &m) { m.FrameWidth = 1949135.9f; });
        QTest::newRow("font larger than any") << objectStream(QStringLiteral("dev"), [](TqpMemoView &m) { m.Font.Size = -131062; });
    }

    void damagedObjectStreamsFailWhenRead()
    {
        QFETCH(QByteArray, stream);
        TqpReport report;
        TqpEMFPages &pages = report.GetEMFPages();
        addPage(pages, {9, 2100, 2970, poPortrait, {}, true});
        pages.GetPages(0).Stream->buffer() = stream;
        QVERIFY_THROWS_EXCEPTION(EqpError, pages.ObjectsToPage(0));
        QVERIFY(!pages.GetPages(0).Page);
        QCOMPARE(CurPage, nullptr);
        QString hint;
        int cursor = 0;
        QVERIFY_THROWS_EXCEPTION(EqpError, pages.DoClick(0, QPoint(1, 1), hint, cursor, true));
    }
};

QTEST_MAIN(TestPreparedPages)
#include "test_prepared_pages.moc"
