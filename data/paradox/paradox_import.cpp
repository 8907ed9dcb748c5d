#include "paradox_import.h"

#include "db_error.h"
#include "mb_file.h"
#include "member_store.h"
#include "paradox_table.h"
#include "rtf_code_page.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
extern "C" {
#include <paradox.h>
}
#include <unistd.h>

namespace ParadoxImport {

const char *const kErrorFile = "aktarim-hatalari.txt";
const char *const kOldFolder = "Eski";

} // namespace ParadoxImport

namespace {

const char *const kWorkFolder = ".zelvan-aktarim";
const char *const kCommitMarker = "tamam";
const char *const kInPlace = "yerinde";
// Places first and the members last, so the long part comes at the end.
const char *const kImportOrder[] = {"Sehir.db", "Ilce.db", "Mahal.db", "Aidat.db", "Uye.db"};

bool isOurTable(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
}

// The file of `dir` named `name` in any letter case (the old program ran
// where case does not count); empty when there is none.
QString findFile(const QDir &dir, const QString &name)
{
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return QString();
}

void syncPath(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void moveFile(const QString &from, const QString &to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw EDatabaseError(QStringLiteral("'%1' taşınamadı (%2): %3")
                                 .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to),
                                      QString::fromLocal8Bit(strerror(errno))));
}

// The files of the five old tables in a folder: the tables with their
// indexes, blob files and the like, whatever the letter case.
QStringList oldTableFiles(const QDir &dir)
{
    QSet<QString> bases;
    for (const QString &file : MemberStore::TableFiles())
        bases.insert(QFileInfo(file).completeBaseName().toLower());
    QStringList files;
    for (const QString &entry : dir.entryList(QDir::Files))
        if (bases.contains(QFileInfo(entry).completeBaseName().toLower()))
            files << entry;
    return files;
}

// A picture as its file's own bytes. Older tools put an 8-byte header of
// their own in front of the picture; it is recognised by a picture that
// begins after it.
QByteArray pictureBytes(const QByteArray &blob)
{
    const auto isPicture = [](const QByteArray &b, qsizetype at) {
        const QByteArray head = b.mid(at, 8);
        return head.startsWith("BM") || head.startsWith("\xFF\xD8\xFF") || head.startsWith("\x89PNG")
               || head.startsWith("GIF8") || head.startsWith(QByteArray("\0\0\1\0", 4))
               || head.startsWith("\xD7\xCD\xC6\x9A") || head.startsWith(QByteArray("\1\0\0\0", 4));
    };
    if (blob.size() > 8 && !isPicture(blob, 0) && isPicture(blob, 8))
        return blob.mid(8);
    return blob;
}

QString typeName(int type)
{
    switch (type) {
    case pxfAlpha: return QStringLiteral("metin");
    case pxfDate: return QStringLiteral("tarih");
    case pxfShort: case pxfLong: case pxfAutoInc: return QStringLiteral("tamsayı");
    case pxfCurrency: return QStringLiteral("para");
    case pxfNumber: return QStringLiteral("sayı");
    case pxfMemoBLOb: return QStringLiteral("not (memo)");
    case pxfGraphic: return QStringLiteral("resim");
    case pxfBLOb: return QStringLiteral("ikili blob");
    case pxfTimestamp: return QStringLiteral("zaman damgası");
    default: return QStringLiteral("tür %1").arg(type);
    }
}

bool accepts(TFieldType ours, int old)
{
    const bool number = old == pxfNumber || old == pxfCurrency || old == pxfShort || old == pxfLong || old == pxfAutoInc;
    switch (ours) {
    case ftString: return old == pxfAlpha || number;
    case ftFloat:
    case ftCurrency: return number || old == pxfAlpha;
    case ftDate: return old == pxfDate || old == pxfTimestamp;
    case ftMemo: return old == pxfMemoBLOb || old == pxfBLOb || old == pxfAlpha;
    case ftGraphic: return old == pxfGraphic || old == pxfBLOb;
    }
    return false;
}

