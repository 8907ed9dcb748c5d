// Value formatting under the Turkish settings, the message table, and the
// rule by which names compare.

#include "report/core/conversions.h"
#include "report/core/formatting.h"
#include "report/core/names.h"
#include "report/core/string_table.h"

#include <QDate>
#include <QTest>
#include <QTime>

class TestCore : public QObject {
    Q_OBJECT
private slots:
    void numberPictures_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("two decimals") << "##0.00" << 12.5 << "12,50";
        QTest::newRow("grouping") << "#,##0.00" << 1234567.891 << "1.234.567,89";
        QTest::newRow("optional decimals") << "#,##0.##" << 1234.5 << "1.234,5";
        QTest::newRow("half away from zero") << "0" << 2.5 << "3";
        QTest::newRow("negative rounding to zero") << "0" << -0.4 << "0";
        QTest::newRow("no integer zero") << "#.##" << 0.5 << ",5";
        QTest::newRow("leading zeros") << "000" << 7.0 << "007";
        QTest::newRow("negative grouped") << "#,##0" << -1234.0 << "-1.234";
        QTest::newRow("zero section") << "0.00;(0.00);'sıfır'" << 0.0 << "sıfır";
        QTest::newRow("negative section") << "0.00;(0.00)" << -3.456 << "(3,46)";
        QTest::newRow("exponent") << "0.0E+00" << 12345.0 << "1,2E+04";
        QTest::newRow("more digits than places") << "##0." << 1234.5 << "1235";
        QTest::newRow("quoted text") << "\"TL \"#,##0.00" << 1000.0 << "TL 1.000,00";
        QTest::newRow("text between digits") << "00-00" << 1234.0 << "12-34";
        QTest::newRow("empty picture") << "" << 0.75 << "0,75";
    }
    void numberPictures()
    {
        QFETCH(QString, picture);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(qpFormatFloat(picture, value), text);
    }

    void fixedAndNumberStyles()
    {
        QCOMPARE(qpFloatToStrF(1234.5, ffFixed, 15, 2), QStringLiteral("1234,50"));
        QCOMPARE(qpFloatToStrF(1234.5, ffNumber, 15, 2), QStringLiteral("1.234,50"));
        QCOMPARE(qpFloatToStrF(-0.001, ffFixed, 15, 2), QStringLiteral("0,00"));
        QCOMPARE(qpFloatToStrF(100, ffCurrency, 15, 2), QStringLiteral("100,00 TL"));
    }

    void dateTimePictures_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("text");
        QTest::newRow("short date") << "dd.mm.yyyy" << "05.03.2024";
        QTest::newRow("month first") << "mm.dd.yy" << "03.05.24";
        QTest::newRow("short month name") << "d mmm yyyy" << "5 Mar 2024";
        QTest::newRow("long month name") << "d mmmm yyyy" << "5 Mart 2024";
        QTest::newRow("time") << "hh:nn:ss" << "14:07:09";
        QTest::newRow("m after h is minutes") << "hh:mm" << "14:07";
        QTest::newRow("day name") << "dddd, d mmmm" << "Salı, 5 Mart";
        QTest::newRow("date and time") << "c" << "05.03.2024 14:07:09";
        QTest::newRow("separators") << "yyyy/mm/dd" << "2024.03.05";
        QTest::newRow("twelve hours") << "h:nn am/pm" << "2:07 pm";
        QTest::newRow("long date") << "dddddd" << "5 Mart 2024 Salı";
        QTest::newRow("quoted") << "'Tarih:' dd" << "Tarih: 05";
    }
    void dateTimePictures()
    {
        QFETCH(QString, picture);
        QFETCH(QString, text);
        QCOMPARE(qpFormatDateTime(picture, qpEncodeDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))), text);
    }

    void maskFormatting_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("date without literals") << "!99/99/0000;0; " << "05032024" << "05.03.2024";
        QTest::newRow("telephone") << "(999) 000-0000;0; " << "5321234567" << "(532) 123-4567";
        QTest::newRow("upper case") << ">LL;0; " << "ab" << "AB";
        QTest::newRow("short text is blank-filled") << "000-000;0;*" << "12" << "12*-***";
        QTest::newRow("literals in the text") << "00/00;1;_" << "12/34" << "12.34";
    }
    void maskFormatting()
    {
        QFETCH(QString, mask);
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(qpFormatMaskText(mask, text), result);
    }

    void messageTable()
    {
        QCOMPARE(qpLoadStr(55206), QStringLiteral("Hata"));
        QCOMPARE(qpLoadStr(55007), QStringLiteral("Hayali yazıcı"));
        QCOMPARE(qpLoadStr(55345), QStringLiteral("Taninmayan QPF dosya formati"));
        // Blanks that belong to a message are kept.
        QVERIFY(qpLoadStr(55361).endsWith(QLatin1Char(' ')));
        QCOMPARE(qpLoadStr(12345), QStringLiteral("[message 12345]"));
    }

    // The four i's are one letter in a name; other Turkish letters pair
    // with their own capitals only.
    void namesCompare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("dotless ı and I") << "Sayı" << "SAYI" << true;
        QTest::newRow("dotless ı and i") << "Toplamı" << "toplami" << true;
        QTest::newRow("dotted İ and i") << "İlçe" << "ilçe" << true;
        QTest::newRow("dotted İ and I") << "İL" << "IL" << true;
        QTest::newRow("ı and İ") << "ışık" << "İŞİK" << true;
        QTest::newRow("English word") << "Visible" << "VISIBLE" << true;
        QTest::newRow("ş and Ş") << "Şişli" << "şİşLİ" << true;
        QTest::newRow("ğ and Ğ") << "Ağırlık" << "AĞIRLIK" << true;
        QTest::newRow("ç ö ü") << "Üçgen Öğe" << "üÇGEN öĞE" << true;
        QTest::newRow("ş is not s") << "Şehir" << "Sehir" << false;
        QTest::newRow("ğ is not g") << "Değer" << "Deger" << false;
        QTest::newRow("ü is not u") << "Ünal" << "Unal" << false;
        QTest::newRow("longer") << "Sayı" << "Sayılar" << false;
    }
    void namesCompare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(qpSameName(a, b), same);
        QCOMPARE(qpSameName(b, a), same);
        QCOMPARE(qpNameKey(a) == qpNameKey(b), same);
        QCOMPARE(qpCompareNames(a, b) == 0, same);
        // An order fit for sorted lists: antisymmetric, and the key's order.
        QCOMPARE(qpCompareNames(a, b) < 0, qpCompareNames(b, a) > 0);
        QCOMPARE(qpCompareNames(a, b) < 0, qpNameKey(a) < qpNameKey(b));
        QCOMPARE(qpNameStartsWith(a + QStringLiteral(".Alan"), b), same);
    }

    void nameKeyIsUpperCase()
    {
        QCOMPARE(qpNameKey(u"Toplamı * 2"), QStringLiteral("TOPLAMI * 2"));
        QCOMPARE(qpNameKey(u"işçi.\"ağırlık\""), QStringLiteral("IŞÇI.\"AĞIRLIK\""));
        QCOMPARE(qpNameKey(u"line#"), QStringLiteral("LINE#"));
        QVERIFY(qpNameStartsWith(u"Table1.Adı", u"TABLE1."));
        QVERIFY(!qpNameStartsWith(u"Tab", u"TABLE1."));
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
