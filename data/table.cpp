#include "table.h"

#include "db_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlDriver>
#include <QSqlRecord>

#include <memory>
#include <sqlite3.h>

namespace {

QString quoteIdentifier(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

const char *declaredType(TFieldType type)
{
    switch (type) {
    case ftString: return "VARCHAR";
    case ftFloat: return "DOUBLE";
    case ftCurrency: return "MONEY";
    case ftDate: return "DATE";
    case ftMemo: return "TEXT";
    case ftGraphic: return "GRAPHIC";
    }
    return "TEXT";
}

TFieldType fieldTypeOf(const QString &declared, int &size)
{
    const QString t = declared.trimmed().toUpper();
    static const QRegularExpression sized(QStringLiteral("^(?:VAR)?CHAR(?:ACTER)?\\s*\\(\\s*(\\d+)\\s*\\)"));
    if (const auto m = sized.match(t); m.hasMatch()) {
        size = m.captured(1).toInt();
        return ftString;
    }
    size = 0;
    if (t.startsWith(QLatin1String("VARCHAR")) || t.startsWith(QLatin1String("CHAR"))) {
        size = 20;
        return ftString;
    }
    if (t == QLatin1String("MONEY") || t == QLatin1String("CURRENCY"))
        return ftCurrency;
    if (t == QLatin1String("DATE"))
        return ftDate;
    if (t == QLatin1String("TEXT") || t == QLatin1String("MEMO"))
        return ftMemo;
    if (t == QLatin1String("GRAPHIC") || t == QLatin1String("BLOB"))
        return ftGraphic;
    return ftFloat;
}

// Storage form of a value: dates as ISO text so the file reads well elsewhere.
QVariant storedForm(const QVariant &v)
{
    if (!v.isValid())
        return QVariant(QMetaType::fromType<QString>());
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    return v;
}

// Turns the storage engine's refusal into a message for the operator.
[[noreturn]] void fail(const QString &file, int nativeCode, const QString &text)
{
    switch (nativeCode & 0xff) {
    case 5: // busy
    case 6: // locked
        throw EDatabaseError(QStringLiteral("'%1' tablosu başka bir program tarafından kilitli; daha sonra yeniden deneyin.").arg(file));
    case 8: // read-only
        throw EDatabaseError(QStringLiteral("'%1' tablosuna yazılamıyor: dosya salt okunur.").arg(file));
    case 11: // corrupt
    case 26: // not a database
        throw EDatabaseError(QStringLiteral("'%1' tablo dosyası bozuk ya da eksik: %2").arg(file, text));
    case 13: // full
        throw EDatabaseError(QStringLiteral("'%1' tablosuna yazılamıyor: disk dolu.").arg(file));
    case 19: { // constraint
        static const QRegularExpression column(QStringLiteral("\\.(\\w+)"));
        const QString field = column.match(text).captured(1);
        if (text.contains(QLatin1String("UNIQUE")) || text.contains(QLatin1String("PRIMARY KEY")))
            throw EDatabaseError(QStringLiteral("Anahtar ihlali: '%1' tablosunda %2 değeri aynı olan bir kayıt zaten var.").arg(file, field));
        if (text.contains(QLatin1String("NOT NULL")))
            throw EDatabaseError(QStringLiteral("'%1' alanı bir değer içermeli.").arg(field));
        break;
    }
    default: break;
    }
    throw EDatabaseError(QStringLiteral("'%1' tablosunda veritabanı hatası: %2").arg(file, text));
}

[[noreturn]] void fail(const QString &file, const QSqlError &error)
{
    fail(file, error.nativeErrorCode().toInt(), error.databaseText().isEmpty() ? error.text() : error.databaseText());
}

// Julian day of an ISO date (yyyy-mm-dd), or 0 when it is not one.
qint32 julianDayOf(const char *s, int n)
{
    if (n != 10 || s[4] != '-' || s[7] != '-')
        return 0;
    auto digits = [s](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    const QDate d(digits(0, 4), digits(5, 2), digits(8, 2));
    return d.isValid() ? qint32(d.toJulianDay()) : 0;
}

void exec(QSqlQuery &q, const QString &file)
{
    if (!q.exec())
        fail(file, q.lastError());
}

// One connection for the duration of a scope, for the static helpers.
class ScopedConnection {
public:
    explicit ScopedConnection(const QString &path)
        : m_name(QStringLiteral("zelvan-create-%1").arg(quintptr(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            fail(QFileInfo(path).fileName(), db.lastError());
    }
    ~ScopedConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

} // namespace

TTable::TTable(QObject *parent)
    : TDataSet(parent), m_connection(QStringLiteral("zelvan-table-%1").arg(quintptr(this)))
{
}

TTable::~TTable()
{
    Close();
}

QString TTable::FilePath() const
{
    return QDir(DatabaseName.isEmpty() ? QDir::currentPath() : DatabaseName).filePath(TableName);
}

QSqlDatabase TTable::database() const { return QSqlDatabase::database(m_connection, false); }

QString TTable::quotedTable() const { return quoteIdentifier(m_sqlTable); }

QString TTable::quotedColumn(int column) const { return quoteIdentifier(m_columns[column].name); }

void TTable::CreateTable(const QString &path, const QList<TColumnDef> &columns, int keyColumn)
{
    const QString file = QFileInfo(path).fileName();
    if (QFileInfo::exists(path))
        throw EDatabaseError(QStringLiteral("'%1' tablo dosyası zaten var.").arg(file));
    QStringList defs;
    for (int i = 0; i < columns.size(); ++i) {
        QString def = quoteIdentifier(columns[i].name) + QLatin1Char(' ') + QLatin1String(declaredType(columns[i].type));
        if (columns[i].type == ftString)
            def += QStringLiteral("(%1)").arg(columns[i].size);
        if (i == keyColumn)
            def += QStringLiteral(" NOT NULL PRIMARY KEY");
        defs << def;
    }
    ScopedConnection c(path);
    QSqlQuery q(c.db());
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(QFileInfo(path).completeBaseName()), defs.join(QStringLiteral(", ")))))
        fail(file, q.lastError());
}

QList<TColumnDef> TTable::InternalOpen(std::vector<Record> &records)
{
    const QString path = FilePath();
    const QFileInfo info(path);
    if (!info.exists())
        throw EDatabaseError(QStringLiteral("'%1' tablo dosyası bulunamadı (%2).").arg(TableName, info.absolutePath()));
    {
        // Never hand a file of another format to the storage engine: it would
        // treat an empty file as a new database and write into it.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw EDatabaseError(QStringLiteral("'%1' tablo dosyası okunamıyor: %2").arg(TableName, f.errorString()));
        if (f.read(16) != QByteArray("SQLite format 3\0", 16))
            throw EDatabaseError(QStringLiteral("'%1' dosyası başka bir biçimde (bir SQLite tablosu değil); dosyaya dokunulmadı.").arg(TableName));
    }

    m_sqlTable = info.completeBaseName();
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockTimeoutMs);
    if (ReadOnly || !info.isWritable())
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
    }
    try {
        loadRecords(records);
    } catch (...) {
        records.clear();
        InternalClose();
        throw;
    }
    return m_columns;
}

