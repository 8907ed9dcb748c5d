#include "cups_fixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kCupsPdfConfigDir = QStringLiteral("/etc/cups");

bool writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) == text.toUtf8().size();
}

QString tail(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return QString::fromUtf8(bytes.right(2000));
}

} // namespace

CupsFixture::CupsFixture() : m_queue(QStringLiteral("zelvan_test_%1").arg(QCoreApplication::applicationPid())) {}

CupsFixture::~CupsFixture()
{
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(10000)) {
            m_cupsd.kill();
            m_cupsd.waitForFinished(5000);
        }
    }
    if (!m_queueConfig.isEmpty())
        QFile::remove(m_queueConfig);
}

bool CupsFixture::fail(const QString &why)
{
    m_whyNot = why;
    return false;
}

bool CupsFixture::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(5000) || !p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        m_whyNot = QStringLiteral("%1 did not finish").arg(program);
        return false;
    }
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_whyNot = QStringLiteral("%1 %2 failed: %3").arg(program, arguments.join(QLatin1Char(' ')),
                                                          QString::fromUtf8(p.readAllStandardError()));
        return false;
    }
    return true;
}

bool CupsFixture::start()
{
    if (::geteuid() != 0)
        return fail(QStringLiteral("cupsd and the cups-pdf backend need root"));
    const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin")});
    if (cupsd.isEmpty())
        return fail(QStringLiteral("cupsd is not installed (Debian package cups)"));
    if (!QFileInfo::exists(kBackend) || !QFileInfo::exists(kPpd))
        return fail(QStringLiteral("cups-pdf is not installed (Debian package printer-driver-cups-pdf)"));
    const QStringList toolDirs{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")};
    m_lpadmin = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), toolDirs);
    m_lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"), toolDirs);
    if (m_lpadmin.isEmpty() || m_lpstat.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftotext"), toolDirs).isEmpty())
        return fail(QStringLiteral("lpadmin, lpstat or pdftotext is missing (Debian packages cups, poppler-utils)"));
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));

    const QString root = m_dir.path();
    // The filters run as the print system's own user; they must reach the spool.
    ::chmod(QFile::encodeName(root).constData(), 0755);
    for (const char *sub : {"spool", "spool/tmp", "cache", "state", "log", "out"})
        QDir(root).mkpath(QLatin1String(sub));
    ::chmod(QFile::encodeName(root + QStringLiteral("/spool/tmp")).constData(), 01777);
    ::chmod(QFile::encodeName(root + QStringLiteral("/out")).constData(), 0777);
    const QString socket = root + QStringLiteral("/cups.sock");
    const bool configured =
        writeFile(root + QStringLiteral("/cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                                 "PreserveJobFiles Yes\nDirtyCleanInterval 0\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(socket)) &&
        writeFile(root + QStringLiteral("/cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                                 "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                 "PageLog %1/log/page_log\n")
                      .arg(root));
    if (!configured)
        return fail(QStringLiteral("cannot write the server configuration"));
    // A test program that crashed left its queue's settings behind.
    const QDir configDir(kCupsPdfConfigDir);
    for (const QFileInfo &f : configDir.entryInfoList({QStringLiteral("cups-pdf-zelvan_test_*.conf")}, QDir::Files)) {
        const QString pid = f.completeBaseName().section(QLatin1Char('_'), -1);
        if (!QFileInfo::exists(QStringLiteral("/proc/") + pid))
            QFile::remove(f.absoluteFilePath());
    }
    const QString queueConfig = kCupsPdfConfigDir + QStringLiteral("/cups-pdf-%1.conf").arg(m_queue);
    if (!writeFile(queueConfig, QStringLiteral("Out %1/out\nAnonDirName %1/out\nLabel 0\n").arg(root)))
        return fail(QStringLiteral("cannot write %1").arg(queueConfig));
    m_queueConfig = queueConfig;

    qputenv("CUPS_SERVER", QFile::encodeName(socket));
    m_cupsd.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The server ends with the test program, also when that one crashes.
    m_cupsd.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_cupsd.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                          QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
    if (!m_cupsd.waitForStarted(5000))
        return fail(QStringLiteral("cupsd did not start: %1").arg(m_cupsd.errorString()));
    QDeadlineTimer deadline(15000);
    QString status;
    while (!run(m_lpstat, {QStringLiteral("-r")}, &status) ||
           !status.contains(QLatin1String("scheduler is running"))) {
        if (deadline.hasExpired() || m_cupsd.state() == QProcess::NotRunning)
            return fail(
                QStringLiteral("cupsd is not answering: %1").arg(tail(root + QStringLiteral("/log/error_log"))));
        QThread::msleep(100);
    }
    // The PDF printer has no paper trays and no duplex; its description
    // gets both, as an office printer's has, so that sources and options
    // can be chosen. cups-pdf itself ignores them.
    QFile original(kPpd);
    if (!original.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(kPpd));
    QString ppd = QString::fromLatin1(original.readAll());
    const QString anchor = QStringLiteral("*OpenUI *Resolution/");
    if (!ppd.contains(anchor))
        return fail(QStringLiteral("%1 has no resolution option to add the trays before").arg(kPpd));
    ppd.replace(anchor, QStringLiteral("*OpenUI *InputSlot/Paper Source: PickOne\n"
                                       "*OrderDependency: 20 AnySetup *InputSlot\n"
                                       "*DefaultInputSlot: Tray1\n"
                                       "*InputSlot Tray1/Tray 1: \"\"\n"
                                       "*InputSlot Tray2/Tray 2: \"\"\n"
                                       "*InputSlot Manual/Manual Feed: \"\"\n"
                                       "*CloseUI: *InputSlot\n\n"
                                       "*OpenUI *Duplex/2-Sided Printing: PickOne\n"
                                       "*OrderDependency: 20 AnySetup *Duplex\n"
                                       "*DefaultDuplex: None\n"
                                       "*Duplex None/Off: \"\"\n"
                                       "*Duplex DuplexNoTumble/Long Edge: \"\"\n"
                                       "*Duplex DuplexTumble/Short Edge: \"\"\n"
                                       "*CloseUI: *Duplex\n\n") +
                            anchor);
    const QString ppdCopy = root + QStringLiteral("/queue.ppd");
    QFile copy(ppdCopy);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(ppd.toLatin1()) != ppd.size())
        return fail(QStringLiteral("cannot write %1").arg(ppdCopy));
    copy.close();
    // cups-pdf takes PostScript; of the converters from PDF, cairo's keeps
    // most text extractable from the PDF that cups-pdf writes back.
    return run(m_lpadmin, {QStringLiteral("-p"), m_queue, QStringLiteral("-E"), QStringLiteral("-v"),
                           QStringLiteral("cups-pdf:/") + m_queue, QStringLiteral("-P"), ppdCopy, QStringLiteral("-o"),
                           QStringLiteral("pdftops-renderer-default=pdftocairo")}) &&
           run(m_lpadmin, {QStringLiteral("-d"), m_queue});
}

