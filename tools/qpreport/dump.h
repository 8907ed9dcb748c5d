#pragma once
// `qpreport dump FILE.qpf`: a readable listing of a template.

#include <QStringList>

int cmdDump(const QStringList &args);
