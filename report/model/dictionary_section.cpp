#include "report/model/dictionary_section.h"

#include "report/model/stream_utils.h"

namespace {

constexpr quint16 kCurrentLayout = 0xFFFE, kCheckedLayout = 0xFFFF;

// Pairs are read one at a time, so a hostile count ends in a read error at
// the end of the stream instead of a huge allocation.
void readEntries(QIODevice &s, TqpDataDictionary::Entries &entries)
{
    for (qint32 n = qpReadInteger(s); n > 0; --n) {
        const QString name = qpReadString(s);
        entries.append({name, qpReadString(s)});
    }
}

void writeEntries(QIODevice &s, const TqpDataDictionary::Entries &entries)
{
    qpWriteInteger(s, qint32(entries.size()));
    for (const auto &[name, value] : entries) {
        qpWriteString(s, name);
        qpWriteString(s, value);
    }
}

QString readShortString(QIODevice &s)
{
    QByteArray bytes;
    for (int n = qpReadByte(s); n > 0; --n)
        bytes.append(char(qpReadByte(s)));
    return qpFromAnsi(bytes);
}

QString valueOf(const TqpDataDictionary::Entries &entries, const QString &name)
{
    for (const auto &[n, v] : entries)
        if (n == name)
            return v;
    return {};
}

// The built-in variable names by index as the older layout numbers them.
QString specFunc(qint32 index)
{
    static const char *const names[] = {"VALUE",   "",           "PAGE#",      "DATE",          "TIME",
                                        "LINE#",   "LINETHROUGH#", "COLUMN#",  "CURRENT#",      "TOTALPAGES",
                                        "REPORTCOMMENT", "REPORTNAME", "REPORTAUTOR", "VMAJOR", "VMINOR",
                                        "VRELEASE", "VBUILD",      "REPORTDATE", "REPORTLASTCHANGE", "CALCWIDTH"};
    return index >= 0 && index < qint32(std::size(names)) ? QString::fromLatin1(names[index]) : QString();
}

void readOlderLayout(QIODevice &s, TqpDataDictionary &d)
{
    for (qint32 n = qpReadInteger(s); n > 0; --n) {
        const quint8 kind = qpReadByte(s);
        const qint32 index = qpReadInteger(s);
        const QString s1 = readShortString(s), s2 = readShortString(s), s3 = readShortString(s);
        QString value;
        if (kind == 2)
            value = index == 1 ? s2 : specFunc(index);
        else if (kind == 1)
            value = s1 + QLatin1String(".\"") + s2 + QLatin1Char('"');
        d.Aliases.append({QLatin1Char(' ') + s3, value});
    }
    QStringList lines;
    qpReadVersionMemo(s, lines);
    for (const QString &line : lines) {
        const bool category = !line.isEmpty() && !line.startsWith(QLatin1Char(' '));
        d.Variables.append({line, category ? QString() : valueOf(d.Aliases, line)});
    }
    d.Aliases.clear();
}

} // namespace

void TqpDataDictionary::Clear()
{
    Variables.clear();
    Aliases.clear();
    BandSources.clear();
}

void TqpDataDictionary::LoadFromStream(QIODevice &s)
{
    Clear();
    const quint16 layout = qpReadWord(s);
    if (layout == kCurrentLayout || layout == kCheckedLayout) {
        readEntries(s, Variables);
        readEntries(s, Aliases);
        readEntries(s, BandSources);
        // A checked dictionary drops band sources nobody named; dropping the
        // aliases that no longer resolve needs the data sets and is done where
        // they are known.
        if (layout == kCheckedLayout)
            BandSources.removeIf([](const auto &entry) { return entry.second.isEmpty(); });
    } else {
        s.seek(s.pos() - 2);
        readOlderLayout(s, *this);
    }
    // Older data marked the variables with a leading blank instead of the categories.
    if (!Variables.isEmpty() && !Variables.first().first.startsWith(QLatin1Char(' ')))
        for (auto &entry : Variables)
            entry.first = entry.first.startsWith(QLatin1Char(' ')) ? entry.first.mid(1)
                                                                   : QLatin1Char(' ') + entry.first;
}

void TqpDataDictionary::SaveToStream(QIODevice &s) const
{
    qpWriteWord(s, kCurrentLayout);
    writeEntries(s, Variables);
    writeEntries(s, Aliases);
    writeEntries(s, BandSources);
}
