// Printing the member list from the real windows, offscreen: "Yazdır" in the
// member list until the preview holds its first page, for 10 000 and
// 100 000 members, beside the headless preparation of the same template.
// Then the member list over 2 000 members who each hold the same
// 12-megapixel JPEG photo against the same list without photos.
//
// Every figure is measured in a process of its own (this program started
// again with the case as arguments), so that each peak memory is its own.

#include "anamenu.h"
#include "application.h"
#include "forms.h"
#include "member_generator.h"
#include "member_session.h"
#include "member_store.h"
#include "preview_form.h"
#include "progress_form.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/output/printer.h"
#include "scripted_ui.h"
#include "uyekayit.h"
#include "uyelist.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cstdio>

namespace {

// The process's own high-water mark. Not getrusage: across exec it keeps
// the parent's peak, which here held the photo being made.
double peakMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

constexpr int kRuns = 5;

double median(QList<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// A 4000 × 3000 picture with detail enough to weigh what a camera's does.
QByteArray twelveMegapixelJpeg()
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 4000, 3000);
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(1, QColor(230, 200, 150));
    p.fillRect(image.rect(), sky);
    for (int i = 0; i < 4000; ++i) {
        p.setPen(QColor::fromHsv((i * 37) % 360, 120 + i % 100, 120 + (i * 7) % 120));
        p.drawEllipse(QPoint((i * 7919) % 4000, (i * 104729) % 3000), 10 + i % 90, 10 + (i * 3) % 70);
    }
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

void storePhotos(const QString &table, const QByteArray &photo)
{
    changeMembers(table, QStringLiteral("UPDATE Uye SET Resim = ?"), {photo});
}

// A working folder with `members` generated members, with or without photos.
void fillFolder(const QString &folder, int members, bool photos)
{
    MemberStore::PrepareWorkingFolder(folder);
    const QString table = QDir(folder).filePath(QStringLiteral("Uye.db"));
    generateMembers(table, members);
    if (photos) {
        const QByteArray photo = twelveMegapixelJpeg();
        std::printf("  (photo: 4000 x 3000 JPEG of %.1f MB in every row)\n", double(photo.size()) / (1024.0 * 1024.0));
        storePhotos(table, photo);
    }
    QFile::copy(QStringLiteral(":/templates/UyeList.qpf"), QDir(folder).filePath(QStringLiteral("UyeList.qpf")));
}

// The program as launched in `folder`, the member list shown, "Yazdır"
// clicked; the clock stops when the preview is on screen with its first page.
int windowed(TApplication &app, const QString &label, const QString &folder, bool registrationShown)
{
    TScriptedUi ui;
    StartUp(app, folder);
    AnaMenu1->yeBul1Click();
    if (registrationShown)
        UyeKayitForm1->show();
    QApplication::processEvents();
    const double peakBefore = peakMB();

    // The median of a few prints: one print of a small list is over before
    // the noise of a shared machine settles.
    QElapsedTimer clock;
    QList<double> times;
    int pages = 0;
    for (int run = 0; run < kRuns; ++run) {
        ui.modalActions << [](QDialog *) {}; // the progress window: its work is done when it returns
        ui.modalActions << [&](QDialog *dialog) {
            if (auto *preview = qobject_cast<TqpPreviewForm *>(dialog)) {
                times << double(clock.nsecsElapsed()) / 1e6;
                pages = preview->Pages()->GetCount();
            }
        };
        clock.start();
        UyeListForm1->findChild<QToolButton *>(QStringLiteral("ToolButton2"))->click();
    }
    const double ms = median(times);
    std::printf("%s, windows%s: \"Yazdır\" to the first page in %.0f ms (median of %d; %d pages), peak memory "
                "%.0f MB (%.0f MB before printing)\n",
                qPrintable(label), registrationShown ? " (registration window open too)" : "", ms, int(times.size()),
                pages, peakMB(), peakBefore);
    for (const auto &box : ui.boxes)
        std::printf("  message: %s\n", qPrintable(box.text));
    app.DestroyForms();
    qpFreeProgressForm();
    qpPrinterShutdown();
    qpDoneModelGlobals();
    qpDoneExpressionGlobals();
    return times.size() == kRuns ? 0 : 1;
}

// The same template over the same folder, prepared by the engine alone.
int headless(const QString &label, const QString &folder)
{
    qpInitExpressionGlobals();
    qpInitModelGlobals();
    qpPrinterStartup();
    int status = 0;
    {
        QElapsedTimer clock;
        clock.start();
        TMemberSession session(folder);
        const double open = double(clock.nsecsElapsed()) / 1e6;
        QList<double> times;
        QString error;
        for (int run = 0; run < kRuns && error.isEmpty(); ++run) {
            clock.restart();
            error = session.Prepare(QDir(folder).filePath(QStringLiteral("UyeList.qpf")));
            times << double(clock.nsecsElapsed()) / 1e6;
        }
        if (!error.isEmpty()) {
            std::printf("%s, headless: %s\n", qPrintable(label), qPrintable(error));
            status = 1;
        } else {
            std::printf("%s, headless: table opened in %.0f ms, prepared in %.0f ms (median of %d; %d pages), peak "
                        "memory %.0f MB\n",
                        qPrintable(label), open, median(times), int(times.size()),
                        session.qpReport1->GetEMFPages().GetCount(), peakMB());
        }
    }
    qpPrinterShutdown();
    qpDoneModelGlobals();
    qpDoneExpressionGlobals();
    return status;
}

void runCase(const QStringList &arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        std::printf("case %s failed\n", qPrintable(arguments.join(QLatin1Char(' '))));
    std::fflush(stdout);
}

// Every way of printing one folder, each in its own process.
void runFolder(const QString &label, const QString &folder, bool withRegistration)
{
    runCase({QStringLiteral("windowed"), label, folder});
    if (withRegistration)
        runCase({QStringLiteral("windowed"), label, folder, QStringLiteral("registration")});
    runCase({QStringLiteral("headless"), label, folder});
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 3) {
        const int status = args.at(0) == QLatin1String("headless")
                               ? headless(args.at(1), args.at(2))
                               : windowed(app, args.at(1), args.at(2), args.value(3) == QLatin1String("registration"));
        std::fflush(stdout);
        return status;
    }
    std::printf("target: \"Yazdır\" to the first page for 10000 members in at most 1000 ms, 100000 in at most 8000 ms\n");
    std::fflush(stdout);
    for (int members : {10000, 100000}) {
        QTemporaryDir dir;
        fillFolder(dir.path(), members, false);
        runFolder(QStringLiteral("%1 members").arg(members), dir.path(), false);
    }
    std::printf("target: 2000 members with 12-megapixel photos at most 1.5 times the time without\n");
    std::fflush(stdout);
    for (bool photos : {false, true}) {
        QTemporaryDir dir;
        fillFolder(dir.path(), 2000, photos);
        runFolder(photos ? QStringLiteral("2000 members with photos") : QStringLiteral("2000 members without photos"),
                  dir.path(), true);
    }
    return 0;
}
