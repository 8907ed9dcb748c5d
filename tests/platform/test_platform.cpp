// The application object's error handler, the modal seam's refusal, and
// pictures: recognising them by content, decoding, and drawing metafiles.
#include "application.h"
#include "invalid_operation.h"
#include "picture.h"
#include "picture_reader.h"
#include "scripted_ui.h"

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

namespace {

// Raises from its event handler, as a failing command does.
class Failing : public QObject {
public:
    int handled = 0;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        if (handled == 1)
            throw std::runtime_error("Kayıt bulunamadı: çğışöü");
        return true;
    }
};

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

QByteArray fixture(const char *name)
{
    QFile file(QDir(QStringLiteral(PICTURE_FIXTURES)).filePath(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How many pixels of `a` have no pixel of a close colour (no channel more
// than `tolerance` apart) in `b` within two pixels of the same place: two
// renderers may put an edge a pixel or so apart (libemf2svg also outlines
// each shape with its pen, one pixel wide).
int differingPixels(const QImage &a, const QImage &b, int tolerance)
{
    const auto close = [tolerance](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) <= tolerance && std::abs(qGreen(p) - qGreen(q)) <= tolerance &&
               std::abs(qBlue(p) - qBlue(q)) <= tolerance;
    };
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool matched = false;
            for (int dy = -2; dy <= 2 && !matched; ++dy)
                for (int dx = -2; dx <= 2 && !matched; ++dx)
                    matched = b.rect().contains(x + dx, y + dy) && close(a.pixel(x, y), b.pixel(x + dx, y + dy));
            count += !matched;
        }
    return count;
}

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x ^ y) & 0xff));
    return image;
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Zelvan")); }

    void errorInEventShowsBoxAndLoopGoesOn()
    {
        TScriptedUi ui;
        Failing target;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(target.handled, 2);
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(ui.boxes[0].title, QStringLiteral("Zelvan"));
        QCOMPARE(ui.boxes[0].text, QStringLiteral("Kayıt bulunamadı: çğışöü"));
    }

    void guardedCommandShowsAnyError_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("std") << 0 << QStringLiteral("Tablo kilitli");
        QTest::newRow("unknown") << 1 << QStringLiteral("Beklenmeyen bir hata oluştu.");
    }

    void guardedCommandShowsAnyError()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        TScriptedUi ui;
        bool after = false;
        Guarded([&] {
            if (kind == 0)
                throw EInvalidOperation(QStringLiteral("Tablo kilitli"));
            throw 42;
        });
        after = true;
        QVERIFY(after);
        QCOMPARE(ui.errors(), QStringList{text});
    }

    void showModalRefusesVisibleWindow()
    {
        TScriptedUi ui;
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Takvim"));
        dialog.show();
        QVERIFY_THROWS_EXCEPTION(EInvalidOperation, UiSeam::ShowModal(&dialog));
        QVERIFY(ui.modalShown.isEmpty());
        dialog.hide();
        ui.modalActions.append([](QDialog *d) { d->accept(); });
        QCOMPARE(UiSeam::ShowModal(&dialog), int(QDialog::Accepted));
        QCOMPARE(ui.modalShown.size(), 1);
        QVERIFY(!dialog.isVisible());
    }

    void jpegDecodesInBandsWithProgress()
    {
        const QImage source = pattern(64, 50);
        const QByteArray jpeg = encoded(source, "JPEG");
        QList<int> reports;
        const QImage banded = ReadPicture(jpeg, [&](int p) { reports.append(p); });
        QCOMPARE(banded.size(), source.size());
        QCOMPARE(reports.first(), 0);
        QCOMPARE(reports.last(), 100);
        QVERIFY(std::is_sorted(reports.begin(), reports.end()));
        QVERIFY(reports.size() > 2);
        // Band by band gives the same picture as one decode.
        const QImage whole = ReadPicture(jpeg).convertToFormat(QImage::Format_RGB32);
        int worst = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x) {
                const QRgb a = whole.pixel(x, y), b = banded.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    }

    void otherPicturesAndGarbage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::newRow("png") << encoded(pattern(30, 20), "PNG") << QSize(30, 20);
        QTest::newRow("bmp") << encoded(pattern(7, 9), "BMP") << QSize(7, 9);
        QTest::newRow("empty") << QByteArray() << QSize();
        QTest::newRow("garbage") << QByteArray("not a picture at all") << QSize();
        QTest::newRow("truncated jpeg") << encoded(pattern(64, 50), "JPEG").left(40) << QSize();
    }

    void otherPicturesAndGarbage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QList<int> reports;
        const QImage image = ReadPicture(bytes, [&](int p) { reports.append(p); });
        QCOMPARE(image.isNull() ? QSize() : image.size(), size);
        if (!bytes.startsWith("\xff\xd8"))
            QVERIFY(reports.isEmpty());
    }

    // Both metafiles were made by LibreOffice from logo.svg (see
    // fixtures/README.md): drawn into a target they must look like the SVG
    // drawn into the same target, apart from the edges of the shapes.
    void metafilesDrawLikeTheirDrawing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("EMF, through libemf2svg") << fixture("logo.emf");
        QTest::newRow("WMF, through libwmf") << fixture("logo.wmf");
    }
    void metafilesDrawLikeTheirDrawing()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!bytes.isEmpty());
        TPicture picture;
        QVERIFY(picture.LoadFromData(bytes));
        QCOMPARE(picture.Kind(), gkMetafile);
        QCOMPARE(picture.Data(), bytes); // kept as it came, for saving
        QCOMPARE(picture.Size(), QSize(227, 113)); // 60 x 30 mm at 96 pixels an inch
        QVERIFY(picture.Metafile().CanDraw());

        const QRectF target(10, 10, 300, 150);
        QImage drawn(320, 170, QImage::Format_RGB32), expected(drawn.size(), QImage::Format_RGB32);
        drawn.fill(Qt::white);
        expected.fill(Qt::white);
        {
            QPainter p(&drawn);
            QVERIFY(picture.Metafile().Play(p, target));
        }
        {
            QSvgRenderer svg(QDir(QStringLiteral(PICTURE_FIXTURES)).filePath(QStringLiteral("logo.svg")));
            QVERIFY(svg.isValid());
            QPainter p(&expected);
            svg.render(&p, target);
        }
        // Colours inside the shapes: the square, the triangle, the disc, the bar.
        for (const QPoint &at : {QPoint(30, 40), QPoint(85, 110), QPoint(230, 60), QPoint(230, 85), QPoint(5, 5)})
            QCOMPARE(QColor(drawn.pixel(at)).name(), QColor(expected.pixel(at)).name());
        const int differing = differingPixels(drawn, expected, 32);
        // Well below what one missing shape, the bar, would leave (1650 pixels).
        QVERIFY2(differing < drawn.width() * drawn.height() * 3 / 200, qPrintable(QString::number(differing)));
        qInfo("%d pixels differ", differing);
        // The same through the picture reader that the windows use.
        const QImage read = ReadPicture(bytes);
        QCOMPARE(read.size(), QSize(227, 113));
    }

    // What a picture is comes from its bytes alone.
    void picturesRecognisedByContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("size");
        QTest::newRow("JPEG") << encoded(pattern(32, 24), "JPEG") << int(gkJPEG) << QSize(32, 24);
        QTest::newRow("PNG") << encoded(pattern(30, 20), "PNG") << int(gkBitmap) << QSize(30, 20);
        QTest::newRow("BMP") << encoded(pattern(7, 9), "BMP") << int(gkBitmap) << QSize(7, 9);
        QTest::newRow("GIF") << fixture("photo.gif") << int(gkBitmap) << QSize(3, 2); // Qt writes no GIF
        QTest::newRow("ICO") << encoded(pattern(16, 16), "ICO") << int(gkIcon) << QSize(16, 16);
        QTest::newRow("EMF") << fixture("logo.emf") << int(gkMetafile) << QSize(227, 113);
        QTest::newRow("WMF") << fixture("logo.wmf") << int(gkMetafile) << QSize(227, 113);
        QTest::newRow("SVG, which Qt reads but photos never are") << fixture("logo.svg") << int(gkNone) << QSize();
        QTest::newRow("text") << QByteArray("Bu bir resim değil") << int(gkNone) << QSize();
        QTest::newRow("truncated PNG") << encoded(pattern(30, 20), "PNG").left(30) << int(gkNone) << QSize();
        QTest::newRow("nothing") << QByteArray() << int(gkNone) << QSize();
    }
    void picturesRecognisedByContent()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(QSize, size);
        TPicture picture;
        QCOMPARE(picture.LoadFromData(bytes), kind != gkNone);
        QCOMPARE(int(picture.Kind()), kind);
        if (kind == gkNone) {
            QVERIFY(picture.Data().isEmpty());
            QVERIFY(ReadPicture(bytes).isNull());
            return;
        }
        QCOMPARE(picture.Size(), size);
        QCOMPARE(picture.Data(), bytes);
        QCOMPARE(picture.ToImage().size(), size);
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_platform.moc"