// A row the new layout cannot take; the row goes to the error file.
struct RefusedRow {
    QString reason;
};

// One old table on its way into the new register.
class TableImport {
public:
    TableImport(const QDir &oldDir, const QString &file) : m_file(file)
    {
        const QString db = findFile(oldDir, file);
        if (db.isEmpty())
            throw EDatabaseError(QStringLiteral("'%1' eski klasörde bulunamadı (%2).")
                                     .arg(file, QDir::toNativeSeparators(oldDir.absolutePath())));
        m_table = std::make_unique<ParadoxTable>(db);
        m_columns = MemberStore::Columns(file);
        m_key = MemberStore::KeyColumn(file);
        for (const TColumnDef &c : m_columns) {
            const int i = m_table->FieldIndex(c.name);
            if (i >= 0 && !accepts(c.type, m_table->Fields()[i].type))
                throw EDatabaseError(QStringLiteral("'%1' tablosunun '%2' alanı %3 alanı; bu alana aktarılamaz.")
                                         .arg(file, c.name, typeName(m_table->Fields()[i].type)));
            if (i < 0)
                m_missing << c.name;
            m_source << i;
        }
        for (const ParadoxField &f : m_table->Fields())
            if (!m_source.contains(m_table->FieldIndex(f.name)))
                m_unused << f.name;
        // Before anything is written: a table with blob fields needs its blob file.
        if (m_table->HasBlobFields()) {
            const QString mb = findFile(oldDir, QFileInfo(db).completeBaseName() + QStringLiteral(".mb"));
            if (mb.isEmpty())
                throw EDatabaseError(QStringLiteral("'%1' tablosunun blob dosyası '%2' bulunamadı.")
                                         .arg(file, QFileInfo(file).completeBaseName() + QStringLiteral(".mb")));
            m_blobs = std::make_unique<MbFile>(mb);
        } else {
            m_blobs = std::make_unique<MbFile>();
        }
        m_codePage = m_table->CodePage() ? m_table->CodePage() : 1254;
    }

    const QString &file() const { return m_file; }

