// Import of an old installation: 100 000 members with 10 000 photos and a
// dues row each, written with pxlib's writer (kept in the build folder and
// reused, as writing it takes a while), imported by the real program's
// command line. Prints the time and the program's peak memory.
#include "paradox_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

extern "C" {
#include <paradox.h>
}

namespace {

const int kMembers = 100000;
const int kPhotoEvery = 10;

// A JPEG-like picture of a few kilobytes, different for each member.
QByteArray photo(int member)
{
    QByteArray bytes("\xFF\xD8\xFF\xE0", 4);
    bytes.reserve(12000);
    quint32 x = quint32(member) * 2654435761u;
    while (bytes.size() < 8000 + member % 4000) {
        x = x * 1103515245u + 12345u;
        bytes += char(x >> 24);
    }
    return bytes + QByteArray("\xFF\xD9", 2);
}

void writeInstallation(const QDir &dir)
{
    const QString names[] = {QStringLiteral("Ahmet Yılmaz"), QStringLiteral("Ayşe Şahin"), QStringLiteral("Çağrı Öztürk"),
                             QStringLiteral("İsmail Güneş"), QStringLiteral("Ümran Kılıç")};
    {
        ParadoxWriter t(dir.filePath(QStringLiteral("Sehir.db")), OldTables::Sehir(), 1254);
        for (int i = 1; i <= 81; ++i) {
            t.text("Plaka", QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
            t.text("Sehir", QStringLiteral("İl %1").arg(i));
            t.post();
        }
    }
    {
        ParadoxWriter t(dir.filePath(QStringLiteral("Ilce.db")), OldTables::Ilce(), 1254);
        for (int i = 1; i <= 900; ++i) {
            t.text("Ilce1", QStringLiteral("İlçe %1").arg(i));
            t.number("Plaka", i % 81 + 1);
            t.post();
        }
    }
    {
        ParadoxWriter t(dir.filePath(QStringLiteral("Mahal.db")), OldTables::Mahal(), 1254);
        for (int i = 1; i <= 3000; ++i) {
            t.text("Mahalle", QStringLiteral("Mahalle %1").arg(i));
            t.post();
        }
    }
    {
        ParadoxWriter t(dir.filePath(QStringLiteral("Aidat.db")), OldTables::Aidat(pxfCurrency), 1254);
        for (int i = 1; i <= kMembers; ++i) {
            t.number("KayitNo", i);
            t.text("Yil", QStringLiteral("2024"));
            t.date("OdemeTarihi", QDate(2024, 1, 1).addDays(i % 365));
            t.number("Aidat", 120);
            t.number("Alinan", i % 3 ? 120 : 0);
            t.number("Kalan", i % 3 ? 0 : 120);
            t.text("Odeyen", names[i % 5]);
            t.post();
        }
    }
    ParadoxWriter t(dir.filePath(QStringLiteral("Uye.db")), OldTables::Uye(pxfCurrency), 1254);
    for (int i = 1; i <= kMembers; ++i) {
        t.number("KayitNo", i);
        t.date("Tarih", QDate(2000, 1, 1).addDays(i % 8000));
        t.text("AdiSoyadi", QStringLiteral("%1 %2").arg(names[i % 5]).arg(i));
        t.text("BabaAdi", QStringLiteral("Mehmet"));
        t.text("AnaAdi", QStringLiteral("Gülşen"));
        t.text("Uyrugu", QStringLiteral("T.C."));
        t.text("Dyeri", QStringLiteral("Iğdır"));
        t.number("Dyili", 1940 + i % 60);
        t.blob("EvAdresi", ParadoxWriter::encode(QStringLiteral("Atatürk Cad. No:%1 Çankaya Ankara").arg(i), 1254));
        t.text("Gsm", QStringLiteral("0532 %1").arg(i));
        t.text("KanGrubu", QStringLiteral("A rh (+)"));
        t.text("KimlikNo", QStringLiteral("%1").arg(10000000000LL + i));
        t.text("Vilayet", QStringLiteral("İl %1").arg(i % 81 + 1));
        t.text("Mahalle", QStringLiteral("Mahalle %1").arg(i % 3000));
        t.number("Aidat", 120);
        t.number("Alinan", i % 3 ? 120 : 0);
        t.date("AidatTar", QDate(2024, 1, 1));
        t.text("Not", QStringLiteral("Üye notu %1").arg(i));
        if (i % kPhotoEvery == 0)
            t.blob("Resim", photo(i));
        t.post();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDir old(QCoreApplication::applicationDirPath() + QStringLiteral("/paradox-100k"));
    const QString complete = old.filePath(QStringLiteral("tamam"));
    if (!QFile::exists(complete)) {
        old.removeRecursively();
        QDir().mkpath(old.path());
        QElapsedTimer w;
        w.start();
        writeInstallation(old);
        QFile(complete).open(QIODevice::WriteOnly);
        std::printf("paradox fixture written (once, kept in %s): %.1f s\n", qPrintable(old.path()), w.elapsed() / 1000.0);
    }
    QTemporaryDir target;
    const QString folder = QDir(target.path()).filePath(QStringLiteral("Zelvan"));
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    program.start(QStringLiteral(ZELVAN_PROGRAM), {QStringLiteral("--import-paradox"), old.path(), folder});
    if (!program.waitForFinished(-1) || program.exitCode() != 0) {
        std::printf("paradox import failed: %s\n", program.readAllStandardOutput().constData());
        return 1;
    }
    const double seconds = t.elapsed() / 1000.0;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("paradox import, %d members with %d photos and %d dues rows: %.2f s\n", kMembers, kMembers / kPhotoEvery,
                kMembers, seconds);
    std::printf("paradox import peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
