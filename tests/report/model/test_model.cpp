// The report document model: the byte layer of stored records, the property
// model of report objects, the object registry, names and paths, and the
// text object's wrapping, measuring, drawing and writing.
// Pixel figures pin the font: Liberation Sans stands in for Arial, 10 points
// at 96 pixels per inch being 13 pixels.

#include "model_fixtures.h"

#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/model/model_errors.h"
#include "report/model/object_registry.h"
#include "report/model/property_path.h"
#include "report/model/stream_utils.h"
#include "report/model/text_wrap.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

Q_DECLARE_METATYPE(TRect)

namespace {

QByteArray written(const std::function<void(QIODevice &)> &write)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    write(b);
    return b.data();
}

QBuffer *reader(const QByteArray &bytes)
{
    auto *b = new QBuffer;
    b->setData(bytes);
    b->open(QIODevice::ReadOnly);
    return b;
}

const QString mark(qpParagraphMark);

// A canvas whose font is the default text object's on the screen.
struct MeasureCanvas {
    QImage image{1, 1, QImage::Format_RGB32};
    TCanvas canvas{&image};
    MeasureCanvas() { canvas.Font.Height = -13; }
};

QStringList wrap(const QString &s, int width, bool wordBreak = false)
{
    MeasureCanvas m;
    QStringList out;
    qpWrapLine(m.canvas, s, width, wordBreak, out);
    return out;
}

// A text object with every stored field away from its default.
void fillEveryField(TqpMemoView &m)
{
    m.Name = QStringLiteral("Memo7");
    m.SetBounds(11, 22, 333, 44);
    m.Flags = 0x01FF;
    m.FrameTyp = 0x0F;
    m.FrameWidth = 2.5f;
    m.FrameColor = 0x00112233;
    m.FrameStyle = 3;
    m.FillColor = 0x00445566;
    m.Format = 0x01020A2C;
    m.FormatStr = QStringLiteral("#,##0.00");
    m.Memo = {QStringLiteral("Adı: [Uye.\"Adi\"]"), QString(), QStringLiteral("Şişli")};
    m.ExpandedMemo = {QStringLiteral("Adı: Ayşe"), QString(), QStringLiteral("Şişli") + mark};
    m.Script = {QStringLiteral("begin"), QStringLiteral("end")};
    m.Visible = false;
    m.Restrictions = 0x45;
    m.Tag = QStringLiteral("etiket [x]");
    m.GapX = 5;
    m.GapY = 4;
    m.BandAlign = baRest;
    m.Font = TqpFont{QStringLiteral("Times New Roman"), 12, fsBold | fsUnderline, 0x000000FF, 162};
    m.Alignment = qptaCenter | qptaDown;
    m.Highlight = TqpHighlight{1, 0x0000FF00, 0x00FF0000};
    m.HighlightCondition = QStringLiteral("[x] 1 =");
    m.LineSpacing = 6;
    m.CharSpacing = 1;
}

} // namespace

