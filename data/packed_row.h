#pragma once
// One stored record kept compactly in memory: a tagged byte string holding
// every column. A table of a hundred thousand members fits in a few tens of
// megabytes this way, where a QVariant per value would take ten times more.
// Large blobs are not kept: only whether the column holds one.

#include <QByteArray>
#include <QVariant>
#include <QVector>

class PackedRow {
public:
    // Appends values one column at a time; texts go in as UTF-8 bytes, so a
    // table can be read straight from storage without building QStrings.
    class Writer {
    public:
        void null();
        void number(double d);
        void date(qint32 julianDay);
        void text(const char *utf8, int size);
        void bytes(const QByteArray &b);
        void blobPresent();
        PackedRow take();

    private:
        void sized(char tag, const char *data, int size);
        QByteArray m_out;
    };

    // A value of QVariant kind Bool stands for "blob present, not loaded".
    static PackedRow pack(const QVector<QVariant> &values);
    QVariant value(int column) const;
    QVector<QVariant> unpack(int columns) const;

private:
    QByteArray m_bytes;
};
