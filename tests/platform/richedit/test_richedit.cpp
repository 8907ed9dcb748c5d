// The rich-text document: the RTF reader on word-processor output and on
// damaged input, the writer by reading back what it wrote, and the
// format-range call that places whole lines on pages in twips.
// Line heights are pinned with exact line spacing (\sl-N) so that page
// figures do not depend on the fonts installed.

#include "rich_edit.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

QByteArray fixture(const char *name)
{
    QFile f(QStringLiteral(RICHEDIT_FIXTURES "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", name);
    return f.readAll();
}

const QChar kPar(QChar::ParagraphSeparator);

// The formatting of the character at a position.
QTextCharFormat formatAt(TRichEdit &edit, int position)
{
    QTextCursor c(&edit.Document());
    c.setPosition(position + 1);
    return c.charFormat();
}

QTextBlockFormat blockAt(TRichEdit &edit, int position) { return edit.Document().findBlock(position).blockFormat(); }

// n paragraphs "Line i", each exactly 300 twips (20 pixels at 96 dpi) high.
QByteArray fixedLines(int n)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\sl-300\\slmult0\\f0\\fs20 ";
    for (int i = 0; i < n; ++i)
        rtf += "Line " + QByteArray::number(i) + (i + 1 < n ? "\\par " : "");
    return rtf + '}';
}

int lineStart(TRichEdit &edit, int line) { return edit.Document().findBlockByNumber(line).position(); }

QImage whiteImage(int w, int h, int dpi = 96)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    return image;
}

