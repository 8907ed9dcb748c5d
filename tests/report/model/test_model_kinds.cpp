// The picture, line, band and sub-report objects: geometry of pictures and
// lines, the band's property lists and printing-time properties, stored
// records of each kind, bad picture bytes, the metafile player, and a
// drawing of all of them (saved as a PNG into $ZELVAN_PNG_DIR when set).
// Pixel figures pin the font: Liberation Sans stands in for Arial.

#include "model_fixtures.h"

#include "data/table.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/expr/report_dataset.h"
#include "report/expr/variables.h"
#include "report/core/rounding.h"
#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/model_errors.h"
#include "report/model/object_registry.h"
#include "report/model/picture_view.h"
#include "report/model/stream_utils.h"
#include "report/model/subreport_view.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <limits>
#include <metafile.h>

Q_DECLARE_METATYPE(TRect)

namespace {

// Little-endian bytes, built field by field.
struct Le {
    QByteArray b;
    template<typename T>
    Le &put(T v)
    {
        char raw[sizeof(T)];
        qToLittleEndian(v, raw);
        b.append(raw, sizeof(T));
        return *this;
    }
    Le &u32(quint32 v) { return put(v); }
    Le &i32(qint32 v) { return put(v); }
    Le &u16(quint16 v) { return put(v); }
    Le &i16(qint16 v) { return put(v); }
    Le &bytes(const QByteArray &v)
    {
        b.append(v);
        return *this;
    }
};

void patch32(QByteArray &b, int at, quint32 v) { qToLittleEndian(v, b.data() + at); }
void patch16(QByteArray &b, int at, quint16 v) { qToLittleEndian(v, b.data() + at); }

// Left half red, right half blue: mirroring and scaling show in the pixels.
QImage twoColours(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter(&img).fillRect(w / 2, 0, w - w / 2, h, Qt::blue);
    return img;
}

// A soft photograph-like picture, so the JPEG encoder has real work.
QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x * y) % 256));
    return img;
}

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format, 85);
    return bytes;
}

// A packed 24-bit DIB (header and bits) of the image: a BMP file without
// its 14-byte file header.
QByteArray packedDib(const QImage &img) { return encoded(img.convertToFormat(QImage::Format_RGB888), "BMP").mid(14); }

// Offsets inside the metafiles made below, for the hostile variants.
constexpr int kEmfRecord = 88;   // the StretchDIBits record after the header
constexpr int kEmfDib = kEmfRecord + 80;
constexpr int kWmfRecord = 40 + 10 + 10; // after both headers and the two window records
constexpr int kWmfDib = kWmfRecord + 28;

// An enhanced metafile of one bitmap drawn over its whole frame, made for a
// 96-pixels-per-inch device.
QByteArray emfOfBitmap(const QImage &img)
{
    const int w = img.width(), h = img.height();
    const QByteArray dib = packedDib(img);
    const QByteArray info = dib.left(40), bits = dib.mid(40);
    Le rec;
    rec.u32(81).u32(80 + dib.size()).i32(0).i32(0).i32(w - 1).i32(h - 1);
    rec.i32(0).i32(0).i32(0).i32(0).i32(w).i32(h);
    rec.u32(80).u32(40).u32(120).u32(bits.size()).u32(0).u32(0x00CC0020);
    rec.i32(w).i32(h).bytes(info).bytes(bits);
    Le eof;
    eof.u32(14).u32(20).u32(0).u32(16).u32(20);
    Le head;
    head.u32(1).u32(88).i32(0).i32(0).i32(w - 1).i32(h - 1);
    head.i32(0).i32(0).i32(w * 2540 / 96).i32(h * 2540 / 96);
    head.u32(0x464D4520).u32(0x10000).u32(88 + rec.b.size() + 20).u32(3).u16(1).u16(0);
    head.u32(0).u32(0).u32(0).i32(960).i32(960).i32(254).i32(254);
    return head.b + rec.b + eof.b;
}

// A placeable Windows metafile of one bitmap over its whole frame.
QByteArray wmfOfBitmap(const QImage &img)
{
    const qint16 w = qint16(img.width()), h = qint16(img.height());
    const QByteArray dib = packedDib(img);
    Le rec;
    rec.u32(quint32((28 + dib.size()) / 2)).u16(0x0F43).u32(0x00CC0020).u16(0);
    rec.i16(h).i16(w).i16(0).i16(0).i16(h).i16(w).i16(0).i16(0).bytes(dib);
    Le body;
    body.u32(5).u16(0x020B).i16(0).i16(0); // window origin
    body.u32(5).u16(0x020C).i16(h).i16(w); // window extent
    body.bytes(rec.b).u32(3).u16(0);
    Le head;
    head.u32(0x9AC6CDD7).u16(0).i16(0).i16(0).i16(w).i16(h).u16(96).u32(0).u16(0);
    head.u16(1).u16(9).u16(0x300).u32(quint32((18 + body.b.size()) / 2)).u16(0).u32(rec.b.size() / 2).u16(0);
    return head.b + body.b;
}

// A BMP whose header claims 100000 x 100000 pixels of 24 bits.
QByteArray absurdBmp()
{
    QByteArray bmp = encoded(twoColours(4, 4), "BMP");
    patch32(bmp, 18, 100000);
    patch32(bmp, 22, 100000);
    return bmp;
}

QBuffer *reader(const QByteArray &bytes)
{
    auto *b = new QBuffer;
    b->setData(bytes);
    b->open(QIODevice::ReadOnly);
    return b;
}

QByteArray saved(TqpView &v)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    v.SaveToStream(b);
    return b.data();
}

// The picture record's kind, blob type and end position follow the common
// record, whose length this finds from an object without picture fields.
int commonRecordLength(TqpView &v)
{
    TqpLineView plain;
    plain.Name = v.Name;
    plain.Memo = v.Memo;
    plain.Tag = v.Tag;
    plain.Script = v.Script;
    plain.FormatStr = v.FormatStr;
    return int(saved(plain).size());
}

QStringList propNames(TqpObject &o)
{
    QStringList names;
    for (const TqpPropRec &r : o.PropList())
        names.append(r.PropName);
    return names;
}

// A run-time band that remembers what the band object told it.
class RecordingRunBand : public TestRunBand {
public:
    QRect geometry{5, 6, 700, 40};
    bool visible = true, breakable = false;
    QString condition, dataSource;
    TqpBandBase *child = reinterpret_cast<TqpBandBase *>(1);
    TqpDataset *dataSet = nullptr;
    TqpDataset *DataSet() const override { return dataSet; }
    QRect Geometry() const override { return geometry; }
    void SetGeometry(const QRect &g) override { geometry = g; }
    bool IsVisible() const override { return visible; }
    void SetVisible(bool v) override { visible = v; }
    void SetBreakable(bool v) override { breakable = v; }
    void SetGroupCondition(const QString &c) override { condition = c; }
    void SetChildBand(TqpBandBase *b) override { child = b; }
    void ResetDataSet(const QString &s) override { dataSource = s; }
};

QRgb at(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
constexpr QRgb kRed = 0xFF0000, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

} // namespace

