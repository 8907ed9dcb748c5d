#pragma once
// The Turkish regional settings every formatting routine of the program reads.
// The program never asks the desktop's locale: a register printed on another
// machine must look the same, so the settings are fixed here, once. The date
// and time patterns read the same in the program's own formatting and in Qt's.

#include <QChar>
#include <QString>
#include <QStringList>

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
    QString TimeAMString = QStringLiteral("ÖÖ");
    QString TimePMString = QStringLiteral("ÖS");
    QStringList ShortMonthNames{"Oca", "Şub", "Mar", "Nis", "May", "Haz", "Tem", "Ağu", "Eyl", "Eki", "Kas", "Ara"};
    QStringList LongMonthNames{"Ocak", "Şubat", "Mart", "Nisan", "Mayıs", "Haziran",
                               "Temmuz", "Ağustos", "Eylül", "Ekim", "Kasım", "Aralık"};
    // Sunday first.
    QStringList ShortDayNames{"Paz", "Pzt", "Sal", "Çar", "Per", "Cum", "Cmt"};
    QStringList LongDayNames{"Pazar", "Pazartesi", "Salı", "Çarşamba", "Perşembe", "Cuma", "Cumartesi"};
};

// The one instance; tests may change it, the program does not.
FormatSettings &formatSettings();
