#pragma once
// The one rule by which the engine's names compare: variables, dictionary
// entries, data sets, fields, objects, properties and functions. A name
// compares by its upper case, and the four Turkish i's (i, ı, I, İ) count as
// one letter, so that "Sayı", "SAYI" and "sayi" name the same thing and the
// engine's own English words ("Visible", "LINE#") match however they are
// typed. The rule uses no locale: a name means the same on every machine.

#include <QString>
#include <QStringView>

// The upper-case form under which a name compares; the i's become "I".
QChar qpNameFold(QChar c);
QString qpNameKey(QStringView name);

// <0, 0 or >0, ordering by the folded characters.
int qpCompareNames(QStringView a, QStringView b);
inline bool qpSameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && qpCompareNames(a, b) == 0;
}
// Whether `name` begins with `prefix` under the same rule.
bool qpNameStartsWith(QStringView name, QStringView prefix);