class TestModelKinds : public QObject {
    Q_OBJECT

    TestReport *report = nullptr;

private slots:
    void initTestCase()
    {
        qpInitExpressionGlobals();
        qpInitModelGlobals();
    }

    void init()
    {
        report = new TestReport;
        CurReport = report;
        CurPage = nullptr;
        CurBand = nullptr;
        qpDesignerPage = nullptr;
        DocMode = dmDesigning;
        qpVersion = 25;
        ShowBandTitles = true;
    }

    void cleanup()
    {
        CurReport = nullptr;
        CurView = nullptr;
        qpDesignerPage = nullptr;
        delete report;
    }

    // --- creation

    void createdByTypeCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<int>("flags");
        QTest::newRow("picture") << 1 << "TqpPictureView" << "Picture1" << 5;
        QTest::newRow("band") << 2 << "TqpBandView" << "Band1" << 0x30;
        QTest::newRow("sub-report") << 3 << "TqpSubReportView" << "SubReport1" << 1;
        QTest::newRow("line") << 4 << "TqpLineView" << "Line1" << 1;
    }
    void createdByTypeCode()
    {
        QFETCH(int, code);
        std::unique_ptr<TqpView> v(qpCreateObject(code, QString()));
        QVERIFY(v);
        QFETCH(QString, className);
        QCOMPARE(v->ClassName(), className);
        QCOMPARE(int(v->Kind), code);
        QFETCH(int, flags);
        QCOMPARE(int(v->Flags), flags);
        v->CreateUniqueName();
        QFETCH(QString, firstName);
        QCOMPARE(v->Name, firstName);
    }

    void pictureConstantsForScripts()
    {
        TqpPictureView p;
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("btWMF")).toInt(), 3);
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("btJPG")).toInt(), 1);
    }

    // --- picture geometry

    void pictureTarget_data()
    {
        QTest::addColumn<QSize>("graphic");
        QTest::addColumn<int>("flags");
        QTest::addColumn<double>("scale");
        QTest::addColumn<TRect>("expected"); // relative to the object's top-left
        // The object is 100 x 100 at (10, 20); its DrawRect spans 101 units
        // each way (right and bottom edges included).
        QTest::newRow("keep aspect, wide") << QSize(200, 100) << 5 << 1.0 << TRect{0, 0, 101, 50};
        QTest::newRow("keep aspect, wide, centred") << QSize(200, 100) << 7 << 1.0 << TRect{0, 25, 101, 75};
        QTest::newRow("keep aspect, tall, centred") << QSize(100, 200) << 7 << 1.0 << TRect{25, 0, 75, 101};
        QTest::newRow("stretched, centring ignored") << QSize(200, 100) << 3 << 1.0 << TRect{0, 0, 101, 101};
        QTest::newRow("own size") << QSize(30, 20) << 0 << 1.0 << TRect{0, 0, 30, 20};
        QTest::newRow("own size, centred") << QSize(30, 20) << 2 << 1.0 << TRect{35, 40, 65, 60};
        QTest::newRow("own size larger, centred") << QSize(200, 100) << 2 << 1.0 << TRect{-49, 0, 151, 100};
        QTest::newRow("own size scaled") << QSize(30, 20) << 0 << 1.5 << TRect{0, 0, 45, 30};
    }
    void pictureTarget()
    {
        QFETCH(QSize, graphic);
        QFETCH(double, scale);
        QFETCH(TRect, expected);
        TqpPictureView p;
        p.SetBounds(10, 20, 100, 100);
        QFETCH(int, flags);
        p.Flags = quint16(flags);
        p.Picture.SetBitmap(twoColours(graphic.width(), graphic.height()));
        // The designer draws unscaled; a scale belongs to preview and printing.
        DocMode = scale == 1.0 ? dmDesigning : dmPrinting;
        p.ScaleX = p.ScaleY = scale;
        p.Left = qpRound(10 / scale);
        p.Top = qpRound(20 / scale);
        p.Width = p.Height = qpRound(100 / scale);
        p.CalcGaps();
        const TRect r = p.GraphicRect();
        p.RestoreCoord();
        QCOMPARE(r, (TRect{expected.Left + 10, expected.Top + 20, expected.Right + 10, expected.Bottom + 20}));
    }

    void pictureDrawsIntoItsTarget()
    {
        QImage page(200, 200, QImage::Format_RGB32);
        page.fill(Qt::green);
        TCanvas canvas(&page);
        TqpPictureView p;
        p.SetBounds(10, 10, 100, 100);
        p.Flags = 7; // stretched, centred, keep aspect
        p.Picture.SetBitmap(twoColours(200, 100));
        p.Draw(&canvas);
        canvas.SetClipRect(QRect());
        QCOMPARE(at(page, 20, 60), kRed);   // left half of the picture, middle band
        QCOMPARE(at(page, 100, 60), kBlue); // right half
        QCOMPARE(at(page, 60, 20), kWhite); // above it: the object's background
        QCOMPARE(at(page, 60, 100), kWhite);
        QCOMPARE(at(page, 150, 150), qRgb(0, 255, 0) & 0xFFFFFF); // outside the object
    }

    void pictureOnPrinterSkipsIcons()
    {
        QImage page(60, 60, QImage::Format_RGB32);
        page.fill(Qt::green);
        TCanvas canvas(&page);
        TqpPictureView p;
        p.SetBounds(0, 0, 40, 40);
        p.Flags = 1;
        QVERIFY(p.Picture.LoadFromData(gkIcon, encoded(twoColours(16, 16), "ICO")));
        DocMode = dmPrinting;
        p.IsPrinting = true;
        p.Draw(&canvas);
        QCOMPARE(at(page, 10, 10), qRgb(0, 255, 0) & 0xFFFFFF); // transparent fill, no icon
        p.IsPrinting = false;
        p.Draw(&canvas);
        QCOMPARE(at(page, 10, 10), kRed);
    }

    void emptyPictureShowsItsMarkInTheDesigner()
    {
        QImage page(120, 60, QImage::Format_RGB32);
        TCanvas canvas(&page);
        canvas.setRecording(true);
        TqpPictureView p;
        p.SetBounds(5, 5, 100, 40);
        p.Draw(&canvas);
        QCOMPARE(canvas.texts().size(), 1);
        QCOMPARE(canvas.texts().first().text, QStringLiteral("[Resim]"));
        QCOMPARE(canvas.texts().first().pos, QPoint(25, 8));
        canvas.clearRecords();
        DocMode = dmPrinting;
        p.Draw(&canvas);
        QVERIFY(canvas.texts().isEmpty());
    }

    // --- picture properties, files and blobs

    void pictureProperties()
    {
        TqpPictureView p;
        p.SetPropValue(QStringLiteral("Center"), true);
        p.SetPropValue(QStringLiteral("keepaspect"), false);
        p.SetPropValue(QStringLiteral("BlobType"), 3);
        QCOMPARE(int(p.Flags), 0x03);
        QCOMPARE(p.GetPropValue(QStringLiteral("CENTER")).toBool(), true);
        QCOMPARE(p.GetPropValue(QStringLiteral("KeepAspect")).toBool(), false);
        QCOMPARE(p.GetPropValue(QStringLiteral("BLOBTYPE")).toInt(), 3);
        QCOMPARE(propNames(p).mid(propNames(p).indexOf(QStringLiteral("Restrictions")) + 1),
                 (QStringList{"Picture", "Stretched", "Center", "KeepAspect", "DataField", "BlobType"}));
        const TqpPropRec *blob = p.GetPropRec(QStringLiteral("BlobType"));
        QCOMPARE(blob->Enum, (QStringList{"btBMP", "btJPG", "btICO", "btWMF"}));
    }

    void pictureHandedOverByNumber()
    {
        TqpPictureView a, b;
        a.Picture.SetBitmap(twoColours(8, 4));
        const Variant handle = a.GetPropValue(QStringLiteral("Picture"));
        QVERIFY(handle.toInt() != 0);
        b.SetPropValue(QStringLiteral("PICTURE"), handle);
        QCOMPARE(b.Picture.Data(), a.Picture.Data());
        // A number no picture holder was given for changes nothing.
        b.SetPropValue(QStringLiteral("PICTURE"), handle.toInt() + 1000);
        QCOMPARE(b.Picture.Size(), QSize(8, 4));
        int stale;
        {
            TqpPictureView gone;
            stale = gone.GetPropValue(QStringLiteral("PICTURE")).toInt();
        }
        b.SetPropValue(QStringLiteral("PICTURE"), stale);
        QCOMPARE(b.Picture.Size(), QSize(8, 4));
    }

    void loadFromFile()
    {
        QTemporaryDir dir;
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        const QByteArray jpeg = encoded(photo(64, 48), "JPEG");
        write(QStringLiteral("foto.jpg"), jpeg);
        write(QStringLiteral("logo.png"), encoded(twoColours(10, 6), "PNG"));
        write(QStringLiteral("bozuk.bmp"), QByteArray("BM not really a bitmap"));
        write(QStringLiteral("foto.bmp"), jpeg); // a photo renamed by hand
        TqpPictureView p;
        const auto load = [&](const QString &name) {
            p.DoMethod(QStringLiteral("LOADFROMFILE"), QStringLiteral("'%1'").arg(dir.filePath(name)), Variant(),
                       Variant());
        };
        load(QStringLiteral("foto.jpg"));
        QCOMPARE(p.Picture.Kind(), gkJPEG);
        QCOMPARE(p.Picture.Data(), jpeg);
        load(QStringLiteral("logo.png")); // PNG counts as a bitmap and keeps its bytes
        QCOMPARE(p.Picture.Kind(), gkBitmap);
        QCOMPARE(p.Picture.Size(), QSize(10, 6));
        QVERIFY(p.Picture.Data().startsWith("\x89PNG"));
        load(QStringLiteral("foto.bmp")); // the content decides, not the name
        QCOMPARE(p.Picture.Kind(), gkJPEG);
        QCOMPARE(p.Picture.Data(), jpeg);
        load(QStringLiteral("yok.jpg"));
        QVERIFY(p.Picture.IsEmpty());
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, load(QStringLiteral("bozuk.bmp")));
        QVERIFY(p.Picture.IsEmpty());
    }

    // The field's content decides what the picture is, whatever BlobType
    // says: the registration window stores any picture file the operator
    // chose. Bytes of no picture format print an empty picture, no error.
    void blobFieldByContent_data()
    {
        QTest::addColumn<int>("blobType");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("stored"); // the file the picture keeps, when not the field's bytes
        const QByteArray jpeg = encoded(photo(40, 30), "JPEG");
        const QByteArray png = encoded(twoColours(12, 8), "PNG");
        QTest::newRow("JPEG, BlobType btBMP") << int(btBMP) << jpeg << int(gkJPEG) << QSize(40, 30) << QByteArray();
        QTest::newRow("JPEG, BlobType btJPG") << int(btJPG) << jpeg << int(gkJPEG) << QSize(40, 30) << QByteArray();
        QTest::newRow("PNG, BlobType btBMP") << int(btBMP) << png << int(gkBitmap) << QSize(12, 8) << QByteArray();
        // Qt writes no GIF: a 3 x 2 one made with ImageMagick.
        const QByteArray gif("\x47\x49\x46\x38\x39\x61\x03\x00\x02\x00\xF0\x00\x00\x00\x80\x00\x00\x00\x00\x21\xF9"
                             "\x04\x00\x00\x00\x00\x00\x2C\x00\x00\x00\x00\x03\x00\x02\x00\x00\x02\x02\x84\x5F\x00\x3B",
                             43);
        QTest::newRow("GIF, BlobType btJPG") << int(btJPG) << gif << int(gkBitmap) << QSize(3, 2) << QByteArray();
        QTest::newRow("icon, BlobType btBMP") << int(btBMP) << encoded(twoColours(16, 16), "ICO") << int(gkIcon)
                                              << QSize(16, 16) << QByteArray();
        QTest::newRow("EMF, BlobType btJPG") << int(btJPG) << emfOfBitmap(twoColours(20, 10)) << int(gkMetafile)
                                             << QSize(20, 10) << QByteArray();
        QTest::newRow("text, BlobType btBMP") << int(btBMP) << QByteArray("Bu bir resim değil") << int(gkNone)
                                              << QSize() << QByteArray();
        QTest::newRow("truncated JPEG") << int(btJPG) << jpeg.left(100) << int(gkNone) << QSize() << QByteArray();
        QTest::newRow("null field") << int(btJPG) << QByteArray() << int(gkNone) << QSize() << QByteArray();
        // Bitmap fields of the old tables carry a graphic header first.
        const QByteArray bmp = encoded(twoColours(6, 4), "BMP");
        QTest::newRow("BMP after the old graphic header")
            << int(btBMP) << QByteArray("\x01\x00\x00\x01\x00\x00\x00\x00", 8) + bmp << int(gkBitmap) << QSize(6, 4) << bmp;
    }
    void blobFieldByContent()
    {
        QTemporaryDir dir;
        TTable::CreateTable(dir.filePath(QStringLiteral("Resim.db")),
                            {{QStringLiteral("Ad"), ftString, 10}, {QStringLiteral("Resim"), ftGraphic}}, -1);
        TTable table;
        table.DatabaseName = dir.path();
        table.TableName = QStringLiteral("Resim.db");
        table.Open();
        auto *field = static_cast<TBlobField *>(table.FieldByName(QStringLiteral("Resim")));
        QFETCH(int, blobType);
        QFETCH(QByteArray, bytes);
        table.Append();
        if (!bytes.isNull())
            field->setAsBytes(bytes);
        TqpPictureView p;
        p.Picture.SetBitmap(twoColours(2, 2)); // what the previous record showed
        p.BlobType = quint8(blobType);
        p.GetBlob(field);
        QFETCH(int, kind);
        QCOMPARE(int(p.Picture.Kind()), kind);
        QFETCH(QSize, size);
        if (kind != gkNone) {
            QCOMPARE(p.Picture.Size(), size);
            QFETCH(QByteArray, stored);
            QCOMPARE(p.Picture.Data(), stored.isEmpty() ? bytes : stored);
        }
        table.Cancel();
        table.Close();
    }

    // --- picture records

    void pictureRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::newRow("BMP") << int(gkBitmap) << encoded(twoColours(13, 7), "BMP") << QSize(13, 7);
        QTest::newRow("JPEG photo") << int(gkJPEG) << encoded(photo(120, 90), "JPEG") << QSize(120, 90);
        QTest::newRow("icon") << int(gkIcon) << encoded(twoColours(16, 16), "ICO") << QSize(16, 16);
        QTest::newRow("EMF") << int(gkMetafile) << emfOfBitmap(twoColours(20, 10)) << QSize(20, 10);
        QTest::newRow("placeable WMF") << int(gkMetafile) << wmfOfBitmap(twoColours(20, 10)) << QSize(20, 10);
        // A photo taken from a field keeps its own bytes in a bitmap record.
        QTest::newRow("PNG in a bitmap record") << int(gkBitmap) << encoded(twoColours(9, 5), "PNG") << QSize(9, 5);
        QTest::newRow("JPEG in a bitmap record") << int(gkBitmap) << encoded(photo(30, 20), "JPEG") << QSize(30, 20);
        QTest::newRow("empty") << int(gkNone) << QByteArray() << QSize(0, 0);
    }
    void pictureRoundTrip()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, bytes);
        TqpPictureView p;
        p.Name = QStringLiteral("Resim1");
        p.SetBounds(1, 2, 30, 40);
        p.Flags = 6;
        p.BlobType = btICO;
        if (kind != gkNone)
            QVERIFY(p.Picture.LoadFromData(TGraphicKind(kind), bytes));
        const QByteArray record = saved(p);
        // Kind, blob type, end position (the end of the record), the file.
        const int tail = commonRecordLength(p);
        QCOMPARE(int(quint8(record.at(tail))), kind);
        QCOMPARE(int(quint8(record.at(tail + 1))), int(btICO));
        QCOMPARE(qFromLittleEndian<qint32>(record.constData() + tail + 2), qint32(record.size()));
        QCOMPARE(record.mid(tail + 6), bytes);

        std::unique_ptr<TqpView> v(qpCreateObject(vkPicture, QString()));
        std::unique_ptr<QBuffer> in(reader(record + "\x7F"));
        v->LoadFromStream(*in);
        QCOMPARE(in->pos(), record.size());
        auto &q = static_cast<TqpPictureView &>(*v);
        QCOMPARE(q.Name, p.Name);
        QCOMPARE(int(q.Flags), 6);
        QCOMPARE(int(q.BlobType), int(btICO));
        QCOMPARE(int(q.Picture.Kind()), kind);
        QCOMPARE(q.Picture.Data(), bytes); // byte for byte
        QFETCH(QSize, size);
        QCOMPARE(q.Picture.Size(), size);
    }

    void oldPictureRecordHasNoBlobType()
    {
        TqpPictureView p;
        p.Picture.SetBitmap(twoColours(4, 4));
        QByteArray record = saved(p);
        const int tail = commonRecordLength(p);
        // Record version 1.0: no band alignment byte, no blob type byte.
        record.remove(tail + 1, 1);
        record.remove(tail - 1, 1);
        patch32(record, tail, quint32(record.size()));
        record[3] = 1; // RecordMajor, after the empty name
        TqpPictureView q;
        q.BlobType = btWMF;
        std::unique_ptr<QBuffer> in(reader(record));
        q.LoadFromStream(*in);
        QCOMPARE(int(q.BlobType), int(btWMF));
        QCOMPARE(q.Picture.Size(), QSize(4, 4));
    }

    void badPictureBytes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("raises");
        const QByteArray jpeg = encoded(photo(64, 64), "JPEG");
        QTest::newRow("truncated JPEG") << int(gkJPEG) << jpeg.left(120) << true;
        QTest::newRow("JPEG of noise") << int(gkJPEG) << QByteArray("\xFF\xD8\xFF\xE0 noise noise", 16) << true;
        QTest::newRow("truncated BMP") << int(gkBitmap) << encoded(twoColours(8, 8), "BMP").left(20) << true;
        QTest::newRow("BMP of absurd size") << int(gkBitmap) << absurdBmp() << true;
        QTest::newRow("metafile in a bitmap record") << int(gkBitmap) << emfOfBitmap(twoColours(4, 4)) << true;
        QTest::newRow("JPEG in a metafile record") << int(gkMetafile) << jpeg << true;
        QTest::newRow("icon of noise") << int(gkIcon) << QByteArray(40, '\x01') << true;
        QTest::newRow("no metafile header") << int(gkMetafile) << QByteArray(200, '\x07') << true;
        QTest::newRow("no bytes at all") << int(gkJPEG) << QByteArray() << true;
        QTest::newRow("unknown kind skipped") << 9 << QByteArray("whatever") << false;
    }
    void badPictureBytes()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, bytes);
        TqpPictureView p;
        p.Picture.SetBitmap(twoColours(2, 2));
        QByteArray record = saved(p);
        const int tail = commonRecordLength(p);
        record.truncate(tail);
        record.append(char(kind)).append(char(btJPG));
        Le end;
        end.i32(qint32(record.size() + 4 + bytes.size()));
        record += end.b + bytes;
        TqpPictureView q;
        std::unique_ptr<QBuffer> in(reader(record + "\x55"));
        QFETCH(bool, raises);
        if (raises)
            QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, q.LoadFromStream(*in));
        else
            q.LoadFromStream(*in);
        QVERIFY(q.Picture.IsEmpty());
        QCOMPARE(qpReadByte(*in), quint8(0x55)); // the stream goes on after the record
    }

    void pictureEndPositionOutsideTheStream_data()
    {
        QTest::addColumn<qint32>("end");
        QTest::newRow("beyond the stream") << qint32(1 << 30);
        QTest::newRow("before the graphic") << qint32(3);
        QTest::newRow("negative") << qint32(-8);
    }
    void pictureEndPositionOutsideTheStream()
    {
        TqpPictureView p;
        p.Picture.SetBitmap(twoColours(2, 2));
        QByteArray record = saved(p);
        QFETCH(qint32, end);
        patch32(record, commonRecordLength(p) + 2, quint32(end));
        TqpPictureView q;
        std::unique_ptr<QBuffer> in(reader(record));
        QVERIFY_THROWS_EXCEPTION(EReadError, q.LoadFromStream(*in));
    }

    // --- metafiles

    void metafileDrawsItsBitmap_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("EMF, through libemf2svg") << emfOfBitmap(twoColours(20, 10));
        QTest::newRow("placeable WMF, through libwmf") << wmfOfBitmap(twoColours(20, 10));
    }
    void metafileDrawsItsBitmap()
    {
        TMetafile mf;
        QFETCH(QByteArray, bytes);
        QVERIFY(mf.Load(bytes));
        QCOMPARE(mf.Size(), QSize(20, 10));
        QImage page(100, 60, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        QVERIFY(mf.Play(painter, QRectF(10, 10, 80, 40)));
        painter.end();
        QCOMPARE(at(page, 15, 30), kRed);
        QCOMPARE(at(page, 85, 30), kBlue);
        QCOMPARE(at(page, 5, 30), kWhite); // clipped to the target
        QCOMPARE(at(page, 95, 30), kWhite);
    }

    void hostileMetafiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<bool>("draws");
        const QByteArray emf = emfOfBitmap(twoColours(20, 10));
        const QByteArray wmf = wmfOfBitmap(twoColours(20, 10));
        const auto emfWith = [&](int at, quint32 v) {
            QByteArray b = emf;
            patch32(b, at, v);
            return b;
        };
        const auto wmfWith = [&](int at, quint32 v, bool word = false) {
            QByteArray b = wmf;
            word ? patch16(b, at, quint16(v)) : patch32(b, at, v);
            return b;
        };
        QTest::newRow("record size 0") << emfWith(kEmfRecord + 4, 0) << true << false;
        QTest::newRow("record size 7") << emfWith(kEmfRecord + 4, 7) << true << false;
        QTest::newRow("record past the end") << emfWith(kEmfRecord + 4, 0xFFFFFFF0) << true << false;
        QTest::newRow("header record past the end") << emfWith(4, 0xFFFFFFFF) << true << false;
        QTest::newRow("bitmap header offset outside") << emfWith(kEmfRecord + 48, 0xFFFFFFF0) << true << false;
        QTest::newRow("bitmap bits size huge") << emfWith(kEmfRecord + 60, 0x7FFFFFFF) << true << false;
        QTest::newRow("bitmap of 2^31 x 2^31") << [&] {
            QByteArray b = emfWith(kEmfDib + 4, 0x7FFFFFFF);
            patch32(b, kEmfDib + 8, 0x80000000);
            return b;
        }() << true << false;
        QTest::newRow("bitmap with 65535 bits a pixel") << emfWith(kEmfDib + 14, 0xFFFF) << true << false;
        QTest::newRow("destination at 2^31") << emfWith(kEmfRecord + 24, 0x7FFFFFFF) << true << true;
        QTest::newRow("frame of 2^31") << emfWith(32, 0x7FFFFFFF) << false << false;
        QTest::newRow("truncated in the header") << emf.left(60) << false << false;
        QTest::newRow("truncated in the bitmap") << emf.left(kEmfDib + 30) << true << false;
        QTest::newRow("WMF record size 0") << wmfWith(kWmfRecord, 0) << true << false;
        QTest::newRow("WMF record past the end") << wmfWith(kWmfRecord, 0x7FFFFFFF) << true << false;
        QTest::newRow("WMF bitmap header size huge") << wmfWith(kWmfDib, 0xFFFFFFFF) << true << false;
        QTest::newRow("WMF colour table huge") << wmfWith(kWmfDib + 32, 0x00FFFFFF) << true << false;
        QTest::newRow("WMF window extent 0") << wmfWith(40 + 10 + 6, 0, true) << true << true;
        QTest::newRow("WMF of zero inch") << wmfWith(14, 0, true) << false << false;
    }
    void hostileMetafiles()
    {
        TMetafile mf;
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        QCOMPARE(mf.Load(bytes), loads);
        if (!mf.IsEmpty()) {
            QImage page(64, 64, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            QFETCH(bool, draws);
            QCOMPARE(mf.CanDraw(), draws);
            QCOMPARE(mf.Play(painter, QRectF(4, 4, 56, 56)), draws);
            painter.end();
            // Nothing drawable: the frame is outlined instead.
            if (!draws) {
                int marked = 0;
                for (int y = 0; y < 64; ++y)
                    for (int x = 0; x < 64; ++x)
                        marked += at(page, x, y) != kWhite;
                QVERIFY(marked > 0);
            }
        }
    }

    // --- lines

    void lineTakesItsOrientation_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("after");
        QTest::addColumn<int>("frameTyp");
        QTest::addColumn<QRect>("drawn"); // the line from its top-left to its bottom-right
        QTest::newRow("150 x 30 is horizontal") << QSize(150, 30) << QSize(150, 0) << 8 << QRect(QPoint(10, 20), QPoint(160, 20));
        QTest::newRow("30 x 30 is vertical") << QSize(30, 30) << QSize(0, 30) << 4 << QRect(QPoint(10, 20), QPoint(10, 50));
        QTest::newRow("5 x 80 is vertical") << QSize(5, 80) << QSize(0, 80) << 4 << QRect(QPoint(10, 20), QPoint(10, 100));
    }
    void lineTakesItsOrientation()
    {
        QFETCH(QSize, size);
        QImage page(200, 120, QImage::Format_RGB32);
        TCanvas canvas(&page);
        canvas.setRecording(true);
        TqpLineView line;
        line.SetBounds(10, 20, size.width(), size.height());
        line.Draw(&canvas);
        QFETCH(QSize, after);
        QCOMPARE(QSize(line.Width, line.Height), after);
        QFETCH(int, frameTyp);
        QCOMPARE(int(line.FrameTyp), frameTyp);
        QCOMPARE(canvas.shapes().size(), 1); // no corner marks on a line
        QFETCH(QRect, drawn);
        QCOMPARE(canvas.shapes().first().geometry, drawn);
        QCOMPARE(line.CalcHeight(), line.Height);
        QCOMPARE(line.MinHeight(), 1);
        QCOMPARE(line.LostSpace(), 0);
    }

    void lineHitRegion_data()
    {
        QTest::addColumn<int>("frameTyp");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("style");
        QTest::addColumn<TRect>("normal");
        // Lines at (100, 50); vertical 0 x 40, horizontal 60 x 0.
        QTest::newRow("vertical, 1") << 4 << 1.0 << 0 << TRect{100, 50, 101, 91};
        QTest::newRow("vertical, 3") << 4 << 3.0 << 0 << TRect{99, 50, 102, 91};
        QTest::newRow("vertical, double 2") << 4 << 2.0 << 5 << TRect{97, 50, 103, 91};
        QTest::newRow("horizontal, 3") << 8 << 3.0 << 1 << TRect{100, 49, 161, 52};
        QTest::newRow("horizontal, double 1") << 8 << 1.0 << 5 << TRect{100, 49, 161, 52};
        QTest::newRow("horizontal, 0.5") << 8 << 0.5 << 0 << TRect{100, 50, 161, 51};
    }
    void lineHitRegion()
    {
        QFETCH(int, frameTyp);
        QFETCH(TRect, normal);
        TqpLineView line;
        line.FrameTyp = quint16(frameTyp);
        line.SetBounds(100, 50, frameTyp == 4 ? 0 : 60, frameTyp == 4 ? 40 : 0);
        QFETCH(double, width);
        line.FrameWidth = float(width);
        QFETCH(int, style);
        line.FrameStyle = quint16(style);
        QCOMPARE(line.GetClipRgn(rtNormal), normal);
        QCOMPARE(line.GetClipRgn(rtExtended),
                 (TRect{normal.Left - 10, normal.Top - 10, normal.Right + 10, normal.Bottom + 10}));
    }

    // --- bands

    void bandNames()
    {
        const QStringList &names = qpBandNames();
        QCOMPARE(names.size(), 23);
        QCOMPARE(names.at(btReportTitle), QStringLiteral("Rapor başlığı"));
        QCOMPARE(names.at(btPageFooter), QStringLiteral("Sayfa sonu başı"));
        QCOMPARE(names.at(btCrossHeader), QStringLiteral("Çapraz başlığı"));
        QCOMPARE(names.at(btNone), QStringLiteral("Hiçbiri"));
    }

    void bandPropertyList_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("own"); // what follows the common entries
        const QStringList child{"ChildBand", "PrintChildIfInvisible"};
        QTest::newRow("page footer") << int(btPageFooter) << QStringList{"OnFirstPage", "OnLastPage", "EOF"};
        QTest::newRow("page header")
            << int(btPageHeader) << child + QStringList{"Stretched", "OnFirstPage", "EOF"};
        QTest::newRow("group header")
            << int(btGroupHeader)
            << child + QStringList{"Stretched", "FormNewPage", "Breaked", "RepeatHeader", "Condition", "Master", "EOF"};
        for (int t : {btMasterData, btDetailData})
            QTest::addRow("data band %d", t)
                << t
                << child + QStringList{"Stretched", "FormNewPage", "PrintIfSubsetEmpty", "Breaked", "Columns",
                                       "ColumnWidth", "ColumnGap", "DataSource", "EOF"};
        QTest::newRow("sub-detail data")
            << int(btSubDetailData)
            << child + QStringList{"Stretched", "FormNewPage", "Breaked", "Columns", "ColumnWidth", "ColumnGap",
                                   "DataSource", "EOF"};
        QTest::newRow("master header")
            << int(btMasterHeader) << child + QStringList{"Stretched", "Breaked", "RepeatHeader", "EOF"};
        QTest::newRow("cross header") << int(btCrossHeader) << child + QStringList{"Stretched", "RepeatHeader", "EOF"};
        QTest::newRow("cross data") << int(btCrossData) << child + QStringList{"DataSource", "EOF"};
        QTest::newRow("overlay") << int(btOverlay) << child + QStringList{"EOF"};
        QTest::newRow("child") << int(btChild) << child + QStringList{"Stretched", "Breaked", "EOF"};
    }
    void bandPropertyList()
    {
        QFETCH(int, type);
        QFETCH(QStringList, own);
        TqpBandView band;
        band.SetBandType(type);
        QCOMPARE(propNames(band), (QStringList{"Name", "Left", "Top", "Width", "Height", "Flags", "Visible",
                                               "OnBeforePrint", "Memo.Count", "Restrictions"}) +
                                      own);
    }

    void bandListsOfOtherBands()
    {
        TestPage &page = report->page();
        qpDesignerPage = &page;
        const auto band = [&](int type) {
            auto *b = report->add<TqpBandView>();
            b->SetBandType(type);
            return b;
        };
        TqpBandView *group = band(btGroupHeader);
        band(btChild);
        band(btMasterData);
        band(btChild);
        band(btSubDetailData);
        band(btPageHeader);
        TqpBandView *child = band(btChild);
        QCOMPARE(group->GetPropRec(QStringLiteral("ChildBand"))->Enum, (QStringList{"Band2", "Band4", "Band7"}));
        QCOMPARE(group->GetPropRec(QStringLiteral("Master"))->Enum, (QStringList{"Band3", "Band5"}));
        QVERIFY(group->GetPropRec(QStringLiteral("Master"))->EnumValues.isEmpty());
        QCOMPARE(child->GetPropRec(QStringLiteral("ChildBand"))->Enum, (QStringList{"Band2", "Band4"}));
        // Outside the designer the lists stay empty.
        DocMode = dmPrinting;
        TqpBandView printing;
        printing.SetBandType(btGroupHeader);
        QVERIFY(printing.GetPropRec(QStringLiteral("ChildBand"))->Enum.isEmpty());
    }

    void bandProperties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bit");
        QTest::newRow("FormNewPage") << "FORMNEWPAGE" << 0x02;
        QTest::newRow("PrintIfSubsetEmpty") << "PrintIfSubsetEmpty" << 0x04;
        QTest::newRow("Breaked") << "BREAKED" << 0x08;
        QTest::newRow("OnFirstPage") << "OnFirstPage" << 0x10;
        QTest::newRow("OnLastPage") << "ONLASTPAGE" << 0x20;
        QTest::newRow("RepeatHeader") << "RepeatHeader" << 0x40;
        QTest::newRow("PrintChildIfInvisible") << "PRINTCHILDIFINVISIBLE" << 0x80;
        QTest::newRow("Stretched") << "Stretched" << 0x01;
    }
    void bandProperties()
    {
        QFETCH(QString, name);
        QFETCH(int, bit);
        TqpBandView band;
        band.Flags = 0;
        band.SetPropValue(name, true);
        QCOMPARE(int(band.Flags), bit);
        QCOMPARE(band.GetPropValue(name).toBool(), true);
        band.Flags = 0xFF;
        band.SetPropValue(name, false);
        QCOMPARE(int(band.Flags), 0xFF & ~bit);
        QCOMPARE(band.GetPropValue(name).toBool(), false);
    }

    void bandTextProperties()
    {
        TqpBandView band;
        band.SetPropValue(QStringLiteral("Condition"), QStringLiteral("[Uye.\"Sehir\"]"));
        QCOMPARE(band.FormatStr, QStringLiteral("[Uye.\"Sehir\"]"));
        band.SetPropValue(QStringLiteral("DataSource"), QStringLiteral("UyeKayitForm1.qpDBDataSet1"));
        QCOMPARE(band.GetPropValue(QStringLiteral("CONDITION")).toString(), QStringLiteral("UyeKayitForm1.qpDBDataSet1"));
        band.SetPropValue(QStringLiteral("ChildBand"), QStringLiteral("Cocuk1"));
        band.SetPropValue(QStringLiteral("Master"), QStringLiteral("MasterVerileri"));
        for (const char *n : {"Columns", "ColumnWidth", "ColumnGap", "NewColumnAfter"})
            band.SetPropValue(QLatin1String(n), int(qstrlen(n)));
        QCOMPARE(band.GetPropValue(QStringLiteral("CHILDBAND")).toString(), QStringLiteral("Cocuk1"));
        QCOMPARE(band.Master, QStringLiteral("MasterVerileri"));
        QCOMPARE(QList<int>({band.Columns, band.ColumnWidth, band.ColumnGap, band.NewColumnAfter}),
                 QList<int>({7, 11, 9, 14}));
        QCOMPARE(band.GetPropValue(QStringLiteral("ColumnGap")).toInt(), 9);
        // No run-time band, no data set: nothing left to walk.
        QCOMPARE(band.GetPropValue(QStringLiteral("EOF")).toBool(), true);
    }

    void bandReachesItsRunTimeBandOnlyWhilePrinting()
    {
        TestPage &page = report->page();
        auto *band = report->add<TqpBandView>();
        auto *child = report->add<TqpBandView>();
        child->Name = QStringLiteral("Cocuk");
        RecordingRunBand run, childRun;
        band->OwnerBand = &run;
        child->OwnerBand = &childRun;
        band->SetBounds(0, 100, 700, 30);

        // In the designer only the band object changes.
        band->SetPropValue(QStringLiteral("Top"), 120);
        band->SetPropValue(QStringLiteral("Breaked"), true);
        QCOMPARE(band->Top, 120);
        QCOMPARE(run.geometry, QRect(5, 6, 700, 40));
        QVERIFY(!run.breakable);

        DocMode = dmPrinting;
        CurPage = &page;
        QCOMPARE(band->GetPropValue(QStringLiteral("TOP")).toInt(), 6);
        band->SetPropValue(QStringLiteral("Height"), 55);
        band->SetPropValue(QStringLiteral("Left"), 3);
        QCOMPARE(run.geometry, QRect(3, 6, 700, 55));
        QCOMPARE(band->Height, 55);
        band->SetPropValue(QStringLiteral("Visible"), false);
        QVERIFY(!run.visible);
        QCOMPARE(band->GetPropValue(QStringLiteral("VISIBLE")).toBool(), false);
        band->SetPropValue(QStringLiteral("Breaked"), true);
        QVERIFY(run.breakable);
        band->SetPropValue(QStringLiteral("Condition"), QStringLiteral("[x]"));
        QCOMPARE(run.condition, QStringLiteral("[x]"));
        band->SetPropValue(QStringLiteral("DataSource"), QStringLiteral("qpDBDataSet2"));
        QCOMPARE(run.dataSource, QStringLiteral("qpDBDataSet2"));
        band->SetPropValue(QStringLiteral("ChildBand"), QStringLiteral("cocuk"));
        QCOMPARE(run.child, &childRun);
        band->SetPropValue(QStringLiteral("ChildBand"), QStringLiteral("Yok"));
        QCOMPARE(run.child, nullptr);
        QCOMPARE(band->GetPropValue(QStringLiteral("EOF")).toBool(), true);
        QVERIFY(band->DoMethod(QStringLiteral("NEXT"), Variant(), Variant(), Variant()).isNull());

        // Scripts walk the band's data set: two records.
        TqpDataset ds;
        ds.RangeEnd = reCount;
        ds.RangeEndCount = 2;
        run.dataSet = &ds;
        const auto call = [&](const char *method) {
            band->DoMethod(QLatin1String(method), Variant(), Variant(), Variant());
            return band->GetPropValue(QStringLiteral("Eof")).toBool();
        };
        QCOMPARE(call("FIRST"), false);
        QCOMPARE(call("NEXT"), false);
        QCOMPARE(call("NEXT"), true);
        QCOMPARE(call("PRIOR"), false);
        QCOMPARE(ds.RecNo(), 1);
        DocMode = dmDesigning; // the designer never moves it
        band->DoMethod(QStringLiteral("NEXT"), Variant(), Variant(), Variant());
        QCOMPARE(ds.RecNo(), 1);
        band->OwnerBand = nullptr;
        child->OwnerBand = nullptr;
        CurPage = nullptr;
    }

    void bandRoundTrip()
    {
        TqpBandView band;
        band.Name = QStringLiteral("GrupBasligi1");
        band.SetBandType(btGroupHeader);
        band.SetBounds(0, 210, 700, 36);
        band.Flags = 0xE9;
        band.FormatStr = QStringLiteral("[Uye.\"Sehir\"]");
        band.Memo = {QStringLiteral("if [Sayfa] > 1 then Visible := False;")};
        band.ChildBand = QStringLiteral("Cocuk1");
        band.Master = QStringLiteral("MasterVerileri");
        band.Columns = 3;
        band.ColumnWidth = 180;
        band.ColumnGap = 12;
        band.NewColumnAfter = 4;
        const QByteArray record = saved(band);
        QCOMPARE(int(band.RecordMinor), 1);
        TqpBandView read;
        std::unique_ptr<QBuffer> in(reader(record));
        read.LoadFromStream(*in);
        QVERIFY(in->atEnd());
        QCOMPARE(read.GetBandType(), int(btGroupHeader));
        QCOMPARE(read.Flags, band.Flags);
        QCOMPARE(read.FormatStr, band.FormatStr);
        QCOMPARE(read.Memo, band.Memo);
        QCOMPARE(QStringList({read.ChildBand, read.Master}), QStringList({band.ChildBand, band.Master}));
        QCOMPARE(QList<int>({read.Columns, read.ColumnWidth, read.ColumnGap, read.NewColumnAfter}),
                 QList<int>({3, 180, 12, 4}));
        QCOMPARE(saved(read), record);

        // Record version 2.0 carries no master; version 23 nothing of the band's own.
        QByteArray noMaster = record.left(record.size() - 3 - band.Master.size());
        noMaster[band.Name.size() + 4] = 0; // RecordMinor 0
        TqpBandView older;
        std::unique_ptr<QBuffer> in2(reader(noMaster));
        older.LoadFromStream(*in2);
        QVERIFY(in2->atEnd());
        QCOMPARE(older.Columns, 3);
        QVERIFY(older.Master.isEmpty());
    }

    void subReportAndLineRoundTrip()
    {
        TqpSubReportView sub;
        sub.Name = QStringLiteral("AltRapor1");
        sub.SetBounds(20, 300, 400, 60);
        sub.SubPage = 2;
        const QByteArray subRecord = saved(sub);
        QCOMPARE(qFromLittleEndian<qint32>(subRecord.constData() + subRecord.size() - 4), 2);
        std::unique_ptr<TqpView> readSub(qpCreateObject(vkSubReport, QString()));
        std::unique_ptr<QBuffer> in(reader(subRecord));
        readSub->LoadFromStream(*in);
        QCOMPARE(static_cast<TqpSubReportView &>(*readSub).SubPage, 2);
        QCOMPARE(readSub->Name, sub.Name);

        TqpLineView line;
        line.Name = QStringLiteral("Cizgi");
        line.SetBounds(20, 30, 0, 90);
        line.FrameWidth = 2.5f;
        line.FrameStyle = psDouble;
        line.FrameColor = 0x0000FF;
        const QByteArray lineRecord = saved(line);
        std::unique_ptr<TqpView> readLine(qpCreateObject(vkLine, QString()));
        std::unique_ptr<QBuffer> in2(reader(lineRecord));
        readLine->LoadFromStream(*in2);
        QCOMPARE(readLine->FrameWidth, 2.5f);
        QCOMPARE(int(readLine->FrameStyle), int(psDouble));
        QCOMPARE(int(readLine->FrameTyp), int(qpftLeft));
        QCOMPARE(readLine->Height, 90);
    }

    void bandLaidAcrossTheSheet()
    {
        TestPage &page = report->page();
        page.leftMargin = 40;
        qpDesignerPage = &page;
        QImage image(800, 1100, QImage::Format_RGB32);
        TCanvas canvas(&image);
        canvas.setRecording(true);
        TqpBandView band;
        band.SetBandType(btMasterData);
        band.SetBounds(300, 100, 20, 50);
        band.Columns = 3;
        band.ColumnWidth = 200;
        band.ColumnGap = 20;
        band.Draw(&canvas);
        QCOMPARE(QList<int>({band.Left, band.Width, band.Top, band.Height}), QList<int>({0, 750, 100, 50}));
        QList<QRect> columns;
        for (const auto &s : canvas.shapes())
            if (s.kind == TCanvas::ShapeRecord::Rect && s.pen.Style == psDot)
                columns.append(s.geometry);
        QCOMPARE(columns, (QList<QRect>{QRect(QPoint(40, 100), QPoint(240, 151)), QRect(QPoint(260, 100), QPoint(460, 151)),
                                        QRect(QPoint(480, 100), QPoint(680, 151))}));
        QCOMPARE(canvas.texts().size(), 1);
        QCOMPARE(canvas.texts().first().text, QStringLiteral("Master verileri"));
        QCOMPARE(canvas.texts().first().pos, QPoint(4, 83));
        // The tab is 100 long for a short title and belongs to the hit region.
        QCOMPARE(band.TitleRect(), (TRect{0, 82, 100, 100}));
        QCOMPARE(band.GetClipRgn(rtNormal), (TRect{0, 100, 751, 151}));

        TqpBandView cross;
        cross.SetBandType(btCrossData);
        cross.SetBounds(500, 300, 60, 10);
        cross.Draw(&canvas);
        QCOMPARE(QList<int>({cross.Left, cross.Width, cross.Top, cross.Height}), QList<int>({500, 60, 0, 1060}));
        QCOMPARE(cross.TitleRect(), (TRect{482, 0, 500, 100}));
        // Turned upwards, ending 4 units below the strip's top.
        const TCanvas::TextRecord turned = canvas.texts().last();
        QCOMPARE(turned.pos, QPoint(485, turned.width + 4));
        QCOMPARE(turned.font.Orientation, 900);
        ShowBandTitles = false;
        QCOMPARE(cross.TitleRect(), TRect{});
        canvas.clearRecords();
        cross.Draw(&canvas);
        QCOMPARE(canvas.texts().first().pos, QPoint(502, 94));
        QCOMPARE(canvas.texts().first().font.Orientation, 900);
    }

    void bandColumnsOfHostileSizesStayBounded()
    {
        TestPage &page = report->page();
        qpDesignerPage = &page;
        QImage image(100, 100, QImage::Format_RGB32);
        TCanvas canvas(&image);
        canvas.setRecording(true);
        TqpBandView band;
        band.SetBandType(btDetailData);
        band.SetBounds(0, 10, 0, 1 << 30);
        band.Columns = std::numeric_limits<int>::max();
        band.ColumnWidth = 0;
        band.ColumnGap = 0;
        band.Draw(&canvas);
        int dotted = 0;
        for (const auto &s : canvas.shapes())
            dotted += s.kind == TCanvas::ShapeRecord::Rect && s.pen.Style == psDot;
        QCOMPARE(dotted, 1);
    }

    // --- the picture of everything

    void drawingOfEveryKind()
    {
        TestPage &page = report->page();
        page.leftMargin = 20;
        qpDesignerPage = &page;
        QImage image(760, 560, QImage::Format_RGB32);
        image.fill(Qt::white);
        TCanvas canvas(&image);

        TqpBandView band;
        band.Name = QStringLiteral("MasterVerileri1");
        band.SetBandType(btMasterData);
        band.SetBounds(0, 30, 0, 160);
        band.Columns = 3;
        band.ColumnWidth = 230;
        band.ColumnGap = 10;
        band.Draw(&canvas);

        // Three pictures of one 200 x 100 photo in 100 x 100 objects.
        const QByteArray jpeg = encoded(photo(200, 100), "JPEG");
        // Stretched; stretched, centred, keep aspect; own size, centred.
        for (auto [left, flags] : {std::pair(30, 1), std::pair(160, 7), std::pair(340, 2)}) {
            TqpPictureView p;
            p.SetBounds(left, 50, 100, 100);
            p.Flags = quint16(flags);
            p.FrameTyp = 15;
            QVERIFY(p.Picture.LoadFromData(gkJPEG, jpeg));
            p.Draw(&canvas);
        }
        const int x = 560;
        TqpPictureView logo;
        logo.SetBounds(x, 50, 120, 60);
        logo.FrameTyp = 15;
        QVERIFY(logo.Picture.LoadFromData(gkMetafile, emfOfBitmap(twoColours(40, 20))));
        logo.Draw(&canvas);
        TqpPictureView empty;
        empty.SetBounds(x, 120, 120, 40);
        empty.Draw(&canvas);

        // Lines in every style, horizontal and vertical.
        for (int style = 0; style <= 5; ++style) {
            TqpLineView h, v;
            h.SetBounds(30, 230 + style * 25, 300, 3);
            v.SetBounds(380 + style * 25, 230, 4, 150);
            for (TqpLineView *l : {&h, &v}) {
                l->FrameStyle = quint16(style);
                l->FrameWidth = 2;
                l->Draw(&canvas);
            }
        }
        TqpSubReportView sub;
        sub.Name = QStringLiteral("AltRapor1");
        sub.SetBounds(560, 250, 150, 60);
        sub.Draw(&canvas);

        TqpBandView footer;
        footer.SetBandType(btPageFooter);
        footer.SetBounds(0, 460, 0, 60);
        footer.Draw(&canvas);
        canvas.SetClipRect(QRect());

        if (const QByteArray dir = qgetenv("ZELVAN_PNG_DIR"); !dir.isEmpty())
            QVERIFY(image.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("model_kinds.png"))));

        // The tab of the band title in button face, the hatch's grey dots.
        QCOMPARE(at(image, 95, 14), 0xF0F0F0u);
        int dots = 0;
        for (int y = 176; y < 184; ++y)
            for (int i = 600; i < 608; ++i)
                dots += at(image, i, y) == 0xC0C0C0;
        QVERIFY(dots > 0);
        // The stretched photo fills its object; keep-aspect leaves white above it.
        QVERIFY(at(image, 80, 55) != kWhite);
        QCOMPARE(at(image, 210, 60), kWhite);
        QVERIFY(at(image, 210, 100) != kWhite);
        // The metafile's bitmap: red on the left, blue on the right.
        QCOMPARE(at(image, x + 10, 80), kRed);
        QCOMPARE(at(image, x + 110, 80), kBlue);
        // A solid line is unbroken, a dotted one has gaps.
        int solidGaps = 0, dotGaps = 0;
        for (int i = 40; i < 300; ++i) {
            solidGaps += at(image, i, 230) == kWhite;
            dotGaps += at(image, i, 280) == kWhite && at(image, i, 279) == kWhite;
        }
        QCOMPARE(solidGaps, 0);
        QVERIFY(dotGaps > 20);
    }
};

QTEST_MAIN(TestModelKinds)
#include "test_model_kinds.moc"
