// The text filter: the character grid of a page from the lines handed to
// it, frames in plain and box drawing characters, empty lines, page
// breaks, the OEM code page, and whole reports exported through the frame.

#include "export_fixtures.h"
#include "export_tests.h"
#include "report/core/code_page.h"
#include "text_export.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One line handed to the filter: the object's rectangle, where the line
// goes, its text and frame bits.
struct Line {
    TRect rect;
    int x, y;
    QString text;
    int frame = 0;
    int alignment = 0;
};

// One page through the filter, without the frame: what OnEndPage writes.
QByteArray layOut(TqpTextExport &filter, const QList<Line> &lines)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    filter.Stream = &out;
    filter.OnBeginPage();
    TqpMemoView view;
    for (const Line &l : lines) {
        view.Alignment = l.alignment;
        filter.OnText(l.rect, l.x, l.y, l.text, l.frame, &view);
    }
    filter.OnEndPage();
    filter.Stream = nullptr;
    return out.data();
}

QByteArray crlf(QByteArray text) { return text.replace("\n", "\r\n"); }

} // namespace

class TestTextExport : public QObject {
    Q_OBJECT

private slots:
    void grid_data()
    {
        QTest::addColumn<QList<Line>>("lines");
        QTest::addColumn<bool>("killEmptyLines");
        QTest::addColumn<bool>("pageBreaks");
        QTest::addColumn<QByteArray>("expected");
        const TRect r{0, 0, 200, 14};
        QTest::newRow("two texts on a line") << QList<Line>{{r, 65, 0, "second"}, {r, 0, 0, "first"}} << true << true
                                             << crlf("first     second\n\f\n");
        // 130 / 6.5 = 20, less the five characters.
        QTest::newRow("right aligned") << QList<Line>{{TRect{30, 0, 130, 14}, 90, 0, "sağda", 0, 1}} << true
                                       << false << crlf("               sağda\n");
        QTest::newRow("later line further left")
            << QList<Line>{{r, 30, 14, "ikinci"}, {r, 0, 0, "birinci"}} << true << false
            << crlf("birinci\n     ikinci\n");
        QTest::newRow("overlapping texts follow each other")
            << QList<Line>{{r, 0, 0, "uzun metin"}, {r, 13, 0, "kısa"}} << true << false
            << crlf("uzun metinkısa\n");
        QTest::newRow("empty page with breaks") << QList<Line>{} << true << true << QByteArray("\f\r\n");
        QTest::newRow("empty page without breaks") << QList<Line>{} << true << false << QByteArray();
        QTest::newRow("empty lines killed") << QList<Line>{{r, 0, 0, "a"}, {r, 0, 42, "b"}} << true << false
                                            << crlf("a\nb\n");
        QTest::newRow("empty lines kept") << QList<Line>{{r, 0, 0, "a"}, {r, 0, 42, "b"}} << false << false
                                          << crlf("a\n\n\nb\n");
        // 6.5 / 2 = 3.25 and 4.5 round to the even neighbour.
        QTest::newRow("halves to even") << QList<Line>{{r, 0, 7, "x"}, {r, 0, 21, "y"}} << false << false
                                        << crlf("x\n\ny\n");
    }

    void grid()
    {
        QFETCH(QList<Line>, lines);
        QFETCH(bool, killEmptyLines);
        QFETCH(bool, pageBreaks);
        QFETCH(QByteArray, expected);
        TqpTextExport filter;
        filter.KillEmptyLines = killEmptyLines;
        filter.PageBreaks = pageBreaks;
        QByteArray want;
        for (const QChar c : QString::fromUtf8(expected))
            want += char(qpCharToAnsi(c));
        QCOMPARE(layOut(filter, lines), want);
    }

    void frames_data()
    {
        QTest::addColumn<bool>("pseudographic");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain") << false
                               << crlf("+---------+---------+\n"
                                       "| a       | b       |\n"
                                       "+---------+---------+\n"
                                       "| c       | d       |\n"
                                       "+---------+---------+\n\f\n");
        // Code page 857 boxes; the middle corner joins all four directions.
        QByteArray boxes = crlf("\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC2\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xBF\n"
                                "\xB3 a       \xB3 b       \xB3\n"
                                "\xC3\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC5\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xB4\n"
                                "\xB3 c       \xB3 d       \xB3\n"
                                "\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC1\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xD9\n\f\n");
        QTest::newRow("pseudographic") << true << boxes;
    }

    void frames()
    {
        QFETCH(bool, pseudographic);
        QFETCH(QByteArray, expected);
        TqpTextExport filter;
        filter.ExportFrames = true;
        filter.UsePseudographic = pseudographic;
        // Four boxes of 65 by 28 units meeting at (65, 28).
        const QList<Line> lines{{TRect{0, 0, 65, 28}, 13, 14, "a", 15},
                                {TRect{65, 0, 130, 28}, 78, 14, "b", 15},
                                {TRect{0, 28, 65, 56}, 13, 42, "c", 15},
                                {TRect{65, 28, 130, 56}, 78, 42, "d", 15}};
        QCOMPARE(layOut(filter, lines), expected);
    }

