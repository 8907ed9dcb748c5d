// The export frame over prepared pages built in code: the filter table, the
// order in which a filter is driven, what it receives of the objects, the
// page range, calling an export off, and writing the file safely.

#include "export_filter.h"
#include "export_fixtures.h"
#include "report/core/exceptions.h"
#include "export_tests.h"
#include "report/model/report.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A filter that writes one line per call into the output, so the tests see
// the order of the calls and what each received.
class TraceFilter : public TqpExportFilter {
    Q_OBJECT
public:
    explicit TraceFilter(QObject *owner = nullptr) : TqpExportFilter(owner)
    {
        qpRegisterExportFilter(this, QStringLiteral("Trace (*.trc)"), QStringLiteral("*.trc"));
    }
    QStringList calls;
    int modalResult = mrOk;
    // Raised on the end of this page (1-based), to stand for an error in
    // the middle of an export.
    int failOnPage = 0;
    bool replays = true;
    bool ReplaysObjects() const override { return replays; }

    int ShowModal() override
    {
        calls << QStringLiteral("ShowModal");
        return modalResult;
    }
    void OnBeginDoc() override { trace(QStringLiteral("BeginDoc")); }
    void OnEndDoc() override { trace(QStringLiteral("EndDoc")); }
    void OnBeginPage() override { trace(QStringLiteral("BeginPage %1").arg(PageIndex + 1)); }
    void OnEndPage() override
    {
        if (PageIndex + 1 == failOnPage)
            throw EqpError(QStringLiteral("broken page"));
        trace(QStringLiteral("EndPage %1").arg(PageIndex + 1));
    }
    void OnData(int x, int y, TqpView *view) override { trace(QStringLiteral("Data %1 %2").arg(x).arg(y)); }
    void OnText(const TRect &r, int x, int y, const QString &text, int frameTyp, TqpView *view) override
    {
        trace(QStringLiteral("Text %1 frame %2").arg(text).arg(frameTyp));
    }

private:
    void trace(const QString &line)
    {
        calls << line;
        Stream->write(line.toUtf8() + '\n');
    }
};

class OtherFilter : public TqpExportFilter {
    Q_OBJECT
public:
    OtherFilter() { qpRegisterExportFilter(this, QStringLiteral("Other (*.oth)"), QStringLiteral("*.oth")); }
};

} // namespace

class TestExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void registrationOncePerClassInOrder()
    {
        int changes = 0;
        qpFiltersChanged = [&changes] { ++changes; };
        {
            auto first = std::make_unique<TraceFilter>();
            TraceFilter second;
            OtherFilter other;
            QCOMPARE(qpFilters.size(), 2);
            QCOMPARE(qpFilters[0].Filter, first.get());
            QCOMPARE(qpFilters[0].Description, QStringLiteral("Trace (*.trc)"));
            QCOMPARE(qpFilters[1].Mask, QStringLiteral("*.oth"));
            QCOMPARE(qpFindExportFilter(QStringLiteral("OTH")), &other);
            QCOMPARE(qpFindExportFilter(QStringLiteral("txt")), nullptr);
            QCOMPARE(changes, 2);
            // The unregistered twin going leaves the format with the first.
            TqpExportFilter *twin = &second;
            qpUnRegisterExportFilter(twin);
            QCOMPARE(qpFilters.size(), 2);
            first.reset();
            QCOMPARE(qpFilters.size(), 1);
            QCOMPARE(qpFilters[0].Filter, &other);
            QCOMPARE(changes, 3);
        }
        QVERIFY(qpFilters.isEmpty());
        qpFiltersChanged = nullptr;
    }

    void lineTableChainsFreed()
    {
        TraceFilter filter;
        filter.Lines.resize(3);
        // A long chain goes without deep recursion.
        for (int i = 0; i < 200000; ++i) {
            auto rec = std::make_unique<TqpTextRec>();
            rec->Next = std::move(filter.Lines[1]);
            filter.Lines[1] = std::move(rec);
        }
        filter.ClearLines();
        QVERIFY(filter.Lines.empty());
    }

    void replayOrderAndContent()
    {
        auto report = std::make_unique<TqpReport>();
        report->ShowProgress = false;
        auto one = memoAt(20, 40, 100, 40, QStringLiteral("üst\nalt"));
        one->FrameTyp = 0x0F;
        addPage(*report, {one.get()});
        auto two = memoAt(70, 90, 100, 20, QStringLiteral("tek"));
        two->FrameTyp = 0x0F;
        addPage(*report, {two.get()});
        QList<int> progress;
        report->OnProgress = [&progress](int n) { progress << n; };

        TraceFilter filter;
        QVERIFY(report->ExportTo(&filter, path(QStringLiteral("trace.trc"))));
        QCOMPARE(filter.calls,
                 (QStringList{"ShowModal", "BeginDoc", "BeginPage 1", "Data 20 40", "Text üst frame 13",
                              "Text alt frame 7", "EndPage 1", "BeginPage 2", "Data 70 90", "Text tek frame 15",
                              "EndPage 2", "EndDoc"}));
        QCOMPARE(progress, (QList<int>{1, 2}));
        QCOMPARE(QString::fromUtf8(fileBytes(path(QStringLiteral("trace.trc")))),
                 filter.calls.mid(1).join(QLatin1Char('\n')) + QLatin1Char('\n'));
        // Nothing of the export stays on the report or the filter.
        QCOMPARE(report->ExportFilter, nullptr);
        QCOMPARE(filter.Stream, nullptr);
        QCOMPARE(filter.Report, nullptr);
    }

    void wholePagesWithoutReplay()
    {
        auto report = numberedReport(2);
        TraceFilter filter;
        filter.replays = false;
        QVERIFY(report->ExportTo(&filter, path(QStringLiteral("pages.trc"))));
        QCOMPARE(filter.calls,
                 (QStringList{"ShowModal", "BeginDoc", "BeginPage 1", "EndPage 1", "BeginPage 2", "EndPage 2", "EndDoc"}));
    }

    void progressWindowAndItsCancel()
    {
        // The progress window's part is played here: it runs the work at
        // once and keeps the labels; its cancel button acts on page 2.
        QStringList labels;
        QList<int> closed;
        TqpReport *running = nullptr;
        int cancelOn = 0;
        const auto restore = qScopeGuard([saved = qpProgressUi] { qpProgressUi = saved; });
        qpProgressUi.ShowModal = [&](TqpReport *report, const QString &caption, const QString &, const QString &label,
                                     const std::function<void()> &work) {
            labels << caption << label;
            running = report;
            work();
            return closed.isEmpty() ? 0 : closed.last();
        };
        qpProgressUi.SetLabel = [&](const QString &, const QString &label) {
            labels << label;
            if (labels.size() - 2 == cancelOn)
                running->Terminated = true;
        };
        qpProgressUi.Close = [&](int result) { closed << result; };

        auto report = numberedReport(3);
        report->ShowProgress = true;
        report->Title = QStringLiteral("Üye Listesi");
        TraceFilter filter;
        const QString name = path(QStringLiteral("progress.trc"));
        QVERIFY(report->ExportTo(&filter, name));
        QCOMPARE(labels, (QStringList{"Rapor hazırlanıyor - Üye Listesi", "İşlem gören sayfa :  1",
                                      "İşlem gören sayfa :  1 from 3", "İşlem gören sayfa :  2 from 3",
                                      "İşlem gören sayfa :  3 from 3"}));
        QCOMPARE(closed, QList<int>{mrOk});

        // Cancelled on page 2: no end of the document, and the file of the
        // first export stays as it was.
        const QByteArray first = fileBytes(name);
        labels.clear();
        closed.clear();
        cancelOn = 2;
        filter.calls.clear();
        QVERIFY(!report->ExportTo(&filter, name));
        QCOMPARE(closed, QList<int>{mrCancel});
        QVERIFY(!filter.calls.contains(QStringLiteral("EndDoc")));
        QVERIFY(!filter.calls.contains(QStringLiteral("BeginPage 3")));
        QCOMPARE(fileBytes(name), first);
    }

    void pageRange_data()
    {
        QTest::addColumn<QString>("range");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("every page") << QString() << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("blanks only") << QStringLiteral("  ") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("list and range") << QStringLiteral("1,3,5-7") << QStringList{"1", "3", "5", "6", "7"};
        QTest::newRow("blanks inside") << QStringLiteral(" 2 , 4 - 5") << QStringList{"2", "4", "5"};
        QTest::newRow("descending") << QStringLiteral("7-5") << QStringList{};
        QTest::newRow("out of range") << QStringLiteral("9,12-20") << QStringList{};
        QTest::newRow("partly out") << QStringLiteral("7-12") << QStringList{"7", "8"};
        QTest::newRow("open end") << QStringLiteral("6-") << QStringList{"6", "7", "8"};
        QTest::newRow("duplicates") << QStringLiteral("2,2,1-2") << QStringList{"1", "2"};
    }

    void pageRange()
    {
        QFETCH(QString, range);
        QFETCH(QStringList, pages);
        auto report = numberedReport(8);
        TraceFilter filter;
        filter.PageRange = range;
        QVERIFY(report->ExportTo(&filter, path(QStringLiteral("range.trc"))));
        QStringList begun;
        for (const QString &c : std::as_const(filter.calls))
            if (c.startsWith(QLatin1String("BeginPage ")))
                begun << c.mid(10);
        QCOMPARE(begun, pages);
    }

    void pageRangeNotAListWritesNothing_data()
    {
        QTest::addColumn<QString>("range");
        QTest::newRow("letters") << QStringLiteral("1,a");
        QTest::newRow("two commas") << QStringLiteral("1,,3");
        QTest::newRow("no start") << QStringLiteral("-3");
    }

    void pageRangeNotAListWritesNothing()
    {
        QFETCH(QString, range);
        auto report = numberedReport(3);
        TraceFilter filter;
        filter.PageRange = range;
        const QString name = path(QStringLiteral("bad-range.trc"));
        QVERIFY_THROWS_EXCEPTION(EConvertError, report->ExportTo(&filter, name));
        QVERIFY(!QFile::exists(name));
        QCOMPARE(filter.calls, QStringList{"ShowModal"});
        QCOMPARE(report->ExportFilter, nullptr);
    }

    void calledOffBeforeTheFile()
    {
        auto report = numberedReport(2);
        const QString name = path(QStringLiteral("off.trc"));
        {
            TraceFilter filter;
            QString seen;
            filter.OnBeforeExport = [&seen](QString &fileName, bool &go) {
                seen = fileName;
                go = false;
            };
            bool after = false;
            filter.OnAfterExport = [&after](const QString &) { after = true; };
            QVERIFY(!report->ExportTo(&filter, name));
            QCOMPARE(seen, name);
            QVERIFY(filter.calls.isEmpty());
            QVERIFY(!after);
        }
        {
            TraceFilter filter;
            filter.modalResult = mrCancel;
            QVERIFY(!report->ExportTo(&filter, name));
            QCOMPARE(filter.calls, QStringList{"ShowModal"});
        }
        QVERIFY(!QFile::exists(name));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("off*")}, QDir::Files | QDir::Hidden), QStringList{});
    }

    void renamedByBeforeExport()
    {
        // The name given to the call is written; OnAfterExport hears the new one.
        auto report = numberedReport(1);
        TraceFilter filter;
        filter.OnBeforeExport = [](QString &fileName, bool &) { fileName += QStringLiteral(".other"); };
        QString after;
        filter.OnAfterExport = [&after](const QString &fileName) { after = fileName; };
        const QString name = path(QStringLiteral("named.trc"));
        QVERIFY(report->ExportTo(&filter, name));
        QCOMPARE(after, name + QStringLiteral(".other"));
        QVERIFY(QFile::exists(name));
        QVERIFY(!QFile::exists(after));
    }

    void unwritableTargetKeepsNothingBroken()
    {
        // A folder that cannot take a file: its parent is a plain file.
        const QString blocker = path(QStringLiteral("blocker"));
        {
            QFile f(blocker);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        auto report = numberedReport(1);
        TraceFilter filter;
        const QString name = blocker + QStringLiteral("/out.trc");
        try {
            report->ExportTo(&filter, name);
            QFAIL("the export did not fail");
        } catch (const EqpError &e) {
            QVERIFY2(e.message().startsWith(name + QStringLiteral(" kaydedilemedi: ")), qPrintable(e.message()));
            QVERIFY(!e.message().contains(QLatin1Char('\n')));
        }
        QCOMPARE(filter.calls, QStringList{"ShowModal"});
        QCOMPARE(report->ExportFilter, nullptr);
    }

    void errorMidwayKeepsTheEarlierFile()
    {
        const QString name = path(QStringLiteral("kept.trc"));
        {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("earlier export\n");
        }
        auto report = numberedReport(3);
        TraceFilter filter;
        filter.failOnPage = 2;
        QVERIFY_THROWS_EXCEPTION(EqpError, report->ExportTo(&filter, name));
        QCOMPARE(fileBytes(name), QByteArray("earlier export\n"));
        // No temporary file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("kept*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.trc")});
        QCOMPARE(report->ExportFilter, nullptr);
        // The next export replaces it.
        filter.failOnPage = 0;
        QVERIFY(report->ExportTo(&filter, name));
        QVERIFY(fileBytes(name).startsWith("BeginDoc\nBeginPage 1\n"));
    }
};

EXPORT_TEST(TestExport)
#include "test_export.moc"
