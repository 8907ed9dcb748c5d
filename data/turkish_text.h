#pragma once
// Turkish letter case. Qt's own case mapping is locale-neutral and would pair
// i with I; Turkish pairs ı with I and i with İ.

#include <QString>

QChar turkishUpper(QChar c);
QString turkishUpper(const QString &s);
QString turkishLower(const QString &s);
