// The RTF filter: the exact control words of text rows, rich-text rows and
// picture records, the font and colour tables, page breaks and ranges,
// scales, escaping, and the documents read back by unrtf.

#include "export_fixtures.h"
#include "export_tests.h"
#include "report/core/code_page.h"
#include "report/model/line_view.h"
#include "report/model/rich_view.h"
#include "rtf_export.h"

#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

const QByteArray kHeader = "{\\rtf1\\ansi\\ansicpg1254\r\n"
                           "\\paperw11906\\paperh16838\\margl0\\margr0\\margt600\\margb600\r\n";

// The "Total" text of a bold Arial 10 at (20, 40), 100 by 18 units.
std::unique_ptr<TqpMemoView> total()
{
    auto memo = memoAt(20, 40, 100, 18, QStringLiteral("Total"));
    memo->Font.Style = fsBold;
    return memo;
}

} // namespace

class TestRtfExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // Exports the report with the filter's options as set; the file's bytes.
    QByteArray exported(TqpReport &report, TqpRtfAdvExport &filter, const QString &name = QStringLiteral("x.rtf"))
    {
        filter.ShowDialog = false;
        report.ShowProgress = false;
        const QString path = dir.filePath(name);
        if (!report.ExportTo(&filter, path))
            return "not exported";
        return fileBytes(path);
    }

    QByteArray onePage(const std::vector<TqpView *> &objects, TqpRtfAdvExport &filter)
    {
        TqpReport report;
        addPage(report, objects);
        return exported(report, filter);
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void textRowDocument()
    {
        auto memo = total();
        TqpRtfAdvExport filter;
        QCOMPARE(onePage({memo.get()}, filter),
                 kHeader + "{\\fonttbl{\\f0\\fcharset162 Arial;}}\r\n"
                           "{\\colortbl;\\red0\\green0\\blue0;}\r\n"
                           "\\margtsxn0 \r\n"
                           "\\par \\pard\\phpg\\pvpg\\posx315\\posy630\\absw1575\\absh-283\\li31\\ri31\\ql"
                           "{\\f0\\fs20\\b\\cf1 Total}\\par\\pard"
                           "\\pard\r\n"
                           "\\par}");
    }

    void rowVariants_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<quint32>("fontColor");
        QTest::addColumn<quint32>("fill");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("colors");
        const QByteArray black = "\\red0\\green0\\blue0;";
        QTest::newRow("bold italic has no style") << int(fsBold | fsItalic) << 0u << 0x1FFFFFFFu << 0 << 0
                                                  << QByteArray("\\li31\\ri31\\ql{\\f0\\fs20\\cf1 Total}") << black;
        QTest::newRow("italic") << int(fsItalic) << 0u << 0x1FFFFFFFu << 0 << 0
                                << QByteArray("\\li31\\ri31\\ql{\\f0\\fs20\\i\\cf1 Total}") << black;
        QTest::newRow("underline") << int(fsUnderline) << 0u << 0x1FFFFFFFu << 0 << 0
                                   << QByteArray("\\li31\\ri31\\ql{\\f0\\fs20\\ul\\cf1 Total}") << black;
        QTest::newRow("white text as black") << 0 << 0xFFFFFFu << 0x1FFFFFFFu << 0 << 0
                                             << QByteArray("\\li31\\ri31\\ql{\\f0\\fs20\\cf1 Total}") << black;
        QTest::newRow("white fill gives no shading") << 0 << 0xFFu << 0xFFFFFFu << 0 << 0
                                                     << QByteArray("\\li31\\ri31\\ql{\\f0\\fs20\\cf1 Total}")
                                                     << QByteArray("\\red255\\green0\\blue0;");
        QTest::newRow("fill after the font colour")
            << 0 << 0xFF0000u << 0x00FF00u << 0 << 0 << QByteArray("\\cbpat2\\li31\\ri31\\ql{\\f0\\fs20\\cf1 Total}")
            << QByteArray("\\red0\\green0\\blue255;\\red0\\green255\\blue0;");
        QTest::newRow("borders left right top bottom")
            << 0 << 0u << 0x1FFFFFFFu << 15 << 0
            << QByteArray("\\brdrl\\brdrw15\\brdrs\\brdrr\\brdrw15\\brdrs\\brdrt\\brdrw15\\brdrs"
                          "\\brdrb\\brdrw15\\brdrs\\li31\\ri31\\ql{\\f0\\fs20\\cf1 Total}")
            << black;
        QTest::newRow("right") << 0 << 0u << 0x1FFFFFFFu << 0 << 1
                               << QByteArray("\\li31\\ri31\\qr{\\f0\\fs20\\cf1 Total}") << black;
        QTest::newRow("justified") << 0 << 0u << 0x1FFFFFFFu << 0 << 3
                                   << QByteArray("\\li31\\ri31\\qj{\\f0\\fs20\\cf1 Total}") << black;
        // Vertical placement as space before: 283 twips high, one line of 230.
        QTest::newRow("centre, middle") << 0 << 0u << 0x1FFFFFFFu << 0 << 10
                                        << QByteArray("\\li31\\ri31\\sb26\\qc{\\f0\\fs20\\cf1 Total}") << black;
        QTest::newRow("bottom") << 0 << 0u << 0x1FFFFFFFu << 0 << 16
                                << QByteArray("\\li31\\ri31\\sb53\\ql{\\f0\\fs20\\cf1 Total}") << black;
    }

    void rowVariants()
    {
        QFETCH(int, style);
        QFETCH(quint32, fontColor);
        QFETCH(quint32, fill);
        QFETCH(int, frame);
        QFETCH(int, alignment);
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, colors);
        auto memo = total();
        memo->Font.Style = style;
        memo->Font.Color = fontColor;
        memo->FillColor = fill;
        memo->FrameTyp = quint16(frame);
        memo->Alignment = alignment;
        TqpRtfAdvExport filter;
        const QByteArray doc = onePage({memo.get()}, filter);
        QVERIFY2(doc.contains("\\pard\\phpg\\pvpg\\posx315\\posy630\\absw1575\\absh-283" + row + "\\par\\pard"),
                 doc.constData());
        QVERIFY2(doc.contains("{\\colortbl;" + colors + "}\r\n"), doc.constData());
    }

    void emptyTexts()
    {
        auto empty = memoAt(20, 40, 100, 18, QString());
        TqpRtfAdvExport filter;
        QVERIFY(!onePage({empty.get()}, filter).contains("\\posx"));
        empty->FrameTyp = qpftBottom;
        QVERIFY(onePage({empty.get()}, filter).contains("\\absh-283\\brdrb\\brdrw15\\brdrs\\li31\\ri31\\ql{\\f0\\fs20\\cf1 }"));
    }

    void rowsInPageOrder()
    {
        // Sorted by top, then left, then the length of the text.
        auto c = memoAt(10, 50, 100, 18, QStringLiteral("c"));
        auto b = memoAt(40, 20, 100, 18, QStringLiteral("b"));
        auto longer = memoAt(10, 20, 100, 18, QStringLiteral("a-long"));
        auto a = memoAt(10, 20, 100, 18, QStringLiteral("a"));
        TqpRtfAdvExport filter;
        const QByteArray doc = onePage({c.get(), b.get(), longer.get(), a.get()}, filter);
        QList<QByteArray> texts;
        for (const auto &m : QRegularExpression(QStringLiteral("\\\\cf1 ([^}]*)\\}")).globalMatch(QString::fromLatin1(doc)))
            texts << m.captured(1).toLatin1();
        QCOMPARE(texts, (QList<QByteArray>{"a", "a-long", "b", "c"}));
    }

    void scales()
    {
        auto memo = total();
        auto line = std::make_unique<TqpLineView>();
        line->SetBounds(100, 200, 300, 0);
        TqpRtfAdvExport filter;
        filter.ScaleX = 0.5;
        filter.ScaleY = 2;
        const QByteArray doc = onePage({memo.get(), line.get()}, filter);
        // Texts scale in both directions; pictures move with ScaleX only.
        QVERIFY2(doc.contains("\\pard\\phpg\\pvpg\\posx157\\posy1260\\absw787\\absh-567\\li16\\ri16\\ql{"),
                 doc.constData());
        QVERIFY2(doc.contains("\\pard\\phpg\\pvpg\\posx787\\posy3150\\absh0\\absw4724{\\pict\\wmetafile8\\picw8333"
                              "\\pich0 \\picbmp\\picbpp4\r\n"),
                 doc.constData());
    }

    void pictureRecord()
    {
        auto line = std::make_unique<TqpLineView>();
        line->SetBounds(10, 20, 40, 0);
        line->FrameWidth = 1;
        TqpRtfAdvExport filter;
        const QByteArray doc = onePage({line.get()}, filter);
        const qsizetype start = doc.indexOf("{\\pict");
        QVERIFY(start > 0);
        QVERIFY(doc.contains("\\pard\\phpg\\pvpg\\posx157\\posy315\\absh0\\absw630{\\pict\\wmetafile8\\picw1111"
                             "\\pich0 \\picbmp\\picbpp4\r\n"));
        const QList<QByteArray> lines = doc.mid(start).split('\n');
        // The metafile wraps a bitmap of 41 by 1 pixels.
        const QByteArray wmf = lines.at(1).trimmed();
        QVERIFY2(wmf.startsWith("010009000003"), wmf.constData());
        QByteArray hex;
        int i = 2;
        for (; !lines.at(i).contains("030000000000}\\par"); ++i) {
            QVERIFY(lines.at(i).trimmed().size() <= 128);
            hex += lines.at(i).trimmed();
        }
        hex += lines.at(i).left(lines.at(i).indexOf("030000000000}\\par"));
        const QByteArray dib = QByteArray::fromHex(hex);
        const quint32 n = quint32(dib.size() + 14) / 2 + 7;
        auto le = [](quint32 v, int bytes) {
            QByteArray out;
            for (int k = 0; k < bytes; ++k)
                out += QByteArray::number((v >> (8 * k)) & 0xFF, 16).rightJustified(2, '0').toUpper();
            return out;
        };
        QCOMPARE(wmf, "010009000003" + le(n + 36, 4) + "0000" + le(n, 4) +
                          "0000050000000b0200000000050000000c02" + le(1, 2) + le(41, 2) +
                          "05000000090200000000050000000102ffffff000400000007010300" + le(n, 4) +
                          "430f2000cc000000" + le(1, 2) + le(41, 2) + "00000000" + le(1, 2) + le(41, 2) +
                          "00000000");
        // The bytes are the bitmap, with the rule drawn in it.
        QByteArray file = "BM" + QByteArray(12, '\0') + dib;
        qToLittleEndian<quint32>(quint32(file.size()), file.data() + 2);
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(dib.constData()) + 14, file.data() + 10);
        const QImage image = QImage::fromData(file, "BMP");
        QCOMPARE(image.size(), QSize(41, 1));
        QCOMPARE(qGray(image.pixel(20, 0)), 0);

        filter.ExportPictures = false;
        QVERIFY(!onePage({line.get()}, filter).contains("\\pict"));
    }

    void richTextRow()
    {
        qpInitRichView();
        auto rich = std::make_unique<TqpRichView>();
        rich->SetBounds(20, 40, 100, 36);
        rich->FrameTyp = qpftTop;
        rich->RichEdit.LoadFromBytes("{\\rtf1\\ansi\\ansicpg1254{\\fonttbl{\\f0 Arial;}}\\f0\\b Kal\\'fdn\\b0  sat\\'fdr\\par ikinci}");
        TqpRtfAdvExport filter;
        const QByteArray doc = onePage({rich.get()}, filter);
        QVERIFY2(doc.contains("\\par \\pard\\phpg\\pvpg\\posx315\\posy630\\absw1575\\absh-567"
                              "\\brdrt\\brdrw15\\brdrs\\li31\\ri31\\ql{Kal\\'fdn sat\\'fdr\\line ikinci}\\par\\pard"),
                 doc.constData());
    }

    void pageBreaksAndRange()
    {
        auto report = numberedReport(2);
        TqpRtfAdvExport filter;
        QByteArray doc = exported(*report, filter);
        QCOMPARE(doc.count("\\page"), 1);
        QVERIFY(doc.indexOf("Sayfa 1") < doc.indexOf("\\page") && doc.indexOf("\\page") < doc.indexOf("Sayfa 2"));
        filter.PageRange = QStringLiteral("2");
        doc = exported(*report, filter);
        QCOMPARE(doc.count("\\page"), 0);
        QVERIFY(!doc.contains("Sayfa 1"));
        QVERIFY(doc.contains("Sayfa 2"));
        filter.PageRange.clear();
        filter.PageBreaks = false;
        QCOMPARE(exported(*report, filter).count("\\page"), 0);
    }

    void landscapePages()
    {
        TqpReport report;
        auto memo = total();
        addPage(report, {memo.get()}, true);
        TqpRtfAdvExport filter;
        QVERIFY(exported(report, filter).contains("\\lndscpsxn \r\n\\margtsxn0 \r\n"));
    }

    void fontTableLines()
    {
        // Entries of 59 characters: four fit a line of 254 with "{\\fonttbl".
        std::vector<std::unique_ptr<TqpMemoView>> memos;
        std::vector<TqpView *> objects;
        for (int i = 0; i < 8; ++i) {
            memos.push_back(memoAt(10, 20 * i, 100, 18, QStringLiteral("x")));
            memos.back()->Font.Name = QStringLiteral("Font%1").arg(i).leftJustified(40, QLatin1Char('n'));
            objects.push_back(memos.back().get());
        }
        memos.push_back(memoAt(10, 500, 100, 18, QStringLiteral("x")));
        memos.back()->Font.Name = QString(300, QLatin1Char('L'));
        objects.push_back(memos.back().get());
        TqpRtfAdvExport filter;
        const QByteArray doc = onePage(objects, filter);
        const QByteArray table = doc.mid(doc.indexOf("{\\fonttbl"), doc.indexOf("{\\colortbl") - doc.indexOf("{\\fonttbl"));
        const QList<QByteArray> lines = table.split('\n');
        // Two lines of four entries, the long entry alone with the table's end.
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0).size(), 9 + 4 * 59 + 1);
        QVERIFY(lines.at(0).startsWith("{\\fonttbl{\\f0\\fcharset162 Font0"));
        QCOMPARE(lines.at(1).size(), 4 * 59 + 1);
        QVERIFY(lines.at(1).startsWith("{\\f4\\fcharset162 Font4"));
        QVERIFY(lines.at(2).startsWith("{\\f8\\fcharset162 LLL"));
        QVERIFY(lines.at(2).endsWith(";}}\r"));
        QVERIFY(lines.at(3).isEmpty());
    }

    void escapingReadBack()
    {
        // Every character of Windows-1254 from the space on, and the three
        // RTF must escape; unrtf reads back the same text.
        QString all;
        for (int b = 32; b < 256; ++b)
            if (b != 127 && (b < 0x80 || b > 0x9F || qpAnsiToChar((unsigned char)b).unicode() > 0x9F))
                all += qpAnsiToChar((unsigned char)b);
        const QString text = QStringLiteral("a\\b{c}d ") + all;
        QCOMPARE(TqpRtfAdvExport::EscapeText(QStringLiteral("\\{}ş\u0259\r\nx")),
                 QByteArray("\\\\\\{\\}\\'fe\\u601?\\line x"));
        auto memo = memoAt(20, 40, 700, 18, text);
        TqpReport report;
        addPage(report, {memo.get()});
        TqpRtfAdvExport filter;
        exported(report, filter, QStringLiteral("all.rtf"));
        const QString back = unrtf(dir.filePath(QStringLiteral("all.rtf")));
        QVERIFY2(back.contains(text.simplified()), qPrintable(back));
    }

    void namesInPageOrderByUnrtf()
    {
        const QStringList names{"Ayşe Yılmaz", "Çağrı Öztürk", "İsmail Güneş", "Şule Ağaoğlu", "Ümit Işık", "Gülşen Çelik"};
        TqpReport report;
        std::vector<std::unique_ptr<TqpMemoView>> memos;
        for (int page = 0; page < 3; ++page) {
            std::vector<TqpView *> objects;
            // Written bottom up: the document puts them in page order.
            for (int row = 1; row >= 0; --row) {
                memos.push_back(memoAt(40, 60 + 20 * row, 300, 18, names.at(page * 2 + row)));
                memos.back()->FrameTyp = 15;
                objects.push_back(memos.back().get());
            }
            addPage(report, objects);
        }
        TqpRtfAdvExport filter;
        exported(report, filter, QStringLiteral("names.rtf"));
        const QString back = unrtf(dir.filePath(QStringLiteral("names.rtf")));
        qsizetype at = 0;
        for (const QString &name : names) {
            const qsizetype found = back.indexOf(name, at);
            QVERIFY2(found >= at, qPrintable(name + QStringLiteral(" in ") + back));
            at = found + name.size();
        }
    }
};

EXPORT_TEST(TestRtfExport)
#include "test_rtf_export.moc"
