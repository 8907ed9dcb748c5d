#pragma once
// Generated members for the benchmarks: Turkish names, addresses, phones and
// dues, the same for every run (fixed seed).

#include <QString>
#include <QVariantList>

// Fills the Uye.db table of a prepared working folder with `count` members
// (registration numbers 1 to count) straight through SQL: making the data is
// not what the benchmarks measure.
void generateMembers(const QString &path, int count);
// Fills the Aidat.db table with `perMember` years of dues for each of the
// members 1 to `members`.
void generateDues(const QString &path, int members, int perMember);
// Runs one statement with its values on the table file, as a change made
// outside the program.
void changeMembers(const QString &path, const QString &statement, const QVariantList &values);