    void framesOfSeveralLines()
    {
        // A text of two lines: the top bit on the first, the bottom on the last.
        TqpTextExport filter;
        filter.ExportFrames = true;
        const TRect r{0, 0, 65, 42};
        QCOMPARE(layOut(filter, {{r, 13, 14, "ilk", 13}, {r, 13, 28, "son", 7}}),
                 crlf("+---------+\n| ilk     |\n| son     |\n+---------+\n\f\n"));
        // Frames stay out without the option.
        filter.ExportFrames = false;
        QCOMPARE(layOut(filter, {{r, 13, 14, "ilk", 13}, {r, 13, 28, "son", 7}}), crlf("  ilk\n  son\n\f\n"));
    }

    void lineTable()
    {
        TqpTextExport filter;
        filter.OnBeginPage();
        QCOMPARE(filter.Lines.size(), size_t(201));
        // A page taller than the table grows it: nothing is dropped.
        filter.KillEmptyLines = false;
        filter.PageBreaks = false;
        const QByteArray out = layOut(filter, {{TRect{0, 0, 100, 14}, 0, 14 * 250, "en alt"}});
        QCOMPARE(out, QByteArray("\r\n").repeated(250) + "en alt\r\n");
        QCOMPARE(filter.Lines.size(), size_t(251));
        // Records of a line keep ascending x; an equal x goes before.
        filter.OnBeginPage();
        TqpMemoView view;
        for (const auto &[x, text] : {std::pair{40, "c"}, {10, "a"}, {40, "b"}})
            filter.OnText(TRect{}, x, 0, QString::fromLatin1(text), 0, &view);
        filter.OnText(TRect{}, 0, 0, QStringLiteral("none"), 0, nullptr);
        QStringList order;
        for (const TqpTextRec *rec = filter.Lines[0].get(); rec; rec = rec->Next.get())
            order << rec->Text;
        QCOMPARE(order, (QStringList{"a", "b", "c"}));
    }

    void codePages()
    {
        // Every character of Windows-1254 from the space on (the form feed
        // and the line codes are the grid's own), as the file's bytes, and
        // the same through code page 857.
        QString all;
        QByteArray ansi;
        for (int b = 32; b < 256; ++b) {
            all += qpAnsiToChar((unsigned char)b);
            ansi += char(b);
        }
        TqpTextExport filter;
        filter.PageBreaks = false;
        const TRect r{0, 0, 2000, 14};
        QCOMPARE(layOut(filter, {{r, 0, 0, all}}), ansi + "\r\n");
        filter.ConvertToOEM = true;
        const QByteArray oem = layOut(filter, {{r, 0, 0, QStringLiteral("şğıİŞĞçöüÇÖÜ Tr")}});
        QCOMPARE(oem, QByteArray("\x9F\xA7\x8D\x98\x9E\xA6\x87\x94\x81\x80\x99\x9A Tr\r\n"));
        // A character neither code page holds is marked, not dropped.
        QCOMPARE(layOut(filter, {{r, 0, 0, QStringLiteral("a\u0259b")}}), QByteArray("a?b\r\n"));
    }

    void wholeReport()
    {
        QTemporaryDir dir;
        auto report = std::make_unique<TqpReport>();
        report->ShowProgress = false;
        auto title = memoAt(0, 0, 300, 20, QStringLiteral("Üye listesi"));
        auto left = memoAt(0, 40, 100, 20, QStringLiteral("Ayşe"));
        auto right = memoAt(130, 40, 100, 20, QStringLiteral("Çınar"));
        addPage(*report, {title.get(), left.get(), right.get()});
        auto second = memoAt(0, 0, 300, 20, QStringLiteral("İkinci sayfa"));
        addPage(*report, {second.get()});
        TqpTextExport filter;
        filter.ShowDialog = false;
        const QString name = dir.filePath(QStringLiteral("liste.txt"));
        QVERIFY(report->ExportTo(&filter, name));
        const QString text = QString::fromLatin1(fileBytes(name));
        QByteArray want;
        // Each text starts GapX (2) right of its object and one line down by GapY.
        for (const QChar c : QStringLiteral("Üye listesi\r\n"
                                            "Ayşe                Çınar\r\n"
                                            "\f\r\n"
                                            "İkinci sayfa\r\n"
                                            "\f\r\n"))
            want += char(qpCharToAnsi(c));
        QCOMPARE(fileBytes(name), want);
    }
};

EXPORT_TEST(TestTextExport)
#include "test_text_export.moc"