void TTable::loadRecords(std::vector<Record> &records)
{
    QSqlDatabase db = database();
    if (!db.open())
        fail(TableName, db.lastError());
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA synchronous = FULL")))
        fail(TableName, q.lastError());
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quotedTable())))
        fail(TableName, q.lastError());
    m_columns.clear();
    m_keyColumn = -1;
    while (q.next()) {
        int size = 0;
        const TFieldType type = fieldTypeOf(q.value(2).toString(), size);
        if (q.value(5).toInt() == 1)
            m_keyColumn = int(m_columns.size());
        m_columns.append({q.value(1).toString(), type, size});
    }
    if (m_columns.isEmpty())
        throw EDatabaseError(QStringLiteral("'%1' dosyasında '%2' tablosu yok.").arg(TableName, m_sqlTable));

    q.finish();

    // The bulk read goes straight to the storage engine under the connection:
    // building a QVariant per value would triple the time a large table takes
    // to open. Pictures are read when a record needs them; here only whether
    // there is one. Asked with typeof, the storage engine answers from the
    // record's header; "IS NOT NULL" would read every photo through.
    QStringList select{QStringLiteral("rowid")};
    for (int i = 0; i < m_columns.size(); ++i)
        select << (m_columns[i].type == ftGraphic ? QStringLiteral("typeof(%1) <> 'null'").arg(quotedColumn(i))
                                                  : quotedColumn(i));
    const QString order = m_keyColumn >= 0 ? quotedColumn(m_keyColumn) + QStringLiteral(", rowid") : QStringLiteral("rowid");
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                               .arg(select.join(QStringLiteral(", ")), quotedTable(), order).toUtf8();
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw EDatabaseError(QStringLiteral("'%1' tablosu açılamadı: veritabanı sürücüsü uygun değil.").arg(TableName));
    sqlite3 *sdb = *static_cast<sqlite3 *const *>(handle.constData());
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(sdb, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        fail(TableName, sqlite3_errcode(sdb), QString::fromUtf8(sqlite3_errmsg(sdb)));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> guard(stmt, sqlite3_finalize);
    PackedRow::Writer row;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int i = 0; i < m_columns.size(); ++i) {
            const int col = i + 1;
            if (sqlite3_column_type(stmt, col) == SQLITE_NULL) {
                row.null();
                continue;
            }
            switch (m_columns[i].type) {
            case ftFloat:
            case ftCurrency: row.number(sqlite3_column_double(stmt, col)); break;
            case ftGraphic: sqlite3_column_int(stmt, col) ? row.blobPresent() : row.null(); break;
            case ftDate: {
                const auto *s = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
                const qint32 jd = julianDayOf(s, sqlite3_column_bytes(stmt, col));
                jd ? row.date(jd) : row.null();
                break;
            }
            default: {
                const auto *s = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
                const int n = sqlite3_column_bytes(stmt, col);
                n ? row.text(s, n) : row.null();
            }
            }
        }
        records.push_back({sqlite3_column_int64(stmt, 0), row.take()});
    }
    if (rc != SQLITE_DONE)
        fail(TableName, sqlite3_errcode(sdb), QString::fromUtf8(sqlite3_errmsg(sdb)));
}