    // Writes the rows into `folder`, the refused ones into `refused`; checks
    // what was written. Returns the progress line.
    QString writeInto(const QString &folder, QTextStream &refused, int &refusedCount)
    {
        MemberStore::CreateTable(folder, m_file);
        const QString path = QDir(folder).filePath(m_file);
        const QString connection = QStringLiteral("zelvan-import-%1").arg(m_file);
        int written = 0;
        int refusedHere = 0;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(path);
            const auto closeDb = qScopeGuard([&] {
                db.close();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(connection);
            });
            if (!db.open() || !db.transaction())
                throw EDatabaseError(QStringLiteral("'%1' yazılamadı: %2").arg(m_file, db.lastError().text()));
            QSqlQuery insert(db);
            QStringList marks;
            for (int i = 0; i < m_columns.size(); ++i)
                marks << QStringLiteral("?");
            if (!insert.prepare(QStringLiteral("INSERT INTO \"%1\" VALUES (%2)")
                                    .arg(QFileInfo(m_file).completeBaseName(), marks.join(QLatin1Char(',')))))
                throw EDatabaseError(QStringLiteral("'%1' yazılamadı: %2").arg(m_file, insert.lastError().text()));
            QSet<QString> keys;
            QVector<QVariant> values(m_columns.size());
            for (int recno = 0; recno < m_table->RecordCount(); ++recno) {
                try {
                    m_table->ReadRecord(recno);
                    readValues(values);
                    if (m_key >= 0) {
                        const QVariant &key = values[m_key];
                        const QString keyText = m_columns[m_key].type == ftString ? key.toString()
                                                                                   : QString::number(key.toDouble(), 'g', 17);
                        if (key.isNull() || keyText.isEmpty())
                            throw RefusedRow{QStringLiteral("%1 boş").arg(m_columns[m_key].name)};
                        if (keys.contains(keyText))
                            throw RefusedRow{QStringLiteral("%1 %2 daha önceki bir kayıtta da var")
                                                 .arg(m_columns[m_key].name, keyText)};
                        keys.insert(keyText);
                    }
                    for (int c = 0; c < values.size(); ++c)
                        insert.bindValue(c, storedForm(values[c], m_columns[c].type));
                    if (!insert.exec())
                        throw EDatabaseError(insert.lastError().text());
                    m_expected.push_back(values[m_key >= 0 ? m_key : 0]);
                    for (int c = 0; c < values.size(); ++c)
                        if (m_columns[c].type == ftMemo || m_columns[c].type == ftGraphic)
                            m_expectedLengths.push_back(blobLength(values[c], m_columns[c].type));
                    ++written;
                } catch (const RefusedRow &r) {
                    refused << m_file << QStringLiteral(", kayıt ") << recno + 1 << QStringLiteral(": ") << r.reason
                            << QStringLiteral("; aktarılmadı. ") << describe(values) << '\n';
                    ++refusedHere;
                } catch (const EDatabaseError &e) {
                    throw EDatabaseError(QStringLiteral("%1, kayıt %2: %3").arg(m_file).arg(recno + 1).arg(e.message()));
                }
            }
            insert.finish();
            if (!db.commit())
                throw EDatabaseError(QStringLiteral("'%1' yazılamadı: %2").arg(m_file, db.lastError().text()));
        }
        verify(path, written);
        refusedCount += refusedHere;
        QString line = QStringLiteral("%1: %2 kayıt aktarıldı").arg(m_file).arg(written);
        if (refusedHere)
            line += QStringLiteral(", %1 kayıt aktarılamadı (%2)").arg(refusedHere).arg(QLatin1String(ParadoxImport::kErrorFile));
        if (!m_missing.isEmpty())
            line += QStringLiteral("; eski tabloda olmayan alanlar boş: %1").arg(m_missing.join(QStringLiteral(", ")));
        if (!m_unused.isEmpty())
            line += QStringLiteral("; aktarılmayan eski alanlar: %1").arg(m_unused.join(QStringLiteral(", ")));
        return line;
    }

