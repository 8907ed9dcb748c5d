// The installable package as `make package` builds it: its files, the
// dependencies it declares, a desktop entry that passes desktop-file-validate,
// and programs that run from where the package puts them.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, const QString &folder = QString())
{
    QProcess p;
    if (!folder.isEmpty()) {
        // The programs' home is the test's folder, never the user's.
        p.setWorkingDirectory(folder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), folder);
        p.setProcessEnvironment(env);
    }
    p.start(program, arguments);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_deb;
    QString m_root;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const Run cpack = run(QStringLiteral(CPACK_COMMAND),
                              {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"), QStringLiteral(CPACK_CONFIG),
                               QStringLiteral("-B"), m_dir.filePath(QStringLiteral("out"))});
        QVERIFY2(cpack.status == 0, qPrintable(cpack.out + cpack.err));
        const QStringList debs = QDir(m_dir.filePath(QStringLiteral("out"))).entryList({QStringLiteral("zelvan_*_*.deb")});
        QCOMPARE(debs.size(), 1);
        m_deb = m_dir.filePath(QStringLiteral("out/") + debs[0]);
        m_root = m_dir.filePath(QStringLiteral("root"));
        const Run extract = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
        QVERIFY2(extract.status == 0, qPrintable(extract.err));
    }

    void declaresWhatTheProgramNeeds()
    {
        const Run info = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), m_deb, QStringLiteral("Package"), QStringLiteral("Depends")});
        QCOMPARE(info.status, 0);
        QVERIFY(info.out.startsWith(QStringLiteral("Package: zelvan\n")));
        const QString depends = info.out.section(QStringLiteral("Depends: "), 1).trimmed();
        QStringList names;
        for (const QString &d : depends.split(QLatin1Char(',')))
            names << d.trimmed().section(QLatin1Char(' '), 0, 0);
        // Linked libraries (found by dpkg-shlibdeps) and what is loaded at run time.
        for (const char *needed : {"libqt6widgets6", "libqt6sql6", "libqt6printsupport6", "libqt6svg6", "pxlib1", "libcups2",
                                   "libemf2svg1", "libsqlite3-0", "libqt6sql6-sqlite", "qt6-qpa-plugins", "fonts-liberation",
                                   "fonts-dejavu-core"})
            QVERIFY2(names.contains(QLatin1String(needed)), qPrintable(QStringLiteral("%1 not in: %2").arg(QLatin1String(needed), depends)));
    }

    void holdsProgramsTemplatesAndMenuEntry()
    {
        const QDir root(m_root);
        for (const char *program : {"usr/bin/zelvan", "usr/bin/qpreport"})
            QVERIFY2(QFileInfo(root.filePath(QLatin1String(program))).isExecutable(), program);
        for (const char *name : {"UyeForm.qpf", "UyeList.qpf"}) {
            const QByteArray shipped = contentOf(QDir(QStringLiteral(SHIPPED_TEMPLATES)).filePath(QLatin1String(name)));
            QVERIFY(!shipped.isEmpty());
            QCOMPARE(contentOf(root.filePath(QStringLiteral("usr/share/zelvan/templates/") + QLatin1String(name))), shipped);
        }
        const QString desktop = root.filePath(QStringLiteral("usr/share/applications/zelvan.desktop"));
        const QString entry = QString::fromUtf8(contentOf(desktop));
        for (const char *line : {"Name=Zelvan\n", "Exec=zelvan\n", "Icon=zelvan\n", "Categories=Office;\n", "Type=Application\n"})
            QVERIFY2(entry.contains(QLatin1String(line)), line);
        for (const char *size : {"48x48", "256x256"})
            QVERIFY(QFile::exists(root.filePath(QStringLiteral("usr/share/icons/hicolor/%1/apps/zelvan.png").arg(QLatin1String(size)))));
        const Run validate = run(QStringLiteral("desktop-file-validate"), {desktop});
        QVERIFY2(validate.status == 0 && validate.out.isEmpty() && validate.err.isEmpty(), qPrintable(validate.out + validate.err));
    }

    // The programs find everything they need from where they are installed:
    // the engine's string table and the templates travel inside them.
    void programsRunFromTheirInstalledPlace()
    {
        const QDir root(m_root);
        const Run calc = run(root.filePath(QStringLiteral("usr/bin/qpreport")), {QStringLiteral("calc"), QStringLiteral("2 * 21")}, m_dir.path());
        QVERIFY2(calc.status == 0 && calc.out.contains(QStringLiteral("42")), qPrintable(calc.out + calc.err));
        const QString folder = m_dir.filePath(QStringLiteral("sablonlar"));
        QVERIFY(QDir().mkpath(folder));
        const Run templates = run(root.filePath(QStringLiteral("usr/bin/qpreport")), {QStringLiteral("templates"), folder}, m_dir.path());
        QVERIFY2(templates.status == 0, qPrintable(templates.err));
        QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("UyeList.qpf"))));
        const Run import = run(root.filePath(QStringLiteral("usr/bin/zelvan")),
                               {QStringLiteral("--import-paradox"), m_dir.filePath(QStringLiteral("yok"))}, m_dir.path());
        QCOMPARE(import.status, 1);
        QVERIFY2(import.err.startsWith(QStringLiteral("Aktarım yapılamadı: ")) && import.err.count(QLatin1Char('\n')) == 1,
                 qPrintable(import.err));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
