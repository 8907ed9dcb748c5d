#pragma once
// The member list of the benchmarks: the shipped list with two more fields
// on a second line of every row (birth place and province), eight text
// fields a row; 10 000 members fill 435 pages.

#include <QString>

void writeBenchMemberList(const QString &file);
