#include "old_tables.h"

#include "modal_seam.h"
#include "paradox_import.h"
#include "db_error.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <cstdio>

const char *const kImportOption = "--import-paradox";

void CopyShippedTemplates(const QDir &folder, const QDir &into)
{
    for (const char *name : {"UyeForm.qpf", "UyeList.qpf"}) {
        if (QFileInfo::exists(folder.filePath(QString::fromLatin1(name))))
            continue;
        const QString target = into.filePath(QString::fromLatin1(name));
        if (QFile::copy(QStringLiteral(":/templates/") + QString::fromLatin1(name), target))
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

namespace {

void printLine(FILE *stream, const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// The import of `oldFolder` into `folder`, with the shipped templates.
int importInto(const QString &oldFolder, const QString &folder, const std::function<void(const QString &)> &progress)
{
    return ParadoxImport::Run(oldFolder, folder, progress, [&](const QDir &into) { CopyShippedTemplates(QDir(folder), into); });
}

// What the import ends with: where, and where to find the refused rows.
QString closingLine(const QString &folder, int refused)
{
    QString line = QStringLiteral("Aktarım tamamlandı: %1").arg(QDir::toNativeSeparators(folder));
    if (refused)
        line += QStringLiteral(" (%1 kayıt aktarılamadı, bkz. %2)")
                    .arg(refused)
                    .arg(QDir::toNativeSeparators(QDir(folder).filePath(QLatin1String(ParadoxImport::kErrorFile))));
    return line;
}

} // namespace

int RunParadoxImportCommand(const QStringList &arguments)
{
    if (arguments.size() < 3 || arguments.size() > 4 || arguments[2].trimmed().isEmpty()
        || (arguments.size() == 4 && arguments[3].trimmed().isEmpty())) {
        printLine(stderr, QStringLiteral("Kullanım: zelvan %1 ESKİ_KLASÖR [KLASÖR]").arg(QLatin1String(kImportOption)));
        return 1;
    }
    const QString folder = arguments.size() == 4 ? QDir(arguments[3]).absolutePath()
                                                 : QDir(QDir::homePath()).filePath(QStringLiteral("Zelvan"));
    try {
        const int refused = importInto(arguments[2], folder, [](const QString &line) { printLine(stdout, line); });
        printLine(stdout, closingLine(folder, refused));
        return 0;
    } catch (const EDatabaseError &e) {
        printLine(stderr, QStringLiteral("Aktarım yapılamadı: %1").arg(e.message()));
    } catch (const std::exception &e) {
        printLine(stderr, QStringLiteral("Aktarım yapılamadı: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    return 1;
}

bool OfferParadoxImport(const QString &folder)
{
    const auto answer = UiSeam::MessageBox(
        nullptr, QMessageBox::Question,
        QStringLiteral("%1 - %2").arg(QApplication::applicationName(), QDir::toNativeSeparators(folder)),
        QStringLiteral("Eski biçimde kayıtlar bulundu. Aktarılsın mı?"), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return false;
    const QString heading = QStringLiteral("Eski kayıtlar aktarılıyor...");
    QProgressDialog progress(heading, QString(), 0, 5);
    progress.setWindowTitle(QApplication::applicationName());
    progress.setMinimumDuration(0);
    progress.setValue(0);
    QStringList lines{heading};
    const int refused = importInto(folder, folder, [&](const QString &line) {
        lines << line;
        progress.setLabelText(lines.join(QLatin1Char('\n')));
        progress.setValue(int(lines.size()) - 1);
        QCoreApplication::processEvents();
    });
    progress.close();
    const QString closing = closingLine(folder, refused);
    UiSeam::MessageBox(nullptr, refused ? QMessageBox::Warning : QMessageBox::Information, QApplication::applicationName(),
                       closing + QStringLiteral("\nEski tablolar \"%1\" klasörüne taşındı.").arg(QLatin1String(ParadoxImport::kOldFolder)),
                       QMessageBox::Ok);
    return true;
}
