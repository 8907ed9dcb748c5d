// The application object's error handler, the modal seam's refusal, and
// picture decoding.
#include "application.h"
#include "invalid_operation.h"
#include "picture_reader.h"
#include "scripted_ui.h"

#include <QBuffer>
#include <QDialog>
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
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_platform.moc"
