// The dictionary's section of the template format and the dictionary file
// (.qpd): the template's stream primitives live here in the model, so the
// byte layout is kept with them rather than with the dictionary's logic.

#include "report/expr/data_dictionary.h"

#include "report/expr/expr_globals.h"
#include "report/model/model_errors.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/model/stream_utils.h"
#include "report/core/string_table.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr quint16 kCurrentLayout = 0xFFFE, kCheckedLayout = 0xFFFF;
// The smallest stored pair is two empty strings of three bytes each; the
// smallest older entry a kind, an index and three empty short strings.
constexpr qint64 kMinPairSize = 6, kMinOlderEntrySize = 8;

[[noreturn]] void readError() { throw EReadError(qpLoadStr(qpMsgStreamRead)); }

// A count that the rest of the stream cannot hold is refused before anything
// is read, so a lying count fails at once instead of reading to the end.
qint32 readCount(QIODevice &s, qint64 minEntrySize)
{
    const qint32 n = qpReadInteger(s);
    if (n < 0 || (!s.isSequential() && n > s.bytesAvailable() / minEntrySize))
        readError();
    return n;
}

void readEntries(QIODevice &s, TqpVariables &entries)
{
    for (qint32 n = readCount(s, kMinPairSize); n > 0; --n) {
        const QString name = qpReadString(s);
        entries.SetVariable(name, Variant(qpReadString(s)));
    }
}

void writeEntries(QIODevice &s, const TqpVariables &entries)
{
    qpWriteInteger(s, entries.Count());
    for (int i = 0; i < entries.Count(); ++i) {
        qpWriteString(s, entries.GetName(i));
        qpWriteString(s, entries.GetValue(i).toString());
    }
}

QString readShortString(QIODevice &s)
{
    const int n = qpReadByte(s);
    const QByteArray bytes = s.read(n);
    if (bytes.size() != n)
        readError();
    return qpFromAnsi(bytes);
}

// Entries with kinds and short strings, then the lines of the variable list.
void readOlderLayout(QIODevice &s, TqpDataDictionary &d)
{
    for (qint32 n = readCount(s, kMinOlderEntrySize); n > 0; --n) {
        const quint8 kind = qpReadByte(s);
        const qint32 index = qpReadInteger(s);
        const QString s1 = readShortString(s), s2 = readShortString(s), s3 = readShortString(s);
        QString value;
        if (kind == 2)
            value = index == 1 ? s2 : index >= 0 && index < qpSpecFuncCount ? QLatin1String(qpSpecFuncs[index]) : QString();
        else if (kind == 1)
            value = s1 + QLatin1String(".\"") + s2 + QLatin1Char('"');
        d.FieldAliases.SetVariable(QLatin1Char(' ') + s3, Variant(value));
    }
    QStringList lines;
    qpReadVersionMemo(s, lines);
    for (const QString &line : std::as_const(lines)) {
        const bool category = !line.isEmpty() && !line.startsWith(QLatin1Char(' '));
        d.Variables.SetVariable(line, Variant(category ? QString() : d.FieldAliases.GetVariable(line).toString()));
    }
    d.FieldAliases.Clear();
}

} // namespace

void TqpDataDictionary::LoadFromStream(QIODevice &s)
{
    Clear();
    const quint16 layout = qpReadWord(s);
    if (layout == kCurrentLayout || layout == kCheckedLayout) {
        readEntries(s, Variables);
        readEntries(s, FieldAliases);
        readEntries(s, BandDatasources);
    } else {
        s.seek(s.pos() - 2);
        readOlderLayout(s, *this);
    }
    MarkCategories();
    if (layout == kCheckedLayout)
        DropUnusedAliases();
}

void TqpDataDictionary::SaveToStream(QIODevice &s) const
{
    qpWriteWord(s, kCurrentLayout);
    writeEntries(s, Variables);
    writeEntries(s, FieldAliases);
    writeEntries(s, BandDatasources);
}

void TqpDataDictionary::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EqpError(qpLoadStr(qpMsgFileNotRead).arg(fileName, file.errorString()));
    QBuffer bytes;
    bytes.setData(file.readAll());
    bytes.open(QIODevice::ReadOnly);
    // The first byte is the version the file was written with; it decides
    // the form of the older layout's text lines.
    const quint8 version = qpReadByte(bytes);
    const int savedVersion = qpVersion;
    qpVersion = version >= 21 && version <= qpCurrentVersion ? version : qpCurrentVersion;
    // Read into a copy, so a damaged file leaves the dictionary as it was.
    TqpDataDictionary loaded(m_report);
    try {
        loaded.LoadFromStream(bytes);
    } catch (...) {
        qpVersion = savedVersion;
        throw;
    }
    qpVersion = savedVersion;
    Variables.Assign(loaded.Variables);
    FieldAliases.Assign(loaded.FieldAliases);
    BandDatasources.Assign(loaded.BandDatasources);
}

void TqpDataDictionary::SaveToFile(const QString &fileName) const
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    qpWriteByte(bytes, quint8(qpCurrentVersion));
    SaveToStream(bytes);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data()) != bytes.size() || !file.commit())
        throw EWriteError(qpLoadStr(qpMsgFileNotSaved).arg(fileName, file.errorString()));
}
