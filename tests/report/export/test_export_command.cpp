// `qpreport export` and `qpreport pdf` on a prepared report saved here: each
// format read back by its own reader (pdftotext, unrtf, openpyxl), page lists, and the
// one-line failures that leave an earlier file alone.

#include "export_fixtures.h"
#include "export_tests.h"
#include "xlsx_reader.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run run(const QString &program, const QStringList &args)
{
    // A runtime folder of its own keeps Qt's note about a missing one off
    // the error output, which must hold the one line of a failure only.
    static QTemporaryDir runtime;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Run qpreport(const QStringList &args) { return run(QStringLiteral(QPREPORT_BIN), args); }

// The texts in order, each after the one before.
bool inOrder(const QString &text, const QStringList &parts)
{
    qsizetype at = 0;
    for (const QString &part : parts) {
        at = text.indexOf(part, at);
        if (at < 0)
            return false;
        at += part.size();
    }
    return true;
}

} // namespace

class TestExportCommand : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString qpp;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // Three pages, each with a Turkish name and its page number.
        TqpReport report;
        std::vector<std::unique_ptr<TqpMemoView>> memos;
        const QStringList names{"Ayşe Yılmaz", "Çağrı Öztürk", "İsmail Güneş"};
        for (int i = 0; i < 3; ++i) {
            memos.push_back(memoAt(60, 60, 300, 20, names.at(i)));
            memos.push_back(memoAt(60, 1000, 300, 20, QStringLiteral("Sayfa %1").arg(i + 1)));
            addPage(report, {memos.at(memos.size() - 2).get(), memos.back().get()});
        }
        qpp = path(QStringLiteral("liste.qpp"));
        report.SavePreparedReport(qpp);
    }

    void formatsReadBack()
    {
        Run r = qpreport({QStringLiteral("export"), qpp, QStringLiteral("--format"), QStringLiteral("pdf"),
                          QStringLiteral("-o"), path(QStringLiteral("liste.pdf"))});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        Run text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path(QStringLiteral("liste.pdf")),
                                                     QStringLiteral("-")});
        QCOMPARE(text.exitCode, 0);
        // pdftotext ends each page with a form feed.
        QCOMPARE(text.out.count(QLatin1Char('\f')), 3);
        QVERIFY2(inOrder(text.out, {"Ayşe Yılmaz", "Sayfa 1", "Çağrı Öztürk", "Sayfa 2", "İsmail Güneş", "Sayfa 3"}),
                 qPrintable(text.out));

        r = qpreport({QStringLiteral("export"), qpp, QStringLiteral("--format"), QStringLiteral("rtf"),
                      QStringLiteral("-o"), path(QStringLiteral("liste.rtf"))});
        QCOMPARE(r.exitCode, 0);
        const QString rtf = unrtf(path(QStringLiteral("liste.rtf")));
        QVERIFY2(inOrder(rtf, {"Ayşe Yılmaz", "Sayfa 1", "Çağrı Öztürk", "Sayfa 2", "İsmail Güneş", "Sayfa 3"}),
                 qPrintable(rtf));

        r = qpreport({QStringLiteral("export"), qpp, QStringLiteral("--format"), QStringLiteral("txt"),
                      QStringLiteral("--pages"), QStringLiteral("2-3"), QStringLiteral("-o"),
                      path(QStringLiteral("liste.txt"))});
        QCOMPARE(r.exitCode, 0);
        const QByteArray txt = fileBytes(path(QStringLiteral("liste.txt")));
        QCOMPARE(txt.count('\f'), 2);
        QVERIFY(!txt.contains("Sayfa 1"));
        QVERIFY(txt.contains("\xC7\x61\xF0r\xFD \xD6zt\xFCrk")); // Windows-1254

        r = qpreport({QStringLiteral("export"), qpp, QStringLiteral("--format"), QStringLiteral("xlsx"),
                      QStringLiteral("--pages"), QStringLiteral("2-3"), QStringLiteral("-o"),
                      path(QStringLiteral("liste.xlsx"))});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject book = qpReadXlsx(path(QStringLiteral("liste.xlsx")));
        QStringList cells;
        for (int row = 1; row <= book[QStringLiteral("max_row")].toInt(); ++row)
            cells << qpXlsxCell(book, QStringLiteral("A%1").arg(row))[QStringLiteral("v")].toString();
        cells.removeAll(QString());
        QCOMPARE(cells, QStringList({"Çağrı Öztürk", "Sayfa 2", "İsmail Güneş", "Sayfa 3"}));
    }

    void pdfCommandAndPages()
    {
        Run r = qpreport({QStringLiteral("pdf"), qpp, QStringLiteral("-o"), path(QStringLiteral("hepsi.pdf"))});
        QCOMPARE(r.exitCode, 0);
        Run text = run(QStringLiteral("pdftotext"), {path(QStringLiteral("hepsi.pdf")), QStringLiteral("-")});
        QCOMPARE(text.out.count(QLatin1Char('\f')), 3);
        r = qpreport({QStringLiteral("export"), qpp, QStringLiteral("--format"), QStringLiteral("pdf"),
                      QStringLiteral("--pages"), QStringLiteral("3,1"), QStringLiteral("-o"),
                      path(QStringLiteral("iki.pdf"))});
        QCOMPARE(r.exitCode, 0);
        text = run(QStringLiteral("pdftotext"), {path(QStringLiteral("iki.pdf")), QStringLiteral("-")});
        QCOMPARE(text.out.count(QLatin1Char('\f')), 2);
        QVERIFY(inOrder(text.out, {"Sayfa 1", "Sayfa 3"}));
        QVERIFY(!text.out.contains(QLatin1String("Sayfa 2")));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString out = path(QStringLiteral("eski.txt"));
        QTest::newRow("unknown format") << QStringList{"export", qpp, "--format", "doc", "-o", out}
                                        << QStringLiteral("qpreport: unknown format doc; formats: txt, rtf, pdf, xlsx");
        QTest::newRow("pages outside") << QStringList{"export", qpp, "--format", "txt", "--pages", "4-9", "-o", out}
                                       << QStringLiteral("qpreport: --pages 4-9 chooses none of the 3 pages");
        QTest::newRow("pages not a list")
            << QStringList{"export", qpp, "--format", "txt", "--pages", "1,x", "-o", out} << QStringLiteral("qpreport: ");
        QTest::newRow("folder not there")
            << QStringList{"export", qpp, "--format", "rtf", "-o", path(QStringLiteral("yok/eski.rtf"))}
            << QStringLiteral("qpreport: %1 kaydedilemedi: ").arg(path(QStringLiteral("yok/eski.rtf")));
        QTest::newRow("missing output") << QStringList{"export", qpp, "--format", "txt"}
                                        << QStringLiteral("qpreport: usage: qpreport export");
        QTest::newRow("input not there")
            << QStringList{"export", path(QStringLiteral("yok.qpp")), "--format", "txt", "-o", out}
            << QStringLiteral("qpreport: ");
    }

    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QString out = path(QStringLiteral("eski.txt"));
        {
            QFile f(out);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("eski");
        }
        const Run r = qpreport(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(message), qPrintable(r.err));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(fileBytes(out), QByteArray("eski"));
    }
};

EXPORT_TEST(TestExportCommand)
#include "test_export_command.moc"