class TestModel : public QObject {
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
        CurView = nullptr;
        qpDesignerPage = nullptr;
        DocMode = dmDesigning;
        DisableDrawing = false;
        qpVersion = 25;
        ErrorFlag = false;
        ErrorStr.clear();
    }

    void cleanup()
    {
        CurReport = nullptr;
        CurView = nullptr;
        delete report;
    }

    // --- byte layer

    void stringBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("abc") << QStringLiteral("abc") << QByteArray::fromHex("030061626300");
        QTest::newRow("empty") << QString() << QByteArray::fromHex("000000");
        QTest::newRow("virtual printer") << QString(QChar(1)) << QByteArray::fromHex("01000100");
        QTest::newRow("Turkish letters") << QStringLiteral("ĞŞİğşı€") << QByteArray::fromHex("0700D0DEDDF0FEFD8000");
    }

    void stringBytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(written([&](QIODevice &s) { qpWriteString(s, text); }), bytes);
        std::unique_ptr<QBuffer> in(reader(bytes));
        QCOMPARE(qpReadString(*in), text);
        QVERIFY(in->atEnd());
    }

    void memoBytes_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no lines") << QStringList() << QByteArray::fromHex("000000");
        QTest::newRow("A and empty") << QStringList{QStringLiteral("A"), QString()}
                                     << QByteArray::fromHex("020001004" "10D000000");
        QTest::newRow("one empty line") << QStringList{QString()} << QByteArray::fromHex("0100000000");
    }

    void memoBytes()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QCOMPARE(written([&](QIODevice &s) { qpWriteMemo(s, lines); }), bytes);
        std::unique_ptr<QBuffer> in(reader(bytes));
        QStringList back{QStringLiteral("old content")};
        qpReadMemo(*in, back);
        QCOMPARE(back, lines);
        QVERIFY(in->atEnd());
    }

    void oldForms_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("nothing") << QByteArray("\0", 1) << QStringList();
        QTest::newRow("empty lines count") << QByteArray("A\rB\r\r\0", 6)
                                           << QStringList{QStringLiteral("A"), QStringLiteral("B"), QString()};
        QTest::newRow("last line without CR") << QByteArray("A\rBC\0", 5)
                                              << QStringList{QStringLiteral("A"), QStringLiteral("BC")};
        QTest::newRow("LF belongs to the line") << QByteArray("A\nB\0", 4) << QStringList{QStringLiteral("A\nB")};
    }

    void oldForms()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        std::unique_ptr<QBuffer> in(reader(bytes + QByteArray("x\0", 2)));
        QStringList back;
        qpReadMemo22(*in, back);
        QCOMPARE(back, lines);
        QCOMPARE(qpReadString22(*in), QStringLiteral("x"));
        QVERIFY(in->atEnd());
    }

    void primitivesRefuseWhatTheFormatCannotCarry()
    {
        // Silently turning a character into "?" would lose it on the next load.
        QVERIFY_THROWS_EXCEPTION(EWriteError, written([](QIODevice &s) { qpWriteString(s, QStringLiteral("a\u4E2D")); }));
        QVERIFY_THROWS_EXCEPTION(EWriteError, written([](QIODevice &s) {
                                     qpWriteMemo(s, {QStringLiteral("ok"), QString(70000, QLatin1Char('x'))});
                                 }));
        QCOMPARE(written([](QIODevice &s) { qpWriteString(s, QString(65535, QLatin1Char('x'))); }).size(), 65538);
        // A stream that ends inside a value.
        std::unique_ptr<QBuffer> in(reader(QByteArray::fromHex("050061")));
        QVERIFY_THROWS_EXCEPTION(EReadError, qpReadString(*in));
        std::unique_ptr<QBuffer> lines(reader(QByteArray::fromHex("0200010041" "0D")));
        QStringList back;
        QVERIFY_THROWS_EXCEPTION(EReadError, qpReadMemo(*lines, back));
    }

    void integersAndFonts()
    {
        const QByteArray bytes = written([](QIODevice &s) {
            qpWriteByte(s, 0xAB);
            qpWriteWord(s, 0x1234);
            qpWriteInteger(s, -2);
            qpWriteBoolean(s, true);
            qpWriteFont(s, TqpFont{QStringLiteral("Arial"), 10, fsBold | fsStrikeOut, 0x00FF0000, 0x1A2});
        });
        QCOMPARE(bytes, QByteArray::fromHex("AB" "3412" "FEFFFFFF" "01"
                                            "0500417269616C00" "0A000000" "0A00" "0000FF00" "A200"));
        std::unique_ptr<QBuffer> in(reader(bytes));
        QCOMPARE(qpReadByte(*in), quint8(0xAB));
        QCOMPARE(qpReadWord(*in), quint16(0x1234));
        QCOMPARE(qpReadInteger(*in), -2);
        QCOMPARE(qpReadBoolean(*in), true);
        TqpFont font;
        qpReadFont(*in, font);
        QCOMPARE(font, (TqpFont{QStringLiteral("Arial"), 10, fsBold | fsStrikeOut, 0x00FF0000, 0xA2}));
        QCOMPARE(qpGetFontStyle(fsItalic), 1);
        QCOMPARE(qpSetFontStyle(1 + 2 + 4), fsItalic | fsBold | fsUnderline);
    }

    void frameWidthCodes_data()
    {
        QTest::addColumn<float>("width");
        QTest::addColumn<int>("code");
        QTest::newRow("0.5") << 0.5f << 500;
        QTest::newRow("1") << 1.0f << 1;
        QTest::newRow("2.5") << 2.5f << 2500;
        QTest::newRow("10") << 10.0f << 10;
        QTest::newRow("11") << 11.0f << 11000;
        QTest::newRow("1000") << 1000.0f << 1000000;
    }

    void frameWidthCodes()
    {
        QFETCH(float, width);
        QFETCH(int, code);
        QCOMPARE(qpFrameWidthCode(width), code);
        QCOMPARE(qpFrameWidthFromCode(code), width);
        QCOMPARE(qpFrameWidthFromCode(11), 0.011f);
    }

    void frameWidthCodeAtTheLimitStillSaves()
    {
        // Read back as a float, the largest code turns into a width whose code
        // would overflow; it is kept at the largest code instead.
        const float width = qpFrameWidthFromCode(INT32_MAX);
        QVERIFY(double(width) * 1000 > double(INT32_MAX));
        QCOMPARE(qpFrameWidthCode(width), INT32_MAX);
    }

    // --- stored records of the text object

    void memoRecordRoundTrip_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("template") << int(smQPF);
        QTest::newRow("prepared") << int(smQPP);
    }

    void memoRecordRoundTrip()
    {
        QFETCH(int, mode);
        TqpMemoView src;
        fillEveryField(src);
        src.SaveMode = quint8(mode);
        const QByteArray bytes = written([&](QIODevice &s) { src.SaveToStream(s); });
        QCOMPARE(src.RecordMajor, quint8(2));

        TqpMemoView back;
        back.SaveMode = quint8(mode);
        std::unique_ptr<QBuffer> in(reader(bytes));
        back.LoadFromStream(*in);
        QVERIFY(in->atEnd());

        const bool tmpl = mode == smQPF;
        const TqpMemoView defaults;
        QCOMPARE(back.Name, src.Name);
        QCOMPARE(back.RecordMajor, quint8(2));
        QCOMPARE(back.RecordMinor, quint8(0));
        QCOMPARE(QList<int>({back.Left, back.Top, back.Width, back.Height}), QList<int>({11, 22, 333, 44}));
        QCOMPARE(back.Flags, src.Flags);
        QCOMPARE(back.FrameTyp, src.FrameTyp);
        QCOMPARE(back.FrameWidth, 2.5f);
        QCOMPARE(back.FrameColor, src.FrameColor);
        QCOMPARE(back.FrameStyle, src.FrameStyle);
        QCOMPARE(back.FillColor, src.FillColor);
        QCOMPARE(back.Format, tmpl ? src.Format : defaults.Format);
        QCOMPARE(back.FormatStr, tmpl ? src.FormatStr : QString());
        // A prepared record carries the evaluated text, read into Memo.
        QCOMPARE(back.Memo, tmpl ? src.Memo : src.ExpandedMemo);
        QCOMPARE(back.Script, tmpl ? src.Script : QStringList());
        QCOMPARE(back.Visible, !tmpl);
        QCOMPARE(back.Restrictions, src.Restrictions);
        QCOMPARE(back.Tag, src.Tag);
        QCOMPARE(back.GapX, 5);
        QCOMPARE(back.GapY, 4);
        QCOMPARE(back.BandAlign, quint8(baRest));
        QCOMPARE(back.Font, src.Font);
        QCOMPARE(back.Alignment, src.Alignment);
        QCOMPARE(back.Highlight, tmpl ? src.Highlight : defaults.Highlight);
        QCOMPARE(back.HighlightCondition, tmpl ? src.HighlightCondition : QString());
        QCOMPARE(back.LineSpacing, 6);
        QCOMPARE(back.CharSpacing, 1);
    }

    void memoRecordBytes()
    {
        // The common record's layout, field by field, for a default object.
        TqpMemoView m;
        m.Name = QStringLiteral("Memo1");
        m.Memo = {QStringLiteral("A")};
        const QByteArray bytes = written([&](QIODevice &s) { m.SaveToStream(s); });
        const QByteArray common = QByteArray::fromHex("0500" "4D656D6F3100" "0200"
                                                      "00000000" "00000000" "00000000" "00000000"
                                                      "0300" "0000" "01000000" "00000000" "0000" "FFFFFF1F"
                                                      "2C020000" "000000" "0100010041" "00" "000000" "FFFF"
                                                      "0000" "000000" "02000000" "01000000" "00");
        const QByteArray memo = QByteArray::fromHex("0500417269616C00" "0A000000" "0000" "00000000" "00000000"
                                                    "0100" "0200" "00000000" "FFFFFF00" "000000"
                                                    "02000000" "00000000");
        QCOMPARE(bytes.toHex(), (common + memo).toHex());
    }

    // Records of older versions, built field by field as those versions laid them out.
    void olderVersions_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("mode");
        for (int v : {21, 22, 23, 24})
            for (int mode : {int(smQPF), int(smQPP)})
                QTest::addRow("v%d %s", v, mode == smQPF ? "template" : "prepared") << v << mode;
    }

    void olderVersions()
    {
        QFETCH(int, version);
        QFETCH(int, mode);
        const bool tmpl = mode == smQPF, old = version < 23;
        const auto str = [&](QIODevice &s, const QString &t, bool byVersion) {
            if (byVersion && old) {
                s.write(qpToAnsi(t));
                qpWriteByte(s, 0);
            } else {
                qpWriteString(s, t);
            }
        };
        const auto lines = [&](QIODevice &s, const QStringList &l) {
            if (old) {
                s.write(qpToAnsi(l.join(QLatin1Char('\r'))));
                qpWriteByte(s, 0);
            } else {
                qpWriteMemo(s, l);
            }
        };
        const QByteArray bytes = written([&](QIODevice &s) {
            if (version > 23 || (version == 23 && tmpl))
                str(s, QStringLiteral("Eski1"), true);
            if (version > 23) {
                qpWriteByte(s, 2);
                qpWriteByte(s, 0);
            }
            for (int v : {10, 20, 300, 40})
                qpWriteInteger(s, v);
            qpWriteWord(s, 0x0020); // suppress only, no word wrap
            qpWriteWord(s, 0x0005);
            qpWriteInteger(s, 2500);
            qpWriteInteger(s, 0x11);
            qpWriteWord(s, 2);
            qpWriteInteger(s, 0x22);
            if (tmpl) {
                qpWriteInteger(s, 0x10000);
                str(s, QStringLiteral("fmt"), true);
            }
            lines(s, {QStringLiteral("bir"), QStringLiteral("iki")});
            if (version >= 23 && tmpl) {
                lines(s, {QStringLiteral("x")});
                qpWriteWord(s, 0);
            }
            if (version > 23) {
                qpWriteWord(s, 0x41);
                qpWriteString(s, QStringLiteral("tag"));
                qpWriteInteger(s, 7);
                qpWriteInteger(s, 8);
                qpWriteByte(s, baCenter);
            }
            str(s, QStringLiteral("Courier New"), true);
            qpWriteInteger(s, 9);
            qpWriteWord(s, 2);
            qpWriteInteger(s, 0x33);
            qpWriteInteger(s, qptaRight);
            qpWriteWord(s, 162);
            if (tmpl) {
                qpWriteWord(s, 4);
                qpWriteInteger(s, 0x44);
                qpWriteInteger(s, 0x55);
                str(s, QStringLiteral("cond"), true);
            }
            if (version > 23) {
                qpWriteInteger(s, 3);
                qpWriteInteger(s, 1);
            }
        });
        qpVersion = version;
        TqpMemoView m;
        m.SaveMode = quint8(mode);
        std::unique_ptr<QBuffer> in(reader(bytes));
        m.LoadFromStream(*in);
        QVERIFY(in->atEnd());

        const bool named = version > 23 || (version == 23 && tmpl);
        QCOMPARE(m.Name, named ? QStringLiteral("Eski1") : QStringLiteral("Memo1"));
        QCOMPARE(m.RecordMajor, quint8(version > 23 ? 2 : 0));
        QCOMPARE(QList<int>({m.Left, m.Top, m.Width, m.Height}), QList<int>({10, 20, 300, 40}));
        QCOMPARE(m.Flags, quint16(version == 21 ? 0x22 : 0x20));
        QCOMPARE(m.FrameWidth, 2.5f);
        QCOMPARE(m.Memo, QStringList({QStringLiteral("bir"), QStringLiteral("iki")}));
        QCOMPARE(m.FormatStr, tmpl ? QStringLiteral("fmt") : QString());
        QCOMPARE(m.Script, version >= 23 && tmpl ? QStringList{QStringLiteral("x")} : QStringList());
        QCOMPARE(m.Visible, !(version >= 23 && tmpl));
        QCOMPARE(m.Tag, version > 23 ? QStringLiteral("tag") : QString());
        QCOMPARE(m.GapX, version > 23 ? 7 : 2);
        QCOMPARE(m.BandAlign, quint8(version > 23 ? baCenter : baNone));
        QCOMPARE(m.Font.Name, QStringLiteral("Courier New"));
        QCOMPARE(m.Font.Style, fsBold);
        QCOMPARE(m.Font.Charset, version < 23 ? qpCharset : 162);
        QCOMPARE(m.Alignment, int(qptaRight));
        QCOMPARE(m.HighlightCondition, tmpl ? QStringLiteral("cond") : QString());
        QCOMPARE(m.LineSpacing, version > 23 ? 3 : 2);
    }

    void assignCopiesThroughARecord()
    {
        TqpMemoView src, dst;
        fillEveryField(src);
        src.Selected = 1;
        src.SaveMode = smQPP;
        qpVersion = 22;
        dst.Assign(&src);
        QCOMPARE(qpVersion, 22);
        QCOMPARE(dst.Name, src.Name);
        QCOMPARE(dst.Selected, quint8(1));
        QCOMPARE(dst.Memo, src.Memo);
        QCOMPARE(dst.Script, src.Script);
        QCOMPARE(dst.Format, src.Format);
        QCOMPARE(dst.Font, src.Font);
        QCOMPARE(dst.Highlight, src.Highlight);
        QCOMPARE(dst.HighlightCondition, src.HighlightCondition);
        QCOMPARE(dst.BandAlign, src.BandAlign);
    }

    // --- properties and methods

    void properties()
    {
        TqpMemoView m;
        QCOMPARE(m.GetPropValue(QStringLiteral("DataField")).stringValue(), QString());
        m.SetPropValue(QStringLiteral("Memo"), QStringLiteral("a\r\nb"));
        QCOMPARE(m.Memo, QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(m.GetPropValue(QStringLiteral("MEMO")).stringValue(), QStringLiteral("a\r\nb\r\n"));
        QCOMPARE(m.GetPropValue(QStringLiteral("DATAFIELD")).stringValue(), QStringLiteral("a"));
        QCOMPARE(m.GetPropValue(QStringLiteral("Memo.Count")).integerValue(), 2);
        QCOMPARE(m.GetPropValue(QStringLiteral("Lines.Count")).integerValue(), 2);

        m.DoMethod(QStringLiteral("HIDE"), Variant(), Variant(), Variant());
        QVERIFY(!m.Visible);
        m.DoMethod(QStringLiteral("SHOW"), Variant(), Variant(), Variant());
        QVERIFY(m.Visible);
        m.DoMethod(QStringLiteral("MEMO.ADD"), QStringLiteral("'x'"), Variant(), Variant());
        QCOMPARE(m.Memo.last(), QStringLiteral("x"));
        m.DoMethod(QStringLiteral("LINES.ADD"), QStringLiteral("1+2"), Variant(), Variant());
        QCOMPARE(m.Memo.last(), QStringLiteral("3"));
        QCOMPARE(m.DoMethod(QStringLiteral("LINES.INDEXOF"), QStringLiteral("'x'"), Variant(), Variant()).integerValue(), 2);
        m.DoMethod(QStringLiteral("SETINDEXPROPERTY"), QStringLiteral("MEMO"), 0, QStringLiteral("z"));
        QCOMPARE(m.DoMethod(QStringLiteral("GETINDEXPROPERTY"), QStringLiteral("LINES"), 0, Variant()).stringValue(),
                 QStringLiteral("z"));
        m.DoMethod(QStringLiteral("MEMO.DELETE"), QStringLiteral("0"), Variant(), Variant());
        QCOMPARE(m.Memo.first(), QStringLiteral("b"));
        for (int bad : {-1, 3, 100000})
            QVERIFY_THROWS_EXCEPTION(EListError, m.DoMethod(QStringLiteral("GETINDEXPROPERTY"), QStringLiteral("MEMO"),
                                                            bad, Variant()));
        QVERIFY_THROWS_EXCEPTION(EListError, m.DoMethod(QStringLiteral("LINES.DELETE"), QStringLiteral("9"), Variant(),
                                                        Variant()));
        QCOMPARE(m.Memo.size(), 3);
        m.DoMethod(QStringLiteral("MEMO.CLEAR"), Variant(), Variant(), Variant());
        QVERIFY(m.Memo.isEmpty());

        m.SetPropValue(QStringLiteral("Font.Style"), 2 + 4);
        QCOMPARE(m.Font.Style, fsBold | fsUnderline);
        QCOMPARE(m.GetPropValue(QStringLiteral("font.style")).integerValue(), 6);
        m.SetPropValue(QStringLiteral("WordWrap"), false);
        m.SetPropValue(QStringLiteral("Suppress"), true);
        m.SetPropValue(QStringLiteral("Stretched"), false);
        QCOMPARE(m.Flags, quint16(flSuppress));
        QCOMPARE(m.GetPropValue(QStringLiteral("SUPPRESS")).booleanValue(), true);
        QVERIFY(m.GetPropValue(QStringLiteral("NoSuchThing")).isNull());
        QCOMPARE(m.DoMethod(QStringLiteral("CALCHEIGHT"), Variant(), Variant(), Variant()).integerValue(), 0);
    }

    void propertyList()
    {
        TqpMemoView m;
        // The list is defined by the first look-up.
        const TqpPropRec *style = m.GetPropRec(QStringLiteral("framestyle"));
        QVERIFY(style);
        QCOMPARE(style->PropType, qpdt({qpdtEnum}));
        QCOMPARE(style->Enum.size(), 6);
        QCOMPARE(style->EnumValues.last().integerValue(), 5);
        QStringList names;
        for (const TqpPropRec &r : m.PropList())
            names << r.PropName;
        QCOMPARE(names.first(), QStringLiteral("Name"));
        QVERIFY(names.indexOf(QStringLiteral("Restrictions")) < names.indexOf(QStringLiteral("Font.Name")));
        QCOMPARE(names.last(), QStringLiteral("RTLReading"));
        QCOMPARE(names.count(QStringLiteral("GapX")), 1);
        m.DelProperty(QStringLiteral("GAPX"));
        QVERIFY(!m.GetPropRec(QStringLiteral("GapX")));
        m.AddEnumProperty(QStringLiteral("NoValues"), QStringLiteral("a;b"), {Variant::null(), 1});
        QVERIFY(m.GetPropRec(QStringLiteral("NoValues"))->EnumValues.isEmpty());
        m.AddProperty(QString(40, QLatin1Char('p')), 0);
        QCOMPARE(m.PropList().last().PropName.size(), 32);

        TestBand band; // bands list no frame properties
        QVERIFY(!band.GetPropRec(QStringLiteral("FrameTyp")));
        QVERIFY(band.GetPropRec(QStringLiteral("Visible")));
    }

    // --- names, paths, registry

    void uniqueNames()
    {
        QCOMPARE(report->add<TqpMemoView>()->Name, QStringLiteral("Memo1"));
        QCOMPARE(report->add<TqpMemoView>()->Name, QStringLiteral("Memo2"));
        QCOMPARE(report->add<TestBand>()->Name, QStringLiteral("Band1"));
        // A freed number is taken again.
        report->names.remove(QStringLiteral("MEMO1"));
        QCOMPARE(report->add<TqpMemoView>()->Name, QStringLiteral("Memo1"));
        QCOMPARE(report->add<TqpMemoView>()->Name, QStringLiteral("Memo3"));
    }

    void thousandsOfNames()
    {
        for (int i = 0; i < 3000; ++i)
            report->add<TqpMemoView>();
        QCOMPARE(report->names.size(), 3000);
        QCOMPARE(report->page().objects.last()->Name, QStringLiteral("Memo3000"));
    }

    void allNamesTakenLeavesTheNameEmpty()
    {
        TqpMemoView taken;
        for (int i = 1; i <= 10000; ++i)
            report->names.insert(QStringLiteral("MEMO%1").arg(i), &taken);
        TqpMemoView m;
        m.Name = QStringLiteral("old");
        m.CreateUniqueName();
        QCOMPARE(m.Name, QString());
    }

    void resolvePropertyPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("object"); // "page2", "view", "memo3", "none"
        QTest::addColumn<QString>("property");
        QTest::newRow("page") << "Page2.Visible" << "page2" << "Visible";
        QTest::newRow("font of the current view") << "Font.Size" << "view" << "Font.Size";
        QTest::newRow("object by name") << "Memo3.Left" << "memo3" << "Left";
        QTest::newRow("no dot") << "Left" << "view" << "Left";
        QTest::newRow("unknown object") << "Nobody.Left" << "none" << "Left";
        QTest::newRow("page beyond the report") << "Page9.Visible" << "none" << "Visible";
        QTest::newRow("page zero") << "page0.Visible" << "none" << "Visible";
        QTest::newRow("huge page number") << "PAGE99999999999999.X" << "none" << "X";
        QTest::newRow("page without digit is a name") << "PageX.Left" << "none" << "Left";
    }

    void resolvePropertyPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, object);
        QFETCH(QString, property);
        report->page(1);
        report->add<TqpMemoView>();
        report->add<TqpMemoView>();
        TqpMemoView *memo3 = report->add<TqpMemoView>();
        TqpMemoView view;
        CurView = &view;
        TqpObject *found = nullptr;
        QString prop;
        ResolvePropertyPath(path, found, prop);
        QCOMPARE(prop, property);
        TqpObject *expected = object == "page2" ? report->pages[1].get()
                              : object == "view" ? static_cast<TqpObject *>(&view)
                              : object == "memo3" ? memo3
                                                  : nullptr;
        QCOMPARE(found, expected);
        if (found)
            QVERIFY(!found->PropList().isEmpty());
    }

    void longPropertyNameIsCut()
    {
        TqpObject *found = nullptr;
        QString prop;
        report->add<TqpMemoView>();
        ResolvePropertyPath(QStringLiteral("Memo1.") + QString(300, QLatin1Char('p')), found, prop);
        QCOMPARE(prop.size(), 255);
        QVERIFY(found);
    }

    void registry()
    {
        QVERIFY(!qpCreateObject(7, QString()));
        QVERIFY(!qpCreateObject(11, QString()));
        QVERIFY(!qpCreateObject(-1, QString()));
        const quint32 id = qpNextObjectID;
        std::unique_ptr<TqpView> memo(qpCreateObject(vkText, QString()));
        QCOMPARE(memo->Kind, quint8(vkText));
        QCOMPARE(memo->ClassName(), QStringLiteral("TqpMemoView"));
        QCOMPARE(memo->ID, id);

        // Stand-in for the rich-text class, registered by name.
        struct Rich : TqpMemoView {
            QString ClassName() const override { return QStringLiteral("TqpRichView"); }
        };
        const TqpViewClass rich = qpClassOf<Rich>();
        qpRegisterObject(rich, QImage(), QStringLiteral("55223"));
        qpRegisterObject(rich, QImage(), QStringLiteral("again"));
        QCOMPARE(qpAddInsCount, 1);
        QCOMPARE(qpAddIns[0].ButtonHint, QStringLiteral("55223"));
        std::unique_ptr<TqpView> created(qpCreateObject(vkAddIn, QStringLiteral("TqpRichView")));
        QCOMPARE(created->ClassName(), QStringLiteral("TqpRichView"));
        QCOMPARE(created->Kind, quint8(vkAddIn));
        QCOMPARE(created->ID, id + 1);

        for (const char *missing : {"TqpRichview", "TqpChart"}) {
            try {
                delete qpCreateObject(vkAddIn, QLatin1String(missing));
                QFAIL("class-not-found expected");
            } catch (const EClassNotFound &e) {
                QCOMPARE(e.message(), ErrorStr);
            }
        }
        QVERIFY(ErrorFlag);
        QCOMPARE(ErrorStr, QStringLiteral("TqpRichview\rTqpChart\r"));

        struct Other : TqpMemoView {
            QString ClassName() const override { return QStringLiteral("TqpOther"); }
        };
        qpRegisterControl(qpClassOf<Other>(), QImage(), QString());
        qpUnRegisterObject(rich);
        QCOMPARE(qpAddInsCount, 1);
        QCOMPARE(qpAddIns[0].ClassRef.ClassName, QStringLiteral("TqpOther"));
        QCOMPARE(qpAddIns[0].IsControl, 1);
        for (int i = 1; i < qpMaxAddIns; ++i)
            qpRegisterObject({QStringLiteral("C%1").arg(i), [] { return new TqpMemoView; }}, QImage(), QString());
        QVERIFY_THROWS_EXCEPTION(EqpError, qpRegisterObject({QStringLiteral("Full"), {}}, QImage(), QString()));
        while (qpAddInsCount > 0)
            qpUnRegisterObject(qpAddIns[0].ClassRef);
    }

    // --- geometry

    void frameGeometry_data()
    {
        QTest::addColumn<float>("frameWidth");
        QTest::addColumn<int>("frameTyp");
        QTest::addColumn<TRect>("drawRect");
        QTest::addColumn<int>("gapX");
        QTest::addColumn<int>("gapY");
        // Object at (100, 50), 80 x 30: right 180, bottom 80.
        QTest::newRow("2.5 all lines") << 2.5f << 15 << TRect{101, 51, 180, 80} << 3 << 1;
        QTest::newRow("2.5 no lines") << 2.5f << 0 << TRect{100, 50, 181, 81} << 3 << 1;
        QTest::newRow("1 all lines") << 1.0f << 15 << TRect{100, 50, 181, 81} << 2 << 1;
        QTest::newRow("4 left and top") << 4.0f << 12 << TRect{102, 52, 181, 81} << 4 << 2;
        QTest::newRow("3.5 right and bottom") << 3.5f << 3 << TRect{100, 50, 179, 79} << 4 << 2;
    }

    void frameGeometry()
    {
        QFETCH(float, frameWidth);
        QFETCH(int, frameTyp);
        QFETCH(TRect, drawRect);
        QFETCH(int, gapX);
        QFETCH(int, gapY);
        TqpMemoView m;
        m.SetBounds(100, 50, 80, 30);
        m.FrameWidth = frameWidth;
        m.FrameTyp = quint16(frameTyp);
        m.CalcGaps();
        QCOMPARE(m.DrawRect, drawRect);
        QCOMPARE(m.GapX, gapX);
        QCOMPARE(m.GapY, gapY);
        m.RestoreCoord();
        QCOMPARE(QList<int>({m.Left, m.Top, m.Width, m.Height, m.GapX, m.GapY}), QList<int>({100, 50, 80, 30, 2, 1}));
        QCOMPARE(m.FrameWidth, frameWidth);
    }

    void scaledGeometryWhilePrinting()
    {
        DocMode = dmPrinting;
        TqpMemoView m;
        m.SetBounds(100, 50, 80, 30);
        m.ScaleX = m.ScaleY = 2.0;
        m.OffsetX = 10;
        m.OffsetY = 20;
        m.FrameTyp = 15;
        m.CalcGaps();
        // a = round(0.5) = 0, b = 1, c = 0, d = 1.
        QCOMPARE(m.DrawRect, (TRect{210, 120, 370, 180}));
        QCOMPARE(QList<int>({m.Left, m.Top, m.Width, m.Height, m.GapX, m.GapY}), QList<int>({210, 120, 160, 60, 5, 2}));
        QCOMPARE(m.FrameWidth, 2.0f);
        m.RestoreCoord();
        QCOMPARE(m.Left, 100);
    }

    void clipRegion()
    {
        TqpMemoView m;
        m.SetBounds(10, 20, 30, 40);
        m.FrameTyp = 15;
        m.FrameWidth = 3;
        QCOMPARE(m.GetClipRgn(rtNormal), (TRect{8, 18, 42, 62})); // a = round(1.5) = 2, b = 1
        QCOMPARE(m.GetClipRgn(rtExtended), (TRect{-2, 8, 52, 72}));
        m.FrameStyle = psDouble; // a = round(4.5) = 4, b = 4
        QCOMPARE(m.GetClipRgn(rtNormal), (TRect{6, 16, 45, 65}));
        m.FrameTyp = 0;
        QCOMPARE(m.GetClipRgn(rtNormal), (TRect{10, 20, 41, 61}));
    }

    void bandAlignmentInTheDesigner()
    {
        TestPage &page = report->page();
        page.leftMargin = 20;
        page.rightMargin = 500;
        qpDesignerPage = &page;
        CurPage = &page;
        TestBand *band = report->add<TestBand>();
        band->SetBounds(0, 100, 600, 40);
        TqpMemoView *left = report->add<TqpMemoView>();
        left->SetBounds(5, 110, 50, 10);
        left->BandAlign = baLeft;
        TqpMemoView *right = report->add<TqpMemoView>();
        right->SetBounds(400, 110, 60, 10);
        right->BandAlign = baRight;
        TqpMemoView *rest = report->add<TqpMemoView>();
        rest->SetBounds(200, 110, 10, 10);
        rest->BandAlign = baRest;

        left->BeginDraw(&TempBitmap->Canvas);
        QCOMPARE(left->Left, 20);
        QCOMPARE(CurView, left);
        right->BeginDraw(&TempBitmap->Canvas);
        QCOMPARE(right->Left, 440);
        rest->BeginDraw(&TempBitmap->Canvas);
        QCOMPARE(QList<int>({rest->Left, rest->Width}), QList<int>({70, 370}));

        rest->BandAlign = baBottom;
        rest->BeginDraw(&TempBitmap->Canvas);
        QCOMPARE(rest->Top, 130);
        rest->BandAlign = baCenter;
        rest->Width = 100;
        rest->BeginDraw(&TempBitmap->Canvas);
        QCOMPARE(rest->Left, 210);
        rest->BandAlign = baWidth;
        band->FrameTyp = 19; // cross-tab data band
        rest->BeginDraw(&TempBitmap->Canvas);
        QCOMPARE(QList<int>({rest->Left, rest->Width}), QList<int>({0, 600}));
    }

    // --- wrapping

    void wrapping()
    {
        MeasureCanvas m;
        const int holds = m.canvas.TextWidth(QStringLiteral("aaa bbb"));
        QCOMPARE(wrap(QStringLiteral("aaa bbb ccc"), holds), QStringList({"aaa bbb", "ccc" + mark}));
        QCOMPARE(wrap(QStringLiteral("aaa bbb ccc"), holds - 1), QStringList({"aaa", "bbb", "ccc" + mark}));
        // The character that overflows starts the next line.
        const int five = m.canvas.TextWidth(QStringLiteral("abcde"));
        QCOMPARE(wrap(QStringLiteral("abcdefgh"), five), QStringList({"abcde", "fgh" + mark}));
        QCOMPARE(wrap(QStringLiteral("abc\r\n"), 1000), QStringList({"abc" + mark}));
        QCOMPARE(wrap(QStringLiteral("a\r\n\r\nb"), 1000), QStringList({"a" + mark, "b" + mark}));
        QCOMPARE(wrap(QStringLiteral("fits"), 1000), QStringList({"fits" + mark}));
        QCOMPARE(wrap(QString(), 1000), QStringList({mark}));
        QCOMPARE(wrap(QStringLiteral("x"), -5), QStringList({"x" + mark}));
    }

    void wrappingNeverLosesOrHangs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("wordBreak");
        const QString words = QStringLiteral("Kütüphane şişesi ve İstanbul'daki dernek üyeleri ");
        QString big;
        while (big.size() < 100000)
            big += words;
        QTest::newRow("100000 characters") << big << 300 << false;
        QTest::newRow("100000 characters, word break") << big << 300 << true;
        QTest::newRow("no break opportunity") << QString(100000, QLatin1Char('w')) << 300 << true;
        QTest::newRow("zero width") << QStringLiteral("abc def") << 0 << false;
        QTest::newRow("negative width, word break") << QStringLiteral("şişeşişe abc") << -40 << true;
        // After breaking at the blank, not even the first syllable fits:
        // retrying from that blank would emit empty lines for ever.
        QTest::newRow("first syllable wider than the line")
            << QStringLiteral("abc ŞİŞEKİ") << MeasureCanvas().canvas.TextWidth(QStringLiteral("Şİ-")) - 1 << true;
        QTest::newRow("narrow, Turkish syllables")
            << QStringLiteral("Şişeşişe ÜTÜCÜ düğün İŞİN ŞİŞEKİ kütüphanesİ") << 12 << true;
    }

    void wrappingNeverLosesOrHangs()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(bool, wordBreak);
        const QStringList lines = wrap(text, width, wordBreak);
        QVERIFY(lines.last().endsWith(mark));
        // Only the blanks at which lines break go, and hyphens come at syllable breaks.
        QString back = lines.join(QString());
        QString expected = text;
        for (QChar dropped : {qpParagraphMark, QChar(' '), QChar('-')}) {
            back.remove(dropped);
            expected.remove(dropped);
        }
        QCOMPARE(back, expected);
    }

    void syllables_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QList<int>>("breaks");
        // Of the Turkish vowels only İ (byte 221) is a vowel of the rule,
        // Ş (222) counts as one too and Ü (220) as a sign letter.
        // Upper-casing keeps the dotless I: "şişe" becomes ŞIŞE, without a vowel of the rule.
        QTest::newRow("ŞİŞE") << QStringLiteral("ŞİŞE") << QList<int>{2};
        QTest::newRow("şişe") << QStringLiteral("şişe") << QList<int>{};
        QTest::newRow("kalem") << QStringLiteral("kalem") << QList<int>{};
        QTest::newRow("düğün") << QStringLiteral("düğün") << QList<int>{2};
        QTest::newRow("ÜTÜCÜ") << QStringLiteral("ÜTÜCÜ") << QList<int>{3};
        QTest::newRow("İŞİN") << QStringLiteral("İŞİN") << QList<int>{2};
        QTest::newRow("short") << QStringLiteral("işi") << QList<int>{};
    }

    void syllables()
    {
        QFETCH(QString, word);
        QFETCH(QList<int>, breaks);
        QCOMPARE(qpSyllableBreaks(word), breaks);
    }

    // Wrapping with and without "WordBreak": the width is that of a sample
    // text (less one pixel when asked), so the cases hold for any font.
    void wordBreak_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("widthOf");
        QTest::addColumn<int>("less");
        QTest::addColumn<bool>("wordBreak");
        QTest::addColumn<QStringList>("expected");
        // ŞİŞEKİ may break after Şİ and after ŞİŞE; the last that fits wins.
        QTest::newRow("longest syllable that fits") << QStringLiteral("ab ŞİŞEKİ") << QStringLiteral("ab ŞİŞE-") << 0
                                                    << true << QStringList{"ab ŞİŞE-", "Kİ" + mark};
        QTest::newRow("shorter syllable") << QStringLiteral("ab ŞİŞEKİ") << QStringLiteral("ab ŞİŞE-") << 1 << true
                                          << QStringList{"ab Şİ-", "ŞEKİ" + mark};
        QTest::newRow("without WordBreak") << QStringLiteral("ab ŞİŞEKİ") << QStringLiteral("ab ŞİŞE-") << 0 << false
                                           << QStringList{"ab", "ŞİŞEKİ" + mark};
        // A word without syllable breaks: the overflowing character starts
        // the next line and the line keeps its trailing blank.
        QTest::newRow("no syllable, blank kept") << QStringLiteral("aaa bbb ccc") << QStringLiteral("aaa bbb") << 0
                                                 << true << QStringList{"aaa bbb ", "ccc" + mark};
        QTest::newRow("no syllable, without WordBreak")
            << QStringLiteral("aaa bbb ccc") << QStringLiteral("aaa bbb") << 0 << false
            << QStringList{"aaa bbb", "ccc" + mark};
        QTest::newRow("word longer than the line") << QStringLiteral("abcdefgh") << QStringLiteral("abcde") << 0
                                                   << true << QStringList{"abcde", "fgh" + mark};
        // No syllable fits after the blank: the line breaks at the blank and
        // the word is hyphenated on its own line.
        QTest::newRow("break at the blank, then a syllable")
            << QStringLiteral("abcd ŞİŞEKİ") << QStringLiteral("ŞİŞE-") << 0 << true
            << QStringList{"abcd", "ŞİŞE-", "Kİ" + mark};
        // Lower-case Turkish: DÜĞÜN breaks after DÜ (Ü is a sign letter).
        QTest::newRow("düğün") << QStringLiteral("birinci düğün") << QStringLiteral("birinci dü-") << 0 << true
                               << QStringList{"birinci dü-", "ğün" + mark};
        QTest::newRow("düğün, no room for a syllable")
            << QStringLiteral("birinci düğün") << QStringLiteral("birinci dü-") << 1 << true
            << QStringList{"birinci", "düğün" + mark};
        // A word starting the line: the syllables are taken after its
        // first character, as the pending line has no blank.
        QTest::newRow("word at the line start") << QStringLiteral("ŞİŞEKİ") << QStringLiteral("ŞİŞEK") << 0 << true
                                                << QStringList{"ŞİŞE-", "Kİ" + mark};
    }

    void wordBreak()
    {
        QFETCH(QString, text);
        QFETCH(QString, widthOf);
        QFETCH(int, less);
        QFETCH(bool, wordBreak);
        QFETCH(QStringList, expected);
        MeasureCanvas m;
        QCOMPARE(wrap(text, m.canvas.TextWidth(widthOf) - less, wordBreak), expected);
    }

    // --- measuring and writing

    void measuring()
    {
        TqpMemoView m;
        QCOMPARE(m.MinHeight(), 19);
        QCOMPARE(m.LineStep, 15);
        m.Height = 50;
        QCOMPARE(m.LostSpace(), 1 + 2 + 2); // (50 - 2 - 2) mod 15 = 1
        m.LineSpacing = -13;
        QCOMPARE(m.LostSpace(), 4);
    }

    void calcHeightExpandsAndWraps()
    {
        TqpMemoView *m = report->add<TqpMemoView>();
        m->SetBounds(0, 0, 400, 17);
        m->Memo = {QStringLiteral("Adı: [Uye.\"Adi\"]"), QString(), QStringLiteral("[lines]")};
        report->value = [](const QString &e) { return e == "lines" ? QStringLiteral("x\r\ny") : QStringLiteral("Ayşe"); };
        DocMode = dmPrinting;
        QCOMPARE(m->CalcHeight(), 1 + 4 * 15 + 1);
        QCOMPARE(m->ExpandedMemo, QStringList({"Adı: Ayşe" + mark, mark, "x" + mark, "y" + mark}));
        QCOMPARE(m->DrawMode, quint8(drAfterCalcHeight));
        m->Visible = false;
        QCOMPARE(m->CalcHeight(), 0);
        m->Visible = true;
        m->Flags |= flTextOnly;
        m->Memo = {QStringLiteral("[not evaluated]")};
        QCOMPARE(m->CalcHeight(), 17);
        QCOMPARE(m->ExpandedMemo, QStringList({"[not evaluated]" + mark}));
    }

    void valuesAreNotScannedAgain()
    {
        TqpMemoView m;
        report->value = [](const QString &e) { return "<" + e + "[z]>"; };
        QString text = QStringLiteral("a[x]b[y]c[");
        m.ExpandVariables(text);
        QCOMPARE(text, QStringLiteral("a<x[z]>b<y[z]>c["));
        QCOMPARE(report->valueCalls, 2);
    }

    void suppressOverTwoRecords()
    {
        TqpMemoView *m = report->add<TqpMemoView>();
        m->SetBounds(0, 0, 200, 17);
        m->Flags |= flSuppress;
        m->SaveMode = smQPP;
        m->Memo = {QStringLiteral("[city]")};
        report->value = [](const QString &) { return QStringLiteral("Ankara"); };
        DocMode = dmPrinting;
        QList<int> heights, sizes;
        for (int record = 0; record < 2; ++record) {
            heights << m->CalcHeight();
            sizes << int(written([&](QIODevice &s) { m->StreamOut(s); }).size());
        }
        QCOMPARE(heights, QList<int>({17, 0}));
        QVERIFY(sizes[0] > 0);
        QCOMPARE(sizes[1], 0);
        report->value = [](const QString &) { return QStringLiteral("İzmir"); };
        QCOMPARE(m->CalcHeight(), 17);
    }

    void countingPassFollowsTheTexts()
    {
        TqpMemoView m;
        m.SetBounds(0, 0, 200, 17);
        m.Flags |= flSuppress;
        m.Memo = {QStringLiteral("[v]")};
        report->countingPass = true;
        QCOMPARE(m.CalcHeight(), 17);
        QCOMPARE(m.LastValue, "v" + mark + "\r\n");
        QCOMPARE(m.CalcHeight(), 0);
    }

    void streamOutWritesThePreparedRecord()
    {
        TqpMemoView *m = report->add<TqpMemoView>();
        m->SetBounds(10, 20, 200, 40);
        m->Memo = {QStringLiteral("Toplam: [sum]")};
        m->Tag = QStringLiteral("[tag]");
        m->HighlightCondition = qpParser->Str2OPZ(QStringLiteral("1 = 1"));
        m->BandAlign = baBottom;
        m->SaveMode = smQPP;
        report->value = [](const QString &e) { return e == "sum" ? QStringLiteral("12,50") : QStringLiteral("T"); };
        const QByteArray bytes = written([&](QIODevice &s) { m->StreamOut(s); });
        QCOMPARE(quint8(bytes.at(0)), quint8(vkText));
        TqpMemoView back;
        back.SaveMode = smQPP;
        std::unique_ptr<QBuffer> in(reader(bytes.mid(1)));
        back.LoadFromStream(*in);
        QCOMPARE(back.Memo, QStringList({QStringLiteral("Toplam: 12,50")}));
        QCOMPARE(back.Tag, QStringLiteral("T"));
        QCOMPARE(back.BandAlign, quint8(baNone));
        QCOMPARE(back.Font.Style, fsBold); // highlighted
        QCOMPARE(back.FillColor, 0xFFFFFFu);
        // The object itself is as designed again.
        QCOMPARE(m->Tag, QStringLiteral("[tag]"));
        QCOMPARE(m->BandAlign, quint8(baBottom));
        QCOMPARE(m->Font.Style, 0);
        QCOMPARE(m->FillColor, clNone);
        QCOMPARE(m->DrawMode, quint8(drAll));

        // A condition that fails leaves the text plain.
        m->HighlightCondition = qpParser->Str2OPZ(QStringLiteral("'abc' > 1"));
        const QByteArray plain = written([&](QIODevice &s) { m->StreamOut(s); });
        std::unique_ptr<QBuffer> in2(reader(plain.mid(1)));
        back.LoadFromStream(*in2);
        QCOMPARE(back.Font.Style, 0);
    }

    void partSplitKeepsTheRemainingLines()
    {
        TqpMemoView *m = report->add<TqpMemoView>();
        m->SetBounds(0, 0, 200, 1 + 2 * 15 + 1 + 1);
        m->SaveMode = smQPP;
        m->Memo = {QStringLiteral("[five]")};
        report->value = [](const QString &) { return QStringLiteral("1\r\n2\r\n3\r\n4\r\n5"); };
        DocMode = dmPrinting;
        QCOMPARE(m->CalcHeight(), 1 + 5 * 15 + 1);
        QCOMPARE(report->valueCalls, 1);

        const auto readBack = [](const QByteArray &bytes) {
            TqpMemoView back;
            back.SaveMode = smQPP;
            std::unique_ptr<QBuffer> in(reader(bytes.mid(1)));
            back.LoadFromStream(*in);
            return back.Memo;
        };
        m->DrawMode = drPart;
        QCOMPARE(readBack(written([&](QIODevice &s) { m->StreamOut(s); })), QStringList({"1" + mark, "2" + mark}));
        QCOMPARE(m->ExpandedMemo, QStringList({"3" + mark, "4" + mark, "5" + mark}));
        // Next page: more room; the rest prints as it was wrapped and evaluated.
        m->Height = 200;
        m->DrawMode = drPart;
        QCOMPARE(readBack(written([&](QIODevice &s) { m->StreamOut(s); })), QStringList({"3" + mark, "4" + mark, "5" + mark}));
        QVERIFY(m->ExpandedMemo.isEmpty());
        QCOMPARE(report->valueCalls, 1);
        QCOMPARE(m->DrawMode, quint8(drAll));

        // Lines produced by wrapping carry no marker: the part gets a marker line.
        m->Memo = {QStringLiteral("aaa bbb ccc ddd")};
        m->SetBounds(0, 0, 4 + TempBitmap->Canvas.TextWidth(QStringLiteral("aaa")) + 2, 1 + 15 + 1 + 1);
        m->CalcHeight();
        m->DrawMode = drPart;
        QCOMPARE(readBack(written([&](QIODevice &s) { m->StreamOut(s); })), QStringList({"aaa", mark}));
        QCOMPARE(m->ExpandedMemo, QStringList({"bbb", "ccc", "ddd" + mark}));
    }

    void badSizesAndFonts_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<float>("frameWidth");
        QTest::newRow("zero size") << 0 << 0 << 10 << 1.0f;
        QTest::newRow("negative size") << -50 << -20 << 10 << 1.0f;
        QTest::newRow("font size 0") << 100 << 40 << 0 << 1.0f;
        QTest::newRow("font size 2000") << 100 << 40 << 2000 << 1.0f;
        QTest::newRow("frame width 1000") << 100 << 40 << 10 << 1000.0f;
    }

    void badSizesAndFonts()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, fontSize);
        QFETCH(float, frameWidth);
        TqpMemoView *m = report->add<TqpMemoView>();
        m->SetBounds(5, 5, width, height);
        m->Font.Size = fontSize;
        m->FrameWidth = frameWidth;
        m->FrameTyp = 15;
        m->FrameStyle = 2;
        m->Flags |= flUnderlines;
        m->Memo = {QStringLiteral("Bir iki üç dört beş altı yedi")};
        DocMode = dmPrinting;
        QVERIFY(m->CalcHeight() > 0);
        QVERIFY(!m->ExpandedMemo.isEmpty());
        m->SaveMode = smQPP;
        m->DrawMode = drPart;
        QVERIFY(!written([&](QIODevice &s) { m->StreamOut(s); }).isEmpty());
        QImage img(120, 80, QImage::Format_RGB32);
        img.fill(Qt::white);
        TCanvas canvas(&img);
        m->Draw(&canvas);
        QCOMPARE(QList<int>({m->Left, m->Width, m->Height}), QList<int>({5, width, height}));
        QCOMPARE(m->FrameWidth, frameWidth);
    }

    // --- drawing

    void drawing()
    {
        QImage img(420, 330, QImage::Format_RGB32);
        img.fill(Qt::white);
        TCanvas canvas(&img);
        canvas.setRecording(true);
        DocMode = dmPrinting;
        const QString sentence = QStringLiteral("Dernek üyeleri yıllık aidatlarını öder");

        struct Case {
            int alignment;
            QRect box;
            quint16 frameStyle;
            QString text;
        };
        const QList<Case> cases = {
            {0, {10, 10, 190, 20}, 0, QStringLiteral("Sola dayalı")},
            {qptaRight, {210, 10, 190, 20}, 1, QStringLiteral("Sağa dayalı")},
            {qptaCenter, {10, 40, 190, 20}, 2, QStringLiteral("Ortalanmış")},
            {qptaJustify, {210, 40, 190, 50}, 3, sentence},
            {qptaVertical, {10, 110, 40, 200}, 4, QStringLiteral("Döndürülmüş")},
            {qptaCenter | qptaMiddle, {70, 110, 330, 40}, psDouble, QStringLiteral("Çift çizgi")},
        };
        QList<TqpMemoView *> views;
        for (const Case &c : cases) {
            TqpMemoView *m = report->add<TqpMemoView>();
            m->SetBounds(c.box.x(), c.box.y(), c.box.width(), c.box.height());
            m->Alignment = c.alignment;
            m->FrameTyp = 15;
            m->FrameStyle = c.frameStyle;
            m->FrameWidth = c.frameStyle == psDouble ? 2.0f : 1.0f;
            m->FrameColor = c.frameStyle == psDouble ? 0x00800000 : 0x00000080;
            m->FillColor = c.frameStyle == 1 ? 0x00E0FFFF : clNone;
            m->Memo = {c.text};
            m->Draw(&canvas);
            views << m;
        }
        const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/model_drawing.png");
        QVERIFY(img.save(path));
        qInfo("drawing saved to %s", qPrintable(path));

        const auto textsOf = [&](const QString &part) {
            QList<TCanvas::TextRecord> found;
            for (const auto &t : canvas.texts())
                if (part.contains(t.text) && !t.text.isEmpty())
                    found << t;
            return found;
        };
        TCanvas &mc = TempBitmap->Canvas;
        mc.Font.Height = -13;
        mc.CharacterExtra = 0;
        // Left: Left + GapX; right: span + Left - 1 - GapX - width; centre.
        const int wr = mc.TextWidth(cases[1].text), wc = mc.TextWidth(cases[2].text);
        QCOMPARE(textsOf(cases[0].text).first().pos, QPoint(10 + 2, 10 + 1));
        QCOMPARE(textsOf(cases[1].text).first().pos, QPoint(191 + 210 - 1 - 2 - wr, 10 + 1));
        QCOMPARE(textsOf(cases[2].text).first().pos, QPoint((191 - 4 - wc) / 2 + 10 + 2, 40 + 1));
        QCOMPARE(textsOf(cases[0].text).first().clip, QRect(11, 10, 188, 20));

        // Justified: every wrapped line fills the width, the paragraph's last does not.
        const QList<TCanvas::TextRecord> just = textsOf(sentence);
        QVERIFY(just.size() >= 2);
        for (qsizetype i = 0; i + 1 < just.size(); ++i) {
            QCOMPARE(just[i].pos.x(), 212);
            QCOMPARE(just[i].width, 191 - 4);
            QCOMPARE(just[i].pos.y(), 41 + 15 * int(i));
        }
        QCOMPARE(just.last().width, mc.TextWidth(just.last().text));

        // Rotated upwards from the bottom.
        const auto rotated = textsOf(cases[4].text);
        QCOMPARE(rotated.size(), 1);
        QCOMPARE(rotated.first().pos, QPoint(10 + 2, 311 - 1));
        QCOMPARE(rotated.first().font.Orientation, 900);

        // Vertically centred: the top moves by (DrawRect height - text height) div 2.
        const auto middle = textsOf(cases[5].text);
        QCOMPARE(middle.first().pos.y(), 110 + (40 - 17) / 2 + 1);

        // Frames: a patterned line of width 1 is one line; a double one three.
        QList<TCanvas::ShapeRecord> lines;
        for (const auto &s : canvas.shapes())
            if (s.kind == TCanvas::ShapeRecord::Line)
                lines << s;
        QCOMPARE(lines.size(), 5 * 4 + 3 * 4);
        // First object: right, left, bottom, top, in that order, at the unreduced edges.
        QCOMPARE(lines[0].geometry, QRect(QPoint(200, 10), QPoint(200, 30)));
        QCOMPARE(lines[1].geometry, QRect(QPoint(10, 10), QPoint(10, 30)));
        QCOMPARE(lines[2].geometry, QRect(QPoint(10, 30), QPoint(200, 30)));
        QCOMPARE(lines[3].geometry, QRect(QPoint(10, 10), QPoint(200, 10)));
        QCOMPARE(lines[4].pen.Style, psDash);
        QCOMPARE(lines[8].pen.Style, psDot);
        // Double: outer lines in the frame colour 2 units each side, the middle in the fill colour.
        const auto dbl = lines.mid(20, 3);
        QCOMPARE(dbl[0].geometry.left(), 400 - 2);
        QCOMPARE(dbl[1].pen.Color, clNone);
        QCOMPARE(dbl[2].geometry.left(), 400 + 2);
        QCOMPARE(dbl[2].pen.Color, 0x00800000u);
        QCOMPARE(dbl[0].pen.Width, 2);

        // The background of the dashed object is filled, transparent ones are not.
        int fills = 0;
        for (const auto &s : canvas.shapes())
            if (s.kind == TCanvas::ShapeRecord::Fill) {
                ++fills;
                QCOMPARE(s.geometry, QRect(210, 10, 190, 20));
            }
        QCOMPARE(fills, 1);
        QCOMPARE(img.pixel(300, 20), qRgb(0xFF, 0xFF, 0xE0));
    }

    void registeredKindsWriteTheirClassName()
    {
        // Any kind without a writer of its own goes through the common one.
        struct Gauge : TqpView {
            QString ClassName() const override { return QStringLiteral("TqpGauge"); }
            void Draw(TCanvas *) override {}
        };
        qpRegisterObject(qpClassOf<Gauge>(), QImage(), QString());
        std::unique_ptr<TqpView> g(qpCreateObject(vkAddIn, QStringLiteral("TqpGauge")));
        qpUnRegisterObject(qpClassOf<Gauge>());
        g->Name = QStringLiteral("Gauge1");
        g->SetBounds(0, 0, 50, 10);
        g->Tag = QStringLiteral("[t]");
        g->BandAlign = baBottom;
        g->SaveMode = smQPP;
        TestRunBand band;
        band.top = 300;
        band.height = 40;
        CurBand = &band;
        const QByteArray bytes = written([&](QIODevice &s) { g->StreamOut(s); });
        QCOMPARE(bytes.left(12), QByteArray::fromHex("0A" "0800" "547170476175676500"));
        QCOMPARE(g->Top, 300 + 40 - 10);
        QCOMPARE(g->Tag, QStringLiteral("[t]"));
        std::unique_ptr<TqpView> back(qpCreateObject(vkText, QString()));
        back->SaveMode = smQPP;
        std::unique_ptr<QBuffer> in(reader(bytes.mid(12)));
        back->TqpView::LoadFromStream(*in);
        QCOMPARE(back->Tag, QStringLiteral("t"));
        QCOMPARE(back->Top, 330);
        g->DoMethod(QStringLiteral("HIDE"), Variant(), Variant(), Variant());
        QVERIFY(written([&](QIODevice &s) { g->StreamOut(s); }).isEmpty());
    }

    void textBandAlignmentWhilePrinting()
    {
        TestRunBand band;
        band.top = 120;
        band.width = 77;
        band.type = 19;
        CurBand = &band;
        DocMode = dmPrinting;
        TqpMemoView m;
        m.SetBounds(10, 500, 100, 17);
        m.SaveMode = smQPP;
        // Top, width and band alignment of the written record.
        const auto record = [&] {
            TqpMemoView back;
            back.SaveMode = smQPP;
            std::unique_ptr<QBuffer> in(reader(written([&](QIODevice &s) { m.StreamOut(s); }).mid(1)));
            back.LoadFromStream(*in);
            return QList<int>({back.Top, back.Width, back.BandAlign});
        };
        m.BandAlign = baTop;
        QCOMPARE(record(), QList<int>({120, 100, baTop}));
        m.BandAlign = baWidth;
        QCOMPARE(record(), QList<int>({120, 77, baNone}));
        QCOMPARE(m.BandAlign, quint8(baWidth));
    }

    void designerDrawing()
    {
        // The designer marks the corners and shows transparent objects white.
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::gray);
        TCanvas canvas(&img);
        canvas.setRecording(true);
        TqpMemoView m;
        m.SetBounds(10, 20, 100, 40);
        m.Flags |= flUnderlines;
        m.FrameColor = 0x0000FF;
        m.Draw(&canvas);
        QList<QRect> lines;
        for (const auto &s : canvas.shapes())
            if (s.kind == TCanvas::ShapeRecord::Line)
                lines << s.geometry;
        QCOMPARE(lines.mid(0, 8), QList<QRect>({
                     QRect(QPoint(10, 23), QPoint(10, 20)), QRect(QPoint(10, 20), QPoint(14, 20)),
                     QRect(QPoint(10, 57), QPoint(10, 60)), QRect(QPoint(10, 60), QPoint(14, 60)),
                     QRect(QPoint(107, 20), QPoint(110, 20)), QRect(QPoint(110, 20), QPoint(110, 24)),
                     QRect(QPoint(107, 60), QPoint(110, 60)), QRect(QPoint(110, 60), QPoint(110, 56)),
                 }));
        // Ruled lines every 15 units: 40 div 15 = 2 of them.
        QCOMPARE(lines.mid(8), QList<QRect>({QRect(QPoint(10, 20 + 1 + 2 + 13), QPoint(109, 36)),
                                             QRect(QPoint(10, 51), QPoint(109, 51))}));
        QCOMPARE(img.pixel(50, 40), qRgb(255, 255, 255));
        QCOMPARE(img.pixel(150, 40), QColor(Qt::gray).rgb());

        // Printing a transparent object without frame lines draws nothing of them.
        DocMode = dmPrinting;
        canvas.clearRecords();
        m.Flags &= ~flUnderlines;
        m.Draw(&canvas);
        QVERIFY(canvas.shapes().isEmpty());
    }

    void placement_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        // Object at (10, 10), 100 x 200: DrawRect (10, 10, 111, 211), gaps 2 and 1; tw the text width.
        QTest::newRow("rotated") << int(qptaVertical) << "12" << "210";
        QTest::newRow("rotated right") << int(qptaVertical | qptaRight) << "12" << "tw+11";
        QTest::newRow("rotated centre") << int(qptaVertical | qptaCenter) << "12" << "209-INT((199-tw)/2)";
        QTest::newRow("rotated justified, last line") << int(qptaVertical | qptaJustify) << "12" << "210";
        QTest::newRow("rotated, middle") << int(qptaVertical | qptaMiddle) << "53" << "210";
        QTest::newRow("bottom") << int(qptaDown) << "12" << "194";
        QTest::newRow("middle") << int(qptaMiddle) << "12" << "103";
    }

    void placement()
    {
        QFETCH(int, alignment);
        QFETCH(QString, x);
        QFETCH(QString, y);
        DocMode = dmPrinting;
        QImage img(10, 10, QImage::Format_RGB32);
        TCanvas canvas(&img);
        canvas.setRecording(true);
        TqpMemoView m;
        m.SetBounds(10, 10, 100, 200);
        m.Alignment = alignment;
        m.Memo = {QStringLiteral("Abc")};
        m.Draw(&canvas);
        QCOMPARE(canvas.texts().size(), 1);
        const auto eval = [&](const QString &e) {
            QString t = e;
            t.replace(QLatin1String("tw"), QString::number(canvas.texts().first().width));
            return qpParser->Calc(t).toInt();
        };
        QCOMPARE(canvas.texts().first().pos, QPoint(eval(x), eval(y)));
        QCOMPARE(QList<int>({m.Left, m.Top, m.Alignment}), QList<int>({10, 10, alignment}));
    }

    void exportingSendsLinesInsteadOfDrawing()
    {
        TqpMemoView m;
        m.SetBounds(0, 0, 300, 60);
        m.FrameTyp = 15;
        m.Memo = {QStringLiteral("bir") + mark, QStringLiteral("iki") + mark};
        DocMode = dmPrinting;
        TempBitmap->Canvas.setRecording(true);
        m.ExportData();
        TempBitmap->Canvas.setRecording(false);
        QCOMPARE(report->exported, QStringList({QStringLiteral("bir"), QStringLiteral("iki")}));
        QVERIFY(TempBitmap->Canvas.texts().isEmpty());
        QVERIFY(TempBitmap->Canvas.shapes().isEmpty());
        TempBitmap->Canvas.clearRecords();
        QVERIFY(!m.Exporting);
    }

    void autoWidthFollowsTheWidestLine()
    {
        TqpMemoView m;
        m.SetBounds(100, 0, 300, 20);
        m.Flags |= flAutoWidth;
        m.Alignment = qptaRight;
        m.Memo = {QStringLiteral("kısa"), QStringLiteral("biraz daha uzun") + mark};
        DocMode = dmPrinting;
        const int w = m.CalcWidth(m.Memo);
        QCOMPARE(w, TempBitmap->Canvas.TextWidth(QStringLiteral("biraz daha uzun")) + 1 + 4 + 1);
        QImage img(10, 10, QImage::Format_RGB32);
        TCanvas canvas(&img);
        m.Draw(&canvas);
        QCOMPARE(QList<int>({m.Left, m.Width}), QList<int>({100 + 300 - w, w}));
    }
};

QTEST_MAIN(TestModel)
#include "test_model.moc"