// The smallest rectangle holding every pixel that is not white.
QRect inkBounds(const QImage &image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace

class TestRichEdit : public QObject {
    Q_OBJECT

private slots:
    void readsLibreOfficeOutput()
    {
        TRichEdit edit;
        edit.LoadFromBytes(fixture("notice_libreoffice.rtf"));
        const QString text = edit.Text();
        QCOMPARE(text, QStringLiteral("Üye Bildirimi") + kPar +
                           QStringLiteral("Sayın Gülşen Işık, aidat borcunuz [Borc] TL'dir.") + kPar +
                           QStringLiteral("Son ödeme: ğüşıöç ĞÜŞİÖÇ") + kPar + QStringLiteral("No\tAd\tİlçe"));
        QCOMPARE(edit.Document().blockCount(), 4);

        const QTextCharFormat title = formatAt(edit, 0);
        QCOMPARE(title.fontFamilies().toStringList().value(0), QStringLiteral("Times New Roman"));
        QCOMPARE(title.fontPointSize(), 16.0);
        QCOMPARE(title.fontWeight(), int(QFont::Bold));
        QCOMPARE(blockAt(edit, 0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

        const int name = int(text.indexOf(QStringLiteral("Gülşen")));
        QVERIFY(formatAt(edit, name).fontItalic());
        QVERIFY(!formatAt(edit, name - 2).fontItalic());
        QCOMPARE(formatAt(edit, name).fontPointSize(), 10.0);
        QCOMPARE(formatAt(edit, name).fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
        const int expr = int(text.indexOf(QLatin1String("[Borc]")));
        QVERIFY(formatAt(edit, expr).fontUnderline());
        QVERIFY(!formatAt(edit, expr + 6).fontUnderline());

        const int due = int(text.indexOf(QLatin1String("Son")));
        QCOMPARE(formatAt(edit, due).foreground().color(), QColor(255, 0, 0));
        QCOMPARE(formatAt(edit, due).fontPointSize(), 12.0);
        QCOMPARE(blockAt(edit, due).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QVERIFY(!formatAt(edit, 0).foreground().color().red());

        const int table = int(text.indexOf(QLatin1String("No\t")));
        const QList<QTextOption::Tab> tabs = blockAt(edit, table).tabPositions();
        QCOMPARE(tabs.size(), 2);
        QCOMPARE(tabs.at(0).position, 1134 / 15.0); // 2 cm
        QCOMPARE(tabs.at(1).position, 2835 / 15.0); // 5 cm
        QCOMPARE(formatAt(edit, table).fontFamilies().toStringList().value(0), QStringLiteral("Courier New"));
        QCOMPARE(formatAt(edit, table).fontPointSize(), 9.0);
    }

    void readsText_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::newRow("Turkish code page bytes") << QByteArray("{\\rtf1\\ansi\\ansicpg1254 \\'f0\\'fe\\'fd\\'dd\\'de\\'d0\\'e7}")
                                                 << QStringLiteral("ğşıİŞĞç");
        QTest::newRow("font character set over the document's")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset162 B;}}"
                          "\\f0\\'fd{\\f1\\'fd}}")
            << QStringLiteral("ýı");
        QTest::newRow("unicode with fallbacks") << QByteArray("{\\rtf1 \\u305?\\u-3904?{\\uc2\\u351\\'3f\\'3fx}\\uc0\\u287 y}")
                                                << QStringLiteral("ı\uF0C0şxğy");
        QTest::newRow("skipped groups and destinations")
            << QByteArray("{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\*\\unknown z}{\\pict\\wmetafile8 0a0b}"
                          "{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}} a{\\*\\bkmkstart b}c}")
            << QStringLiteral("7 ac");
        QTest::newRow("binary data is skipped by count") << QByteArray("{\\rtf1 a{\\*\\blob\\bin3 }{x}b}")
                                                         << QStringLiteral("ab");
        QTest::newRow("escapes and special characters")
            << QByteArray("{\\rtf1 \\{x\\}\\\\\\tab y\\line z\\~w\\emdash\\lquote q\\rquote}")
            << QStringLiteral("{x}\\\ty\u2028z\u00A0w\u2014\u2018q\u2019");
        QTest::newRow("last paragraph end closes, does not open") << QByteArray("{\\rtf1 a\\par b\\par}")
                                                                  << QStringLiteral("a") + kPar + QStringLiteral("b");
        QTest::newRow("an empty last paragraph stays") << QByteArray("{\\rtf1 a\\par\\par}") << QStringLiteral("a") + kPar;
        QTest::newRow("missing closing braces") << QByteArray("{\\rtf1{\\b a{\\i b") << QStringLiteral("ab");
        QTest::newRow("stray closing brace ends the text") << QByteArray("{\\rtf1 a}}b") << QStringLiteral("a");
        QTest::newRow("text after the document") << QByteArray("{\\rtf1 a} b {c}") << QStringLiteral("a");
        QTest::newRow("100-digit parameters saturate")
            << (QByteArray("{\\rtf1\\fs") + QByteArray(100, '9') + " x\\u" + QByteArray(100, '7') + "?y\\li-" +
                QByteArray(100, '1') + " z}")
            << QStringLiteral("x\uFFFDyz");
        QTest::newRow("cut-off escape at the end") << QByteArray("{\\rtf1 a\\'4") << QStringLiteral("a");
        QTest::newRow("not RTF: plain Turkish text")
            << QByteArray("Sat\xfdr 1\r\n\xdd\xfeyeri\r\n") << QStringLiteral("Satır 1") + kPar + QStringLiteral("İşyeri");
    }

    void readsText()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        TRichEdit edit;
        edit.LoadFromBytes(rtf);
        QCOMPARE(edit.Text(), text);
        QCOMPARE(edit.TextLength(), int(text.size()));
    }

    // The document's closing brace ends the last paragraph with the
    // properties in force, with or without a \par before it.
    void lastParagraphKeepsItsFormat_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("no closing \\par") << QByteArray("{\\rtf1\\qc a\\par\\qr\\sl-400\\slmult0 b}");
        QTest::newRow("closing \\par") << QByteArray("{\\rtf1\\qc a\\par\\qr\\sl-400\\slmult0 b\\par}");
    }

    void lastParagraphKeepsItsFormat()
    {
        QFETCH(QByteArray, rtf);
        TRichEdit edit;
        edit.LoadFromBytes(rtf);
        QCOMPARE(edit.Document().blockCount(), 2);
        QCOMPARE(blockAt(edit, 0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(blockAt(edit, 2).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(blockAt(edit, 2).lineHeightType(), int(QTextBlockFormat::FixedHeight));
    }

    void oversizedValuesStaySane()
    {
        TRichEdit edit;
        edit.LoadFromBytes("{\\rtf1\\fs" + QByteArray(100, '9') + " x}");
        const qreal size = formatAt(edit, 0).fontPointSize();
        QVERIFY2(size > 0 && size <= 1638, qPrintable(QString::number(size)));
        // It still lays out and measures.
        QImage device = whiteImage(1, 1);
        QCOMPARE(edit.FormatRange({&device, nullptr, QRect(0, 0, 1440 * 8, 1440 * 100), 0, -1}), 1);
    }

    void hostileStructureDoesNotExhaust()
    {
        // A million unclosed groups, then text; and ten megabytes of text.
        TRichEdit edit;
        edit.LoadFromBytes("{\\rtf1" + QByteArray(1000000, '{') + "deep");
        QCOMPARE(edit.Text(), QStringLiteral("deep"));

        QByteArray big = "{\\rtf1\\ansi\\ansicpg1254 ";
        const QByteArray paragraph = "\\b Kal\\'fdn\\b0  metin \\u351? " + QByteArray(80, 'x') + "\\par\r\n";
        while (big.size() < 10 * 1024 * 1024)
            big += paragraph;
        big += '}';
        edit.LoadFromBytes(big);
        const int paragraphs = int((big.size() - 25) / paragraph.size());
        QCOMPARE(edit.Document().blockCount(), paragraphs);
        QVERIFY(edit.Text().startsWith(QStringLiteral("Kalın metin ş xxx")));
    }

    void writerRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("LibreOffice document") << fixture("notice_libreoffice.rtf");
        QTest::newRow("every paragraph and run attribute")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}{\\colortbl;\\red0\\green128\\blue0;"
                          "\\red255\\green255\\blue0;}\\pard\\qj\\li720\\ri360\\fi-240\\sb120\\sa60\\sl360\\slmult1"
                          "\\tqr\\tx2000\\tqc\\tx4000\\f1\\fs28 a\\b b\\i c\\ul d\\strike e\\cf1 f\\highlight2 g\\super h"
                          "\\sub i\\par\\pard\\qc\\sl-400\\slmult0\\plain\\par\\pard\\sl300\\slmult0 \\{\\}\\\\\\tab\\line"
                          "\\~\\-\\_}");
        QTest::newRow("characters outside the Turkish code page")
            << QByteArray("{\\rtf1 \\u937?\\u8364?\\u-10179?\\u-8704?\\'e4 \\u304?stanbul}");
        QTest::newRow("empty") << QByteArray("{\\rtf1}");
    }

    // What we write reads back to the same text and looks, and writing that
    // again gives the same bytes.
    void writerRoundTrip()
    {
        QFETCH(QByteArray, rtf);
        TRichEdit first, second;
        first.LoadFromBytes(rtf);
        const QByteArray written = first.SaveToRtf();
        second.LoadFromBytes(written);
        QCOMPARE(second.Text(), first.Text());
        QCOMPARE(second.Document().blockCount(), first.Document().blockCount());
        for (int pos = 0; pos < first.TextLength(); ++pos) {
            const QTextCharFormat a = formatAt(first, pos), b = formatAt(second, pos);
            QCOMPARE(b.fontFamilies().toStringList().value(0), a.fontFamilies().toStringList().value(0));
            QCOMPARE(b.fontPointSize(), a.fontPointSize());
            QCOMPARE(b.fontWeight(), a.fontWeight());
            QCOMPARE(b.fontItalic(), a.fontItalic());
            QCOMPARE(b.fontUnderline(), a.fontUnderline());
            QCOMPARE(b.fontStrikeOut(), a.fontStrikeOut());
            QCOMPARE(b.foreground(), a.foreground());
            QCOMPARE(b.background(), a.background());
            QCOMPARE(b.verticalAlignment(), a.verticalAlignment());
            const QTextBlockFormat pa = blockAt(first, pos), pb = blockAt(second, pos);
            QCOMPARE(pb.alignment() & Qt::AlignHorizontal_Mask, pa.alignment() & Qt::AlignHorizontal_Mask);
            QCOMPARE(pb.leftMargin(), pa.leftMargin());
            QCOMPARE(pb.rightMargin(), pa.rightMargin());
            QCOMPARE(pb.textIndent(), pa.textIndent());
            QCOMPARE(pb.topMargin(), pa.topMargin());
            QCOMPARE(pb.bottomMargin(), pa.bottomMargin());
            QCOMPARE(pb.lineHeightType(), pa.lineHeightType());
            QCOMPARE(pb.lineHeight(), pa.lineHeight());
            QCOMPARE(pb.tabPositions(), pa.tabPositions());
        }
        QCOMPARE(second.SaveToRtf(), written);
        // Everything but the Turkish letters goes out as 7-bit text.
        for (char c : written)
            QVERIFY(uchar(c) < 0x80);
    }

    void writesTurkishCodePage()
    {
        TRichEdit edit;
        edit.LoadFromBytes("{\\rtf1 \\u304?\\u351?\\u287?\\u937?}");
        const QByteArray rtf = edit.SaveToRtf();
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1254"));
        QVERIFY2(rtf.contains("\\'dd\\'fe\\'f0\\u937?"), rtf.constData());
    }

    void formatRangePlacesWholeLines_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::newRow("screen") << 96;
        QTest::newRow("printer") << 600;
    }

    // Ten lines of 300 twips: pages in twips hold the same lines at any resolution.
    void formatRangePlacesWholeLines()
    {
        QFETCH(int, dpi);
        TRichEdit edit;
        edit.LoadFromBytes(fixedLines(10));
        QImage device = whiteImage(1, 1, dpi);
        const auto format = [&](int height, int from) {
            return edit.FormatRange({&device, nullptr, QRect(0, 0, 1440 * 4, height), from, -1});
        };
        QCOMPARE(format(900, 0), lineStart(edit, 3));
        QCOMPARE(format(885, 0), lineStart(edit, 2)); // 59 pixels at 96 dpi
        QCOMPARE(format(900, lineStart(edit, 8)), edit.TextLength());
        QCOMPARE(format(100000, 0), edit.TextLength());
        QCOMPARE(format(200, lineStart(edit, 4)), lineStart(edit, 4)); // not even one line
        // Pages taken one after another cover the text once.
        int pages = 0;
        for (int pos = 0; pos < edit.TextLength(); ++pages)
            pos = format(1200, pos);
        QCOMPARE(pages, 3);
        QCOMPARE(edit.FormatRange({&device, nullptr, QRect(0, 0, 0, 900), 0, -1}), -1);
        QCOMPARE(edit.FormatRange({&device, nullptr, QRect(0, 0, 1440, 900), 0, lineStart(edit, 1)}), lineStart(edit, 1));
    }

    void formatRangeWrapsAndContinuesInsideAParagraph()
    {
        TRichEdit edit;
        QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\sl-300\\slmult0\\f0\\fs20 ";
        for (int i = 0; i < 60; ++i)
            rtf += "word" + QByteArray::number(i) + ' ';
        edit.LoadFromBytes(rtf + '}');
        QImage device = whiteImage(1, 1);
        // Two inches wide, two lines high: the paragraph breaks at a word.
        const int end = edit.FormatRange({&device, nullptr, QRect(0, 0, 2880, 600), 0, -1});
        QVERIFY(end > 0 && end < edit.TextLength());
        QVERIFY(edit.Text().at(end - 1) == QLatin1Char(' '));
        const int next = edit.FormatRange({&device, nullptr, QRect(0, 0, 2880, 600), end, -1});
        QVERIFY(next > end);
        QVERIFY(next - end <= end + 12); // about as much text on the next page
    }

    void emptyTextFitsAnyPage()
    {
        TRichEdit edit;
        QImage device = whiteImage(1, 1);
        QCOMPARE(edit.FormatRange({&device, nullptr, QRect(0, 0, 1440, 15), 0, -1}), 0);
    }

    // Drawing puts the page's lines at the top of its rectangle on the
    // device and nothing outside it; a later page starts with its own line.
    void formatRangeDraws()
    {
        TRichEdit edit;
        edit.LoadFromBytes(fixedLines(10));
        QImage image = whiteImage(400, 400);
        {
            QPainter p(&image);
            // 100 px from the left, 50 from the top; 3 lines of 20 px.
            const int end = edit.FormatRange({&image, &p, QRect(1500, 750, 1440 * 3, 900), 0, -1});
            QCOMPARE(end, lineStart(edit, 3));
        }
        QRect ink = inkBounds(image);
        QVERIFY2(QRect(100, 50, 288, 60).contains(ink), qPrintable(QStringLiteral("%1 %2 %3 %4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        QVERIFY(ink.bottom() > 90); // the third line is there

        QImage next = whiteImage(400, 400);
        {
            QPainter p(&next);
            edit.FormatRange({&next, &p, QRect(1500, 750, 1440 * 3, 300), lineStart(edit, 7), -1});
        }
        const QRect inkNext = inkBounds(next);
        QVERIFY(QRect(100, 50, 288, 20).contains(inkNext));
        // "Line 7" is drawn, not "Line 0": compare with line 0 drawn alone.
        QImage zero = whiteImage(400, 400);
        {
            QPainter p(&zero);
            edit.FormatRange({&zero, &p, QRect(1500, 750, 1440 * 3, 300), 0, -1});
        }
        QVERIFY(zero != next);
        QCOMPARE(inkBounds(zero).top(), inkNext.top());
    }

    void replaceKeepsTheReplacedFormatting()
    {
        TRichEdit edit;
        edit.LoadFromBytes(fixture("notice_libreoffice.rtf"));
        const int at = int(edit.Text().indexOf(QLatin1String("[Borc]")));
        edit.Replace(at, at + 6, QStringLiteral("1.250,00\nfazla"));
        QVERIFY(edit.Text().contains(QStringLiteral("borcunuz 1.250,00") + kPar + QStringLiteral("fazla TL'dir.")));
        QVERIFY(formatAt(edit, at).fontUnderline());
        QVERIFY(formatAt(edit, at + 12).fontUnderline());
        QVERIFY(!formatAt(edit, at + 14).fontUnderline()); // " TL'dir." keeps its own
        edit.Delete(0, at);
        QVERIFY(edit.Text().startsWith(QStringLiteral("1.250,00")));
    }
};

QTEST_MAIN(TestRichEdit)
#include "test_richedit.moc"
