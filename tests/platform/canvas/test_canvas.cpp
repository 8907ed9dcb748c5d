// The drawing surface: font mapping and metrics (Liberation Sans stands in
// for Arial, so the widths below hold on every machine with the program's
// fonts), text placed by its cell's top-left corner, spacing and
// justification, rotation, clipping, edge rules of shapes, and recording.

#include "canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

QImage whitePage(int w = 200, int h = 120)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// The bounding box of the pixels that are not white.
QRect inkBox(const QImage &img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT
private slots:
    void windowsFontNamesAreMapped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        QTest::newRow("Arial") << "Arial" << "Liberation Sans";
        QTest::newRow("any case") << "times new roman" << "Liberation Serif";
        QTest::newRow("Courier New") << "Courier New" << "Liberation Mono";
        QTest::newRow("Tahoma") << "Tahoma" << "DejaVu Sans";
        QTest::newRow("MS Sans Serif") << "MS Sans Serif" << "DejaVu Sans";
        QTest::newRow("other names pass") << "DejaVu Serif" << "DejaVu Serif";
    }
    // The names templates carry are drawn in their installed (metric) twins,
    // by the canvas of every output alike: screen, preview, printer and PDF.
    void windowsFontNamesAreMapped()
    {
        QFETCH(QString, name);
        QFETCH(QString, family);
        QCOMPARE(mappedFontFamily(name), family);
        QCOMPARE(drawnFontFamily(name), family);
        QVERIFY(fontInstalled(name));
        const auto draw = [](const QString &fontName) {
            QImage img = whitePage();
            TCanvas c(&img);
            c.OpaqueBackground = false;
            c.Font.Name = fontName;
            c.Font.Height = -16;
            c.TextOut(4, 4, QStringLiteral("Ev Telefonu Gsm"));
            return img;
        };
        QCOMPARE(draw(name), draw(family));
        // ...and not as it draws some other face, so the comparison above means something.
        const QString other = family == QLatin1String("Liberation Sans") ? QStringLiteral("Liberation Serif")
                                                                         : QStringLiteral("Liberation Sans");
        QVERIFY(draw(name) != draw(other));
    }

    void unknownFontIsNotInstalled()
    {
        QVERIFY(!fontInstalled(QStringLiteral("Zelvan No Such Face")));
    }

    // A clip set on the painter by whoever owns it (the area a cached layer
    // is repainted in) bounds clipped text too, so nothing outside it is
    // drawn over again.
    void clippedTextStaysInsideThePaintersClip()
    {
        QImage img = whitePage();
        {
            TCanvas c(&img);
            c.OpaqueBackground = false;
            c.Font.Height = -13;
            c.Painter().setClipRect(QRect(0, 0, 30, 120));
            c.TextRect(QRect(10, 10, 150, 20), 10, 10, QStringLiteral("WWWWWWWW"));
        }
        const QRect ink = inkBox(img);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.right() < 30, qPrintable(QString::number(ink.right())));
    }

    void metricsOfArialTen()
    {
        QImage img = whitePage();
        TCanvas c(&img);
        c.Font.Height = -13; // Arial 10 at 96 pixels per inch
        QCOMPARE(c.Ascent(), 12);
        QCOMPARE(c.TextHeight(), 15);
        const int abc = c.TextWidth(QStringLiteral("abc"));
        QCOMPARE(abc, c.TextWidth(QStringLiteral("a")) + c.TextWidth(QStringLiteral("b")) + c.TextWidth(QStringLiteral("c")));
        QVERIFY(abc >= 18 && abc <= 22);
        c.CharacterExtra = 2;
        QCOMPARE(c.TextWidth(QStringLiteral("abc")), abc + 6);
        c.CharacterExtra = 0;
        // 7 extra pixels over 3 blanks: 3, 2, 2.
        const int plain = c.TextWidth(QStringLiteral("a b c d"));
        c.SetTextJustification(7, 3);
        QCOMPARE(c.TextWidth(QStringLiteral("a b c d")), plain + 7);
        QCOMPARE(c.TextWidth(QStringLiteral("a b")) - c.TextWidth(QStringLiteral("ab")), c.TextWidth(QStringLiteral(" ")));
        c.SetTextJustification(0, 0);
        QCOMPARE(c.TextWidth(QStringLiteral("a b c d")), plain);
        // A positive height is the cell height.
        c.Font.Height = 30;
        QVERIFY(qAbs(c.TextHeight() - 30) <= 1);
        QCOMPARE(c.MultiLineExtent(QStringLiteral("ab\r\nabcd\n")).height(), 3 * c.TextHeight());
    }

    void unusualSizesStaySane()
    {
        QImage img = whitePage();
        TCanvas c(&img);
        for (int h : {0, -1, -2000, 2000, -20000}) {
            c.Font.Height = h;
            QVERIFY(c.TextHeight() > 0);
            QVERIFY(c.TextWidth(QStringLiteral("abc")) >= 0);
            c.TextOut(0, 0, QStringLiteral("abc"));
        }
        c.TextOut(0, 0, QString());
        QCOMPARE(c.TextWidth(QString()), 0);
    }

    void textSitsBelowAndRightOfItsPoint()
    {
        QImage img = whitePage();
        {
            TCanvas c(&img);
            c.OpaqueBackground = false;
            c.Font.Height = -13;
            c.TextOut(40, 30, QStringLiteral("HÇ"));
        }
        const QRect ink = inkBox(img);
        QVERIFY2(ink.left() >= 40 && ink.left() <= 43, qPrintable(QString::number(ink.left())));
        QVERIFY(ink.top() >= 30 && ink.top() <= 33);   // capitals start a little below the cell top
        QVERIFY(ink.bottom() <= 30 + 15);              // the cedilla stays inside the cell
    }

    void opaqueTextFillsItsCell()
    {
        QImage img = whitePage();
        {
            TCanvas c(&img);
            c.Font.Height = -13;
            c.Brush.Color = 0x0000FF; // red, as 0x00BBGGRR
            c.TextOut(10, 10, QStringLiteral("ab"));
            QCOMPARE(QColor(img.pixel(10, 10)), QColor(Qt::red));
            const int w = c.TextWidth(QStringLiteral("ab"));
            QCOMPARE(QColor(img.pixel(10 + w, 10)), QColor(Qt::white));
            QCOMPARE(QColor(img.pixel(10, 10 + 15)), QColor(Qt::white));
        }
    }

    void rotatedTextRunsUpwards()
    {
        QImage img = whitePage(120, 200);
        {
            TCanvas c(&img);
            c.OpaqueBackground = false;
            c.Font.Height = -13;
            c.Font.Orientation = 900;
            c.TextOut(50, 150, QStringLiteral("Zelvan"));
        }
        const QRect ink = inkBox(img);
        QVERIFY(ink.left() >= 50 && ink.right() <= 50 + 15);
        QVERIFY(ink.bottom() <= 150 && ink.top() < 150 - 25);
    }

    void clippingAndShapeEdges()
    {
        QImage img = whitePage();
        {
            TCanvas c(&img);
            c.OpaqueBackground = false;
            c.Font.Height = -13;
            c.TextRect(QRect(10, 10, 8, 20), 10, 10, QStringLiteral("WWWW"));
        }
        QVERIFY(inkBox(img).right() < 18);

        img = whitePage();
        {
            TCanvas c(&img);
            c.Rectangle(10, 10, 20, 20);
            c.MoveTo(30, 5);
            c.LineTo(40, 5);
        }
        QCOMPARE(QColor(img.pixel(19, 19)), QColor(Qt::black));
        QCOMPARE(QColor(img.pixel(20, 20)), QColor(Qt::white));
        QCOMPARE(QColor(img.pixel(15, 15)), QColor(Qt::white)); // white brush inside
        QCOMPARE(QColor(img.pixel(39, 5)), QColor(Qt::black));
        QCOMPARE(QColor(img.pixel(40, 5)), QColor(Qt::white));
    }

    void recordingLogsWhatWasDrawn()
    {
        QImage img = whitePage();
        TCanvas c(&img);
        c.setRecording(true);
        c.Font.Name = QStringLiteral("Times New Roman");
        c.Font.Height = -16;
        c.TextRect(QRect(0, 0, 50, 20), 5, 6, QStringLiteral("Üye"));
        c.Pen.Style = psDash;
        c.MoveTo(1, 2);
        c.LineTo(30, 2);
        QCOMPARE(c.texts().size(), 1);
        QCOMPARE(c.texts()[0].text, QStringLiteral("Üye"));
        QCOMPARE(c.texts()[0].pos, QPoint(5, 6));
        QCOMPARE(c.texts()[0].font.Name, QStringLiteral("Times New Roman"));
        QCOMPARE(c.texts()[0].clip, QRect(0, 0, 50, 20));
        QCOMPARE(c.texts()[0].width, c.TextWidth(QStringLiteral("Üye")));
        QCOMPARE(c.shapes().size(), 1);
        QCOMPARE(c.shapes()[0].pen.Style, psDash);
        QCOMPARE(c.shapes()[0].geometry.topLeft(), QPoint(1, 2));
        c.clearRecords();
        QVERIFY(c.texts().isEmpty());
    }

    void recordingWithoutDrawing()
    {
        // The log is the same, the surface stays as it was; switching the
        // recording off draws again.
        QImage img = whitePage();
        const QImage blank = img.copy();
        {
            TCanvas c(&img);
            c.setRecording(true, false);
            c.Font.Height = -16;
            c.TextOut(5, 6, QStringLiteral("Üye"));
            c.MoveTo(1, 40);
            c.LineTo(30, 40);
            c.Rectangle(2, 50, 20, 60);
            c.Brush.Color = 0;
            c.FillRect(QRect(30, 50, 10, 10));
            QCOMPARE(c.texts().size(), 1);
            QCOMPARE(c.texts()[0].width, c.TextWidth(QStringLiteral("Üye")));
            QCOMPARE(c.shapes().size(), 3);
        }
        QCOMPARE(img, blank);
        {
            TCanvas c(&img);
            c.setRecording(true, false);
            c.setRecording(false);
            c.Brush.Color = 0;
            c.FillRect(QRect(30, 50, 10, 10));
        }
        QCOMPARE(img.pixelColor(35, 55), QColor(Qt::black));
    }

    void colourReferences()
    {
        QCOMPARE(colorFromRef(0x00FF8040), QColor(0x40, 0x80, 0xFF));
        QCOMPARE(colorFromRef(clNone).alpha(), 0);
        QCOMPARE(colorFromRef(0x80000008), QColor(Qt::black));
        QCOMPARE(colorFromRef(0x80000005), QColor(Qt::white));
    }
};

QTEST_MAIN(TestCanvas)
#include "test_canvas.moc"
