#pragma once
// A data set over one table file in SQLite form. The file holds one table,
// named as the file without its extension, whose declared column types give
// the field kinds:
//   VARCHAR(n) text of at most n characters   DOUBLE number   MONEY currency
//   DATE date (stored as yyyy-mm-dd)         TEXT memo       GRAPHIC picture
// Every post is its own transaction, synchronously on disk.

#include "dataset.h"

#include <QSqlDatabase>

class TTable : public TDataSet {
    Q_OBJECT
public:
    explicit TTable(QObject *parent = nullptr);
    ~TTable() override;

    QString DatabaseName;  // folder of the file; empty: the working folder
    QString TableName;     // file name, such as "Uye.db"
    int LockTimeoutMs = 2000; // how long to wait for another program's lock
    bool ReadOnly = false;    // also in force when the file cannot be written

    QString FilePath() const;

    // Creates a new table file; `keyColumn` (or -1) is the unique key that
    // orders the records. An existing file is never overwritten.
    static void CreateTable(const QString &path, const QList<TColumnDef> &columns, int keyColumn);

protected:
    QList<TColumnDef> InternalOpen(std::vector<Record> &records) override;
    void InternalClose() override;
    qint64 InternalPost(qint64 id, bool inserting, const QVector<QVariant> &columns,
                        const QVector<bool> &changed) override;
    void InternalDelete(qint64 id) override;
    QByteArray InternalLoadBlob(qint64 id, int column) override;
    int KeyColumn() const override { return m_keyColumn; }
    double InternalMaxValue(int column) const override;

private:
    QSqlDatabase database() const;
    void loadRecords(std::vector<Record> &records);
    QString quotedTable() const;
    QString quotedColumn(int column) const;

    QString m_connection;
    QString m_sqlTable;
    QList<TColumnDef> m_columns;
    int m_keyColumn = -1;
};
