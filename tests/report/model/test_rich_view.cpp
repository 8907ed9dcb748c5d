// The rich-text object: its registration, expansion that keeps the
// formatting, measuring by the least height that holds the text, writing
// page parts, its stored record with damaged content, and drawing.
// Most line heights are pinned with exact line spacing (\sl-300, 20 pixels
// at 96 dpi) so that figures do not depend on the fonts installed; the
// word-processor fixture is checked by properties that hold for any font.

#include "model_fixtures.h"

#include "report/expr/expr_globals.h"
#include "report/model/model_errors.h"
#include "report/model/object_registry.h"
#include "report/model/rich_view.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QByteArray libreOfficeRtf()
{
    QFile f(QStringLiteral(RICHEDIT_FIXTURES "/notice_libreoffice.rtf"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture");
    return f.readAll();
}

const QChar kPar(QChar::ParagraphSeparator);

// n paragraphs "Line i", each exactly 20 pixels high at 96 dpi.
QByteArray fixedLines(int n)
{
    QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\sl-300\\slmult0\\f0\\fs20 ";
    for (int i = 0; i < n; ++i)
        rtf += "Line " + QByteArray::number(i) + (i + 1 < n ? "\\par " : "");
    return rtf + '}';
}

QTextCharFormat formatAt(TRichEdit &edit, int position)
{
    QTextCursor c(&edit.Document());
    c.setPosition(position + 1);
    return c.charFormat();
}

// Whether the text from `from` on fits into a page of the given pixel height.
bool fits(TRichEdit &edit, int width, int height)
{
    const int end = edit.FormatRange({&TempBitmap->Image, nullptr, QRect(0, 0, width * 15, height * 15), 0, -1});
    return end >= edit.TextLength();
}

QByteArray bytesOf(const std::function<void(QIODevice &)> &write)
{
    QBuffer b;
    b.open(QIODevice::ReadWrite);
    write(b);
    return b.data();
}

QImage whiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QRect inkBounds(const QImage &image, const std::function<bool(QRgb)> &isInk)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isInk(image.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

bool notWhite(QRgb c) { return c != qRgb(255, 255, 255); }
bool reddish(QRgb c) { return qRed(c) > 180 && qGreen(c) < 120 && qBlue(c) < 120; }

} // namespace

class TestRichView : public QObject {
    Q_OBJECT

    std::unique_ptr<TestReport> report;

    TqpRichView *richView(const QByteArray &rtf, int width = 300, int height = 100)
    {
        auto *v = report->add<TqpRichView>();
        v->SetBounds(10, 10, width, height);
        v->RichEdit.LoadFromBytes(rtf);
        return v;
    }

    // Writes the object into a prepared page and reads the entry back.
    QString writtenPart(TqpRichView *v)
    {
        const QByteArray entry = bytesOf([&](QIODevice &s) { v->StreamOut(s); });
        if (entry.isEmpty())
            return QStringLiteral("<nothing>");
        QBuffer in;
        in.setData(entry);
        in.open(QIODevice::ReadOnly);
        if (qpReadByte(in) != vkAddIn || qpReadString(in) != QLatin1String("TqpRichView"))
            return QStringLiteral("<bad entry>");
        TqpRichView copy;
        copy.SaveMode = smQPP;
        copy.LoadFromStream(in);
        return in.atEnd() ? copy.RichEdit.Text() : QStringLiteral("<bytes left>");
    }

private slots:
    void initTestCase()
    {
        qpInitExpressionGlobals();
        qpInitModelGlobals();
    }

    void init()
    {
        report = std::make_unique<TestReport>();
        CurReport = report.get();
        CurPage = nullptr;
        CurBand = nullptr;
        DocMode = dmDesigning;
        qpVersion = 25;
    }

    void cleanup()
    {
        CurReport = nullptr;
        report.reset();
    }

    void registeredAtStartUp()
    {
        int entry = -1;
        for (int i = 0; i < qpAddInsCount; ++i)
            if (qpAddIns[i].ClassRef.ClassName == QLatin1String("TqpRichView"))
                entry = i;
        QVERIFY(entry >= 0);
        QCOMPARE(qpAddIns[entry].ButtonHint, QStringLiteral("55223"));
        QCOMPARE(qpAddIns[entry].IsControl, 0);
        std::unique_ptr<TqpView> v(qpCreateObject(vkAddIn, QStringLiteral("TqpRichView")));
        QVERIFY(dynamic_cast<TqpRichView *>(v.get()));
        QCOMPARE(v->Kind, quint8(vkAddIn));
        QCOMPARE(v->BaseName, QStringLiteral("Rich"));
        QVERIFY_THROWS_EXCEPTION(EClassNotFound, qpCreateObject(vkAddIn, QStringLiteral("TqpRichview")));
        ErrorFlag = false;
        ErrorStr.clear();
    }

    void propertiesAndList()
    {
        TqpRichView v;
        v.SetPropValue(QStringLiteral("TextOnly"), true);
        QCOMPARE(v.Flags, quint16(flStretched) | flRichTextOnly);
        QCOMPARE(v.GetPropValue(QStringLiteral("textonly")), Variant(true));
        QStringList names;
        for (const TqpPropRec &r : v.PropList())
            names << r.PropName;
        QCOMPARE(names.mid(names.indexOf(QStringLiteral("Restrictions")) + 1),
                 QStringList({"GapX", "GapY", "Lines", "Stretched", "TextOnly", "DataField"}));
        QCOMPARE(v.GetPropRec(QStringLiteral("Lines"))->PropType, qpdt({qpdtHasEditor, qpdtOneObject}));
        QCOMPARE(v.GetPropRec(QStringLiteral("DataField"))->PropType, qpdt({qpdtString, qpdtHasEditor, qpdtOneObject}));
    }

    void measuresTheLeastHeight_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<int>("gapY");
        QTest::addColumn<int>("expected"); // -1: the least height holding the text
        QTest::newRow("empty text, gap 1") << QByteArray() << 1 << 8 + 2 * 1;
        QTest::newRow("empty text, gap 6") << QByteArray("{\\rtf1}") << 6 << 8 + 2 * 6;
        QTest::newRow("one fixed line") << fixedLines(1) << 1 << 20 + 2;
        QTest::newRow("seven fixed lines") << fixedLines(7) << 3 << 140 + 6;
        QTest::newRow("word-processor text") << libreOfficeRtf() << 2 << -1;
    }

    void measuresTheLeastHeight()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(int, gapY);
        QFETCH(int, expected);
        TqpRichView *v = richView(rtf);
        v->GapY = gapY;
        const int h = v->CalcHeight();
        if (expected >= 0) {
            QCOMPARE(h, expected);
        } else {
            // Four paragraphs: more than four 9-point lines, and the least
            // height at which all of it fits.
            const int content = h - 2 * gapY;
            QVERIFY(content > 4 * 12);
            QVERIFY(fits(*SRichEdit, v->Width - 2 * v->GapX, content));
            QVERIFY(!fits(*SRichEdit, v->Width - 2 * v->GapX, content - 1));
        }
        QCOMPARE(v->CharFrom, 0);
        QCOMPARE(v->CharTo, 0);
    }

    void invisibleMeasuresNothing()
    {
        TqpRichView *v = richView(fixedLines(3));
        v->Visible = false;
        QCOMPARE(v->CalcHeight(), 0);
    }

    void expansionKeepsTheFormatting()
    {
        report->value = [](const QString &e) {
            if (e == QLatin1String("Ad"))
                return QStringLiteral("Gülşen [Işık]"); // brackets in a value stay as they are
            if (e == QLatin1String("Borc"))
                return QStringLiteral("1.250,00\r\nfazla");
            return QStringLiteral("?");
        };
        const QByteArray rtf = "{\\rtf1\\ansicpg1254{\\colortbl;\\red255\\green0\\blue0;}Say\\'fdn {\\b [Ad]}, bor\\'e7 {\\i\\cf1 [Borc]} TL}";
        TqpRichView *v = richView(rtf);
        v->CalcHeight();
        const QString text = SRichEdit->Text();
        QCOMPARE(text, QStringLiteral("Sayın Gülşen [Işık], borç 1.250,00") + kPar + QStringLiteral("fazla TL"));
        QCOMPARE(report->valueCalls, 2);
        const int name = int(text.indexOf(QStringLiteral("Gülşen")));
        QVERIFY(formatAt(*SRichEdit, name).fontWeight() == QFont::Bold);
        QVERIFY(formatAt(*SRichEdit, name + 12).fontWeight() == QFont::Bold);
        QVERIFY(formatAt(*SRichEdit, name + 13).fontWeight() != QFont::Bold);
        const int due = int(text.indexOf(QLatin1String("fazla")));
        QVERIFY(formatAt(*SRichEdit, due).fontItalic());
        QCOMPARE(formatAt(*SRichEdit, due).foreground().color(), QColor(255, 0, 0));
        QVERIFY(!formatAt(*SRichEdit, due + 5).fontItalic());
        // The object's own content keeps its expressions.
        QVERIFY(v->RichEdit.Text().contains(QLatin1String("[Borc]")));

        report->valueCalls = 0;
        v->SetPropValue(QStringLiteral("TextOnly"), true);
        v->CalcHeight();
        QCOMPARE(SRichEdit->Text(), v->RichEdit.Text());
        QCOMPARE(report->valueCalls, 0);
    }

    void writesPagePartsThatFit()
    {
        report->value = [](const QString &) { return QStringLiteral("X"); };
        QByteArray rtf = fixedLines(10);
        rtf.insert(rtf.indexOf("Line 4"), "[v]"); // expanded in every part
        TqpRichView *v = richView(rtf, 300, 60 + 2 * 1);
        v->GapY = 1;
        DocMode = dmPrinting;
        v->SaveMode = smQPP;
        QCOMPARE(v->CalcHeight(), 200 + 2);
        const int length = SRichEdit->TextLength();
        QStringList parts;
        for (int i = 0; i < 4; ++i) {
            v->DrawMode = drPart;
            parts << writtenPart(v);
            QCOMPARE(v->DrawMode, quint8(drAll));
            QCOMPARE(v->CharFrom, v->CharTo);
        }
        QCOMPARE(v->CharTo, length);
        const QString P(kPar);
        QCOMPARE(parts, QStringList({"Line 0" + P + "Line 1" + P + "Line 2" + P,
                                     "Line 3" + P + "XLine 4" + P + "Line 5" + P,
                                     "Line 6" + P + "Line 7" + P + "Line 8" + P, "Line 9"}));
        // Written whole, the entry holds the expanded text.
        v->DrawMode = drAll;
        QVERIFY(writtenPart(v).startsWith("Line 0" + P));
        QVERIFY(writtenPart(v).contains(QLatin1String("XLine 4")));
        v->Visible = false;
        QCOMPARE(writtenPart(v), QStringLiteral("<nothing>"));
    }

    void lostSpace()
    {
        TqpRichView *v = richView(fixedLines(10), 300, 62);
        v->FrameWidth = 2;
        v->CalcHeight();
        QCOMPARE(v->LostSpace(), 2 * v->GapY + 4);
        QCOMPARE(v->CharTo, 0);
        // Lower than a line: nothing fits, and an empty part still measures 8.
        v->Height = 6;
        QCOMPARE(v->LostSpace(), (8 + 2 * v->GapY - 6) + 2 * v->GapY + 4);
    }

    void recordRoundTrip()
    {
        TqpRichView *v = richView(libreOfficeRtf(), 400, 120);
        v->Name = QStringLiteral("Rich7");
        v->GapX = 4;
        v->Flags |= flRichTextOnly;
        TqpRichView *empty = richView(QByteArray());
        const QByteArray bytes = bytesOf([&](QIODevice &s) {
            v->SaveToStream(s);
            empty->SaveToStream(s);
            qpWriteByte(s, 0xA5);
        });
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        TqpRichView a, b;
        a.LoadFromStream(in);
        b.LoadFromStream(in);
        QCOMPARE(qpReadByte(in), quint8(0xA5));
        QCOMPARE(a.Name, QStringLiteral("Rich7"));
        QCOMPARE(a.GapX, 4);
        QCOMPARE(a.Flags, v->Flags);
        QCOMPARE(a.Width, 400);
        QCOMPARE(a.RichEdit.Text(), v->RichEdit.Text());
        QCOMPARE(a.RichEdit.SaveToRtf(), v->RichEdit.SaveToRtf());
        QCOMPARE(b.RichEdit.TextLength(), 0);

        // The record's own fields: has-content byte, end position, RTF text.
        const QByteArray common = bytesOf([&](QIODevice &s) { v->TqpStretcheable::SaveToStream(s); });
        const QByteArray first = bytes.left(bytes.size() - 1);
        QCOMPARE(first.at(common.size()), char(1));
        QBuffer probe;
        probe.setData(first.mid(common.size() + 1, 4));
        probe.open(QIODevice::ReadOnly);
        const int end = qpReadInteger(probe);
        QVERIFY(first.mid(common.size() + 5).startsWith("{\\rtf1"));
        QCOMPARE(first.mid(common.size() + 5, end - common.size() - 5), v->RichEdit.SaveToRtf());
        const qsizetype emptyCommon = bytesOf([&](QIODevice &s) { empty->TqpStretcheable::SaveToStream(s); }).size();
        QCOMPARE(end, int(first.size() - emptyCommon - 5));
        QCOMPARE(bytes.at(end + emptyCommon), char(0)); // the empty one has no content
    }

    void damagedContentStillEndsAtTheRecordEnd_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("startsWith");
        QTest::newRow("unbalanced braces") << QByteArray("{\\rtf1\\ansicpg1254{\\b kal\\'fdn{\\i x}}}} art\\'fdk") << QStringLiteral("kalınx");
        QTest::newRow("100-digit parameter") << (QByteArray("{\\rtf1\\fs") + QByteArray(100, '8') + " b\\u" + QByteArray(100, '1') + "?c}")
                                             << QStringLiteral("b\uFFFDc");
        QTest::newRow("not RTF") << QByteArray("d\xfcz metin") << QStringLiteral("düz metin");
        QByteArray big = "{\\rtf1\\ansi ";
        while (big.size() < 10 * 1024 * 1024)
            big += "{\\b on} megabytes of text\\par\r\n";
        QTest::newRow("10 MB") << big << QStringLiteral("on megabytes of text") + kPar;
    }

    // Content the writer would never produce, put into a record by hand.
    void damagedContentStillEndsAtTheRecordEnd()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, startsWith);
        TqpRichView *v = richView(QByteArray());
        const QByteArray common = bytesOf([&](QIODevice &s) { v->TqpStretcheable::SaveToStream(s); });
        QByteArray record = common;
        record += char(1);
        const qint32 end = qint32(record.size() + 4 + content.size());
        record += bytesOf([&](QIODevice &s) { qpWriteInteger(s, end); });
        record += content;
        record += char(0x5A);
        QBuffer in;
        in.setData(record);
        in.open(QIODevice::ReadOnly);
        TqpRichView r;
        r.LoadFromStream(in);
        QVERIFY(r.RichEdit.Text().startsWith(startsWith));
        QCOMPARE(qpReadByte(in), quint8(0x5A));
    }

    void endPositionOutsideTheStreamIsAnError_data()
    {
        QTest::addColumn<bool>("beyond");
        QTest::newRow("beyond the end") << true;
        QTest::newRow("before the content") << false;
    }

    void endPositionOutsideTheStreamIsAnError()
    {
        QFETCH(bool, beyond);
        TqpRichView *v = richView(fixedLines(2));
        QByteArray bytes = bytesOf([&](QIODevice &s) { v->SaveToStream(s); });
        const QByteArray common = bytesOf([&](QIODevice &s) { v->TqpStretcheable::SaveToStream(s); });
        const qint32 end = qint32(beyond ? bytes.size() + 100 : common.size());
        bytes.replace(common.size() + 1, 4, bytesOf([&](QIODevice &s) { qpWriteInteger(s, end); }));
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        TqpRichView r;
        QVERIFY_THROWS_EXCEPTION(EReadError, r.LoadFromStream(in));
    }

    // The designer's drawing of the word-processor text, at scale 1 and at a
    // preview zoom of 2, and a printer's drawing at 300 dpi.
    void drawsWithItsFormatting()
    {
        TqpRichView *v = richView(libreOfficeRtf(), 340, 110);
        v->SetBounds(10, 10, 340, 110);
        v->FrameTyp = 0x0F;
        v->FillColor = 0xF0FFFF; // pale yellow
        QImage image = whiteImage(720, 360);
        {
            TCanvas canvas(&image);
            v->Draw(&canvas);
            DocMode = dmPrinting;
            v->ScaleX = v->ScaleY = 2.0;
            v->OffsetX = 0;
            v->OffsetY = 120;
            v->Draw(&canvas);
            v->ScaleX = v->ScaleY = 1.0;
            v->OffsetY = 0;
            DocMode = dmDesigning;
        }
        QTemporaryDir dir;
        const QString out = qEnvironmentVariable("ZELVAN_TEST_OUTPUT", dir.path());
        QVERIFY(image.save(QDir(out).filePath(QStringLiteral("rich_view.png"))));

        const QRect top(0, 0, 720, 125), zoomed(0, 125, 720, 235);
        const QImage designer = image.copy(top), preview = image.copy(zoomed);
        // The red line is right-aligned: its ink ends near the right edge, past the middle.
        const QRect red = inkBounds(designer, reddish);
        QVERIFY(red.isValid());
        QVERIFY2(red.left() > 10 + 340 / 3 && red.right() <= 350 && red.right() > 350 - 20,
                 qPrintable(QStringLiteral("%1..%2").arg(red.left()).arg(red.right())));
        // The centred bold title: ink balanced around the middle of the object.
        const QRect title = inkBounds(designer.copy(12, 12, 336, 24), [](QRgb c) { return qGray(c) < 100; });
        QVERIFY(title.isValid());
        QVERIFY(qAbs((title.left() + title.right()) / 2 - 168) < 8);
        // Zoomed by two, the red text is twice as wide.
        const QRect red2 = inkBounds(preview, reddish);
        QVERIFY(qAbs(red2.width() - 2 * red.width()) <= 4);
        // Nothing outside the object's rectangles.
        QCOMPARE(inkBounds(image.copy(0, 0, 720, 9), notWhite), QRect());
        QCOMPARE(inkBounds(image.copy(351, 0, 369, 120), notWhite), QRect());

        // A printer lays the text out at its own resolution into DrawRect.
        QImage paper = whiteImage(1500, 520);
        paper.setDotsPerMeterX(11811);
        paper.setDotsPerMeterY(11811);
        {
            TCanvas printer(&paper);
            printer.IsPrinter = true;
            v->IsPrinting = true;
            v->SetBounds(20, 20, 1400, 460);
            v->FillColor = clNone;
            v->Draw(&printer);
            v->IsPrinting = false;
        }
        const QRect redPaper = inkBounds(paper, reddish);
        QVERIFY(redPaper.isValid());
        // 12 points at 300 dpi are 50 pixels: the red capitals are far taller than on the screen.
        QVERIFY2(redPaper.height() > 2 * red.height(), qPrintable(QString::number(redPaper.height())));
        QVERIFY(redPaper.right() <= 1420 && redPaper.right() > 1420 - 60);
    }
};

QTEST_MAIN(TestRichView)
#include "test_rich_view.moc"