QStringList CupsFixture::finishedPdfs(int seconds)
{
    QDeadlineTimer deadline(seconds * 1000);
    QString pending;
    while (!deadline.hasExpired()) {
        if (run(m_lpstat, {QStringLiteral("-o"), m_queue}, &pending) && pending.trimmed().isEmpty())
            break;
        QThread::msleep(200);
    }
    QStringList pdfs;
    const QDir out(m_dir.path() + QStringLiteral("/out"));
    for (const QFileInfo &f : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        pdfs << f.absoluteFilePath();
    return pdfs;
}

QStringList CupsFixture::spooledDocuments() const
{
    QStringList documents;
    const QDir spool(m_dir.path() + QStringLiteral("/spool"));
    for (const QFileInfo &f : spool.entryInfoList({QStringLiteral("d*-001")}, QDir::Files, QDir::Name))
        documents << f.absoluteFilePath();
    return documents;
}

QList<QByteArray> CupsFixture::jobAttributes() const
{
    QList<QByteArray> jobs;
    const QDir spool(m_dir.path() + QStringLiteral("/spool"));
    for (const QFileInfo &f : spool.entryInfoList({QStringLiteral("c*")}, QDir::Files, QDir::Name)) {
        QFile file(f.absoluteFilePath());
        if (file.open(QIODevice::ReadOnly))
            jobs << file.readAll();
    }
    return jobs;
}

QString CupsFixture::pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/pdftotext"), {pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
