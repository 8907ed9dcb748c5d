#pragma once
// The report dictionary as far as the template file needs it: its three
// lists of name and value pairs, read and written in the dictionary's own
// stream layout so that templates pass through load and save unchanged.
// Resolving variables and aliases is the expression layer's business.

#include <QIODevice>
#include <QList>
#include <QPair>
#include <QString>

class TqpDataDictionary {
public:
    using Entries = QList<QPair<QString, QString>>;
    Entries Variables, Aliases, BandSources;

    void Clear();
    bool IsEmpty() const { return Variables.isEmpty() && Aliases.isEmpty() && BandSources.isEmpty(); }
    // The current layout (marker word 0xFFFE or 0xFFFF) or the older one of
    // entries with kinds and short strings followed by the variable lines.
    void LoadFromStream(QIODevice &stream);
    // Marker word 0xFFFE, then the three lists each as a count and pairs.
    void SaveToStream(QIODevice &stream) const;
};