private:
    void readValues(QVector<QVariant> &values) const
    {
        for (int c = 0; c < m_columns.size(); ++c) {
            const int i = m_source[c];
            values[c] = QVariant();
            if (i < 0)
                continue;
            const ParadoxField &f = m_table->Fields()[i];
            if (!ParadoxTable::IsBlobType(f.type) && m_table->IsBlank(i))
                continue;
            switch (m_columns[c].type) {
            case ftString:
                values[c] = f.type == pxfAlpha ? text(m_table->Text(i))
                                               : QString::number(m_table->Number(i), 'g', 15);
                break;
            case ftFloat:
            case ftCurrency:
                if (f.type == pxfAlpha)
                    values[c] = numberFromText(m_columns[c].name, text(m_table->Text(i)));
                else
                    values[c] = m_table->Number(i);
                break;
            case ftDate: {
                const QDate d = m_table->Date(i);
                if (!d.isValid())
                    throw RefusedRow{QStringLiteral("%1 geçerli bir tarih değil").arg(m_columns[c].name)};
                values[c] = d;
                break;
            }
            case ftMemo: {
                const QByteArray bytes = f.type == pxfAlpha ? m_table->Text(i) : m_blobs->Blob(m_table->Bytes(i), f.length);
                if (!bytes.isEmpty())
                    values[c] = text(bytes);
                break;
            }
            case ftGraphic: {
                const QByteArray bytes = m_blobs->Blob(m_table->Bytes(i), f.length);
                if (!bytes.isEmpty())
                    values[c] = pictureBytes(bytes);
                break;
            }
            }
            if (values[c].typeId() == QMetaType::QString && values[c].toString().isEmpty())
                values[c] = QVariant();
        }
    }

    QString text(const QByteArray &bytes) const { return rtfDecode(bytes, m_codePage); }

    static QVariant numberFromText(const QString &field, QString s)
    {
        s = s.trimmed();
        if (s.isEmpty())
            return QVariant();
        if (s.contains(QLatin1Char(',')))
            s = s.remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double d = s.toDouble(&ok);
        if (!ok)
            throw RefusedRow{QStringLiteral("%1 bir sayı değil: \"%2\"").arg(field, s)};
        return d;
    }

    static QVariant storedForm(const QVariant &v, TFieldType type)
    {
        if (v.isNull())
            return type == ftGraphic ? QVariant(QMetaType::fromType<QByteArray>()) : QVariant(QMetaType::fromType<QString>());
        if (type == ftDate)
            return v.toDate().toString(Qt::ISODate);
        return v;
    }

    static qint64 blobLength(const QVariant &v, TFieldType type)
    {
        if (v.isNull())
            return -1;
        return type == ftMemo ? v.toString().toUtf8().size() : v.toByteArray().size();
    }

    QString describe(const QVector<QVariant> &values) const
    {
        QStringList parts;
        for (int c = 0; c < values.size(); ++c) {
            if (values[c].isNull())
                continue;
            QString shown;
            if (m_columns[c].type == ftGraphic)
                shown = QStringLiteral("(resim, %1 bayt)").arg(values[c].toByteArray().size());
            else if (m_columns[c].type == ftDate)
                shown = values[c].toDate().toString(QStringLiteral("dd.MM.yyyy"));
            else if (values[c].typeId() == QMetaType::Double)
                shown = QString::number(values[c].toDouble(), 'g', 15);
            else
                shown = values[c].toString().replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
            parts << QStringLiteral("%1=%2").arg(m_columns[c].name, shown);
        }
        return parts.join(QStringLiteral("; "));
    }

    // Reads the new table back: as many rows as were written, each with its
    // key (or first field) and every blob at its length, in the order written.
    void verify(const QString &path, int written) const
    {
        const QString connection = QStringLiteral("zelvan-import-check-%1").arg(m_file);
        QString problem;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            QStringList select{QStringLiteral("\"%1\"").arg(m_columns[m_key >= 0 ? m_key : 0].name)};
            for (const TColumnDef &c : m_columns)
                if (c.type == ftMemo || c.type == ftGraphic)
                    select << QStringLiteral("CASE WHEN \"%1\" IS NULL THEN -1 ELSE length(CAST(\"%1\" AS BLOB)) END").arg(c.name);
            if (!db.open()) {
                problem = db.lastError().text();
            } else {
                QSqlQuery q(db);
                q.setForwardOnly(true);
                if (!q.exec(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                                .arg(select.join(QStringLiteral(", ")), QFileInfo(m_file).completeBaseName()))) {
                    problem = q.lastError().text();
                } else {
                    const int blobs = int(select.size()) - 1;
                    int row = 0;
                    while (problem.isEmpty() && q.next()) {
                        if (row >= written) {
                            problem = QStringLiteral("yazılandan fazla kayıt var");
                            break;
                        }
                        const QVariant want = m_expected[size_t(row)];
                        const QVariant got = q.value(0);
                        const bool sameKey = want.isNull() ? got.isNull()
                                             : m_columns[m_key >= 0 ? m_key : 0].type == ftString
                                                 ? got.toString() == want.toString()
                                                 : got.toDouble() == want.toDouble();
                        if (!sameKey)
                            problem = QStringLiteral("%1. kayıt okunan değerle aynı değil").arg(row + 1);
                        for (int b = 0; b < blobs && problem.isEmpty(); ++b)
                            if (q.value(b + 1).toLongLong() != m_expectedLengths[size_t(row) * blobs + b])
                                problem = QStringLiteral("%1. kaydın blob uzunluğu tutmuyor").arg(row + 1);
                        ++row;
                    }
                    if (problem.isEmpty() && row != written)
                        problem = QStringLiteral("%1 kayıt yazıldı, %2 kayıt okundu").arg(written).arg(row);
                }
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
        if (!problem.isEmpty())
            throw EDatabaseError(QStringLiteral("%1: yazılan tablo denetlenirken: %2").arg(m_file, problem));
    }

    QString m_file;
    std::unique_ptr<ParadoxTable> m_table;
    std::unique_ptr<MbFile> m_blobs;
    QList<TColumnDef> m_columns;
    QList<int> m_source; // old field of each of our columns, -1 when absent
    QStringList m_missing;
    QStringList m_unused;
    int m_key = -1;
    int m_codePage = 1254;
    std::vector<QVariant> m_expected;
    std::vector<qint64> m_expectedLengths;
};