void TTable::InternalClose()
{
    if (QSqlDatabase::contains(m_connection)) {
        database().close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

qint64 TTable::InternalPost(qint64 id, bool inserting, const QVector<QVariant> &columns, const QVector<bool> &changed)
{
    QStringList names;
    QVector<int> written;
    for (int i = 0; i < m_columns.size(); ++i)
        if (changed[i]) {
            names << quotedColumn(i);
            written << i;
        }
    if (!inserting && written.isEmpty())
        return id;

    QSqlDatabase db = database();
    if (!db.transaction())
        fail(TableName, db.lastError());
    try {
        QSqlQuery q(db);
        if (inserting) {
            q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(quotedTable(), names.join(QStringLiteral(", ")),
                               QStringList(written.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
        } else {
            q.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(quotedTable(), names.join(QStringLiteral(" = ?, "))));
        }
        for (int i : written)
            q.addBindValue(storedForm(columns[i]));
        if (!inserting)
            q.addBindValue(id);
        exec(q, TableName);
        const qint64 newId = inserting ? q.lastInsertId().toLongLong() : id;
        q.finish();
        if (!db.commit())
            fail(TableName, db.lastError());
        return newId;
    } catch (...) {
        db.rollback();
        throw;
    }
}

void TTable::InternalDelete(qint64 id)
{
    QSqlDatabase db = database();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quotedTable()));
    q.addBindValue(id);
    exec(q, TableName);
}

QByteArray TTable::InternalLoadBlob(qint64 id, int column)
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(quotedColumn(column), quotedTable()));
    q.addBindValue(id);
    exec(q, TableName);
    return q.next() ? q.value(0).toByteArray() : QByteArray();
}

double TTable::InternalMaxValue(int column) const
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT MAX(%1) FROM %2").arg(quotedColumn(column), quotedTable())))
        fail(TableName, q.lastError());
    return q.next() ? q.value(0).toDouble() : 0.0;
}
