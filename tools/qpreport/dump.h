#pragma once
// `qpreport dump FILE.qpf|FILE.qpp`: a readable listing of a template or of
// a prepared report (chosen by the extension).

#include <QStringList>

int cmdDump(const QStringList &args);