// Moves the old tables aside (when they were in the register folder) and the
// new ones into place, as the marker of a checked import says; done again
// after a crash it picks up where it stopped.
void finish(const QDir &folder)
{
    QDir work(folder.filePath(QLatin1String(kWorkFolder)));
    const QString markerPath = work.filePath(QLatin1String(kCommitMarker));
    QFile marker(markerPath);
    if (!marker.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Aktarım tamamlanamadı: %1 okunamıyor.").arg(QDir::toNativeSeparators(markerPath)));
    QStringList lines = QString::fromUtf8(marker.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    marker.close();
    if (!lines.isEmpty() && lines.takeFirst() == QLatin1String(kInPlace)) {
        const QDir old(folder.filePath(QLatin1String(ParadoxImport::kOldFolder)));
        if (!old.exists() && !QDir().mkpath(old.path()))
            throw EDatabaseError(QStringLiteral("'%1' klasörü oluşturulamadı.").arg(QDir::toNativeSeparators(old.path())));
        for (const QString &name : lines) {
            const QString path = folder.filePath(name);
            // A table of ours by that name was moved in after the old one left.
            if (QFileInfo::exists(path) && !isOurTable(path))
                moveFile(path, old.filePath(name));
        }
        syncPath(old.path());
        syncPath(folder.path());
    }
    for (const QString &name : work.entryList(QDir::Files | QDir::Hidden))
        if (name != QLatin1String(kCommitMarker))
            moveFile(work.filePath(name), folder.filePath(name));
    syncPath(folder.path());
    QFile::remove(markerPath);
    work.removeRecursively();
    syncPath(folder.path());
}

} // namespace

namespace ParadoxImport {

bool HoldsOldTables(const QString &folder)
{
    const QString uye = findFile(QDir(folder), QStringLiteral("Uye.db"));
    if (uye.isEmpty())
        return false;
    // The start of a Paradox table's header: record size, header size (whole
    // kilobytes), file type (0 or 2 for a table), block size in kilobytes.
    QFile f(uye);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(6);
    if (head.size() < 6)
        return false;
    const auto *b = reinterpret_cast<const uchar *>(head.constData());
    const int recordSize = b[0] | b[1] << 8;
    const int headerSize = b[2] | b[3] << 8;
    const int blockKb = b[5];
    return recordSize > 0 && headerSize > 0 && headerSize % 0x400 == 0 && f.size() >= headerSize
           && (b[4] == pxfFileTypIndexDB || b[4] == pxfFileTypNonIndexDB)
           && (blockKb == 1 || blockKb == 2 || blockKb == 3 || blockKb == 4 || blockKb == 8 || blockKb == 16 || blockKb == 32);
}

void Recover(const QString &folder)
{
    const QDir dir(folder);
    QDir work(dir.filePath(QLatin1String(kWorkFolder)));
    if (!work.exists())
        return;
    if (QFileInfo::exists(work.filePath(QLatin1String(kCommitMarker))))
        finish(dir);
    else
        work.removeRecursively();
}

int Run(const QString &oldFolder, const QString &folder, const std::function<void(const QString &)> &progress,
        const std::function<void(const QDir &)> &addFiles)
{
    const QDir oldDir(QDir::cleanPath(QDir(oldFolder).absolutePath()));
    const QDir dir(QDir::cleanPath(QDir(folder).absolutePath()));
    if (!oldDir.exists())
        throw EDatabaseError(QStringLiteral("Eski tabloların klasörü yok: %1").arg(QDir::toNativeSeparators(oldDir.path())));
    if (dir.exists())
        Recover(dir.path());
    const bool inPlace = dir.exists() && QFileInfo(oldDir.path()).canonicalFilePath() == QFileInfo(dir.path()).canonicalFilePath();

    // Refusals first, before anything is written.
    for (const QString &file : MemberStore::TableFiles()) {
        const QString present = findFile(dir, file);
        if (present.isEmpty())
            continue;
        if (isOurTable(present))
            throw EDatabaseError(QStringLiteral("%1 zaten bir kayıt defteri içeriyor; aktarım yalnızca boş bir klasöre yapılır.")
                                     .arg(QDir::toNativeSeparators(dir.path())));
        if (!inPlace)
            throw EDatabaseError(QStringLiteral("%1 içinde başka bir '%2' dosyası var; aktarım yalnızca boş bir klasöre yapılır.")
                                     .arg(QDir::toNativeSeparators(dir.path()), QFileInfo(present).fileName()));
    }
    QStringList oldFiles;
    if (inPlace) {
        oldFiles = oldTableFiles(dir);
        const QDir old(dir.filePath(QLatin1String(kOldFolder)));
        for (const QString &name : oldFiles)
            if (QFileInfo::exists(old.filePath(name)))
                throw EDatabaseError(QStringLiteral("'%1' klasöründe zaten bir '%2' var; eski tablolar oraya taşınamaz.")
                                         .arg(QDir::toNativeSeparators(old.path()), name));
    }
    std::vector<std::unique_ptr<TableImport>> tables;
    for (const char *file : kImportOrder)
        tables.push_back(std::make_unique<TableImport>(oldDir, QString::fromLatin1(file)));

    if (!dir.exists() && !QDir().mkpath(dir.path()))
        throw EDatabaseError(QStringLiteral("Klasör oluşturulamadı: %1").arg(QDir::toNativeSeparators(dir.path())));
    QDir work(dir.filePath(QLatin1String(kWorkFolder)));
    if (!QDir().mkpath(work.path()))
        throw EDatabaseError(QStringLiteral("Klasör oluşturulamadı: %1").arg(QDir::toNativeSeparators(work.path())));
    int refused = 0;
    try {
        QString refusedText;
        QTextStream refusedRows(&refusedText);
        for (const auto &t : tables)
            progress(t->writeInto(work.path(), refusedRows, refused));
        tables.clear();
        if (refused) {
            QSaveFile errors(work.filePath(QLatin1String(ParadoxImport::kErrorFile)));
            if (!errors.open(QIODevice::WriteOnly) || errors.write(refusedText.toUtf8()) < 0 || !errors.commit())
                throw EDatabaseError(QStringLiteral("'%1' yazılamadı: %2").arg(QLatin1String(kErrorFile), errors.errorString()));
        }
        if (addFiles)
            addFiles(work);
        syncPath(work.path());
        // The commit: from here on the import is finished, even after a crash.
        QSaveFile marker(work.filePath(QLatin1String(kCommitMarker)));
        const QString plan = (inPlace ? QLatin1String(kInPlace) : QLatin1String("ayri")) + QLatin1Char('\n')
                             + oldFiles.join(QLatin1Char('\n')) + QLatin1Char('\n');
        if (!marker.open(QIODevice::WriteOnly) || marker.write(plan.toUtf8()) < 0 || !marker.commit())
            throw EDatabaseError(QStringLiteral("Aktarım kaydedilemedi: %1").arg(marker.errorString()));
        syncPath(work.path());
    } catch (...) {
        tables.clear();
        work.removeRecursively();
        throw;
    }
    finish(dir);
    return refused;
}

} // namespace ParadoxImport
