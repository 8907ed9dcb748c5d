#pragma once
// The Turkish regional settings every formatting routine of the program reads.
// The program never asks the desktop's locale: a register printed on another
// machine must look the same, so the settings are fixed here, once.

#include <QChar>
#include <QString>

struct FormatSettings {
    QChar DecimalSeparator = QLatin1Char(',');
    QChar ThousandSeparator = QLatin1Char('.');
    QChar DateSeparator = QLatin1Char('.');
    QChar TimeSeparator = QLatin1Char(':');
    QString ShortDateFormat = QStringLiteral("dd.MM.yyyy");
    QString LongDateFormat = QStringLiteral("d MMMM yyyy dddd");
    QString ShortTimeFormat = QStringLiteral("HH:mm");
    QString LongTimeFormat = QStringLiteral("HH:mm:ss");
    QString CurrencyString = QStringLiteral("TL");
    int CurrencyDecimals = 2;
};

// The one instance; tests may change it, the program does not.
FormatSettings &formatSettings();
