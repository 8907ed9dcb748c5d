#pragma once
// A private CUPS server with one PDF queue (cups-pdf) for print tests; its
// driver description offers three paper trays and duplex besides its own
// options. The server runs from a temporary folder with its own
// configuration, spool and socket; the system's print setup is left alone.
// cups-pdf reads its settings only from /etc/cups, so the queue gets a
// configuration file of its own there (cups-pdf-<queue>.conf, a name no
// other queue uses), which sends the PDFs into the temporary folder and is
// removed again.
//
// CUPS_SERVER is set for the whole test program: libcups keeps the server it
// found first, so the fixture must start before anything asks for printers.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class CupsFixture {
public:
    CupsFixture();
    ~CupsFixture();
    CupsFixture(const CupsFixture &) = delete;
    CupsFixture &operator=(const CupsFixture &) = delete;

    // Starts the server and adds the queue; false with the reason when this
    // machine cannot run it (not root, a package missing, cupsd refusing).
    bool start();
    QString whyNot() const { return m_whyNot; }
    QString queue() const { return m_queue; }

    // Waits until the queue has no pending job and returns the PDFs written
    // so far; gives up after `seconds` so a stuck filter cannot hang the test.
    QStringList finishedPdfs(int seconds);
    // The documents the server received, one per job in job order, as the
    // program sent them (kept after the jobs are done).
    QStringList spooledDocuments() const;
    // The attributes the server keeps of each job, in job order, as stored
    // (IPP encoding: each name and value appears as plain bytes).
    QList<QByteArray> jobAttributes() const;
    // The text of a PDF as pdftotext extracts it; pages end with a form feed.
    static QString pdfText(const QString &pdf);

private:
    bool fail(const QString &why);
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QString m_queue;
    QString m_lpadmin, m_lpstat;
    QString m_queueConfig; // the queue's cups-pdf settings in /etc/cups
    QString m_whyNot;
};
