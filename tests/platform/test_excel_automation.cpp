// The spreadsheet facade: what it saves is read back with openpyxl.
#include "excel_automation.h"
#include "scripted_ui.h"
#include "xlsx_reader.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject saveAndRead(TQpExcel &excel, const QString &fileName)
{
    QString error;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !excel.Save(file, &error)) {
        qWarning() << "SaveAs failed:" << error;
        return {};
    }
    file.close();
    QString readError;
    const QJsonObject book = qpReadXlsx(fileName, &readError);
    if (book.isEmpty())
        qWarning() << "openpyxl:" << readError;
    return book;
}

QStringList strings(const QJsonValue &array)
{
    QStringList out;
    for (const QJsonValue &v : array.toArray())
        out << (v.isDouble() ? QString::number(v.toDouble()) : v.toString());
    return out;
}

} // namespace

class TestExcelAutomation : public QObject {
    Q_OBJECT

private slots:
    void columnLetters_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("letters");
        QTest::newRow("first") << 1 << "A";
        QTest::newRow("last single") << 26 << "Z";
        QTest::newRow("first double") << 27 << "AA";
        QTest::newRow("AZ") << 52 << "AZ";
        QTest::newRow("BA") << 53 << "BA";
        QTest::newRow("last double") << 702 << "ZZ";
        QTest::newRow("first triple") << 703 << "AAA";
        QTest::newRow("sheet's last") << TQpExcel::MaxColumns << "XFD";
    }
    void columnLetters()
    {
        QFETCH(int, column);
        QFETCH(QString, letters);
        QCOMPARE(TQpExcel::Pos2Str(column), letters);
        QCOMPARE(TQpExcel::IntToCoord(column, 7), letters + QStringLiteral("7"));
    }

    // Numbers and dates keep their kind, so the sheet can compute with them.
    void valuesKeepTheirKind()
    {
        QTemporaryDir dir;
        TQpExcel excel;
        excel.OpenExcel();
        excel.SetCell(1, 1, QStringLiteral("Ayşe Çelik"));
        excel.SetCell(2, 1, 125.5);
        excel.SetRange(2, 1, 1, 1);
        excel.SetCellNumberFormat(QStringLiteral("#,##0.00\" TL\""));
        excel.SetCell(3, 1, QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
        excel.SetRange(3, 1, 1, 1);
        excel.SetCellNumberFormat(QStringLiteral("dd.mm.yyyy"));
        excel.SetCell(4, 1, QString(40000, QLatin1Char('x')));
        excel.SetCell(1, 2, QStringLiteral("satır 1\nsatır 2"));

        const QJsonObject book = saveAndRead(excel, dir.filePath(QStringLiteral("kinds.xlsx")));
        QVERIFY(!book.isEmpty());
        QCOMPARE(qpXlsxCell(book, "A1")["t"].toString(), QStringLiteral("s"));
        QCOMPARE(qpXlsxCell(book, "A1")["v"].toString(), QStringLiteral("Ayşe Çelik"));
        QCOMPARE(qpXlsxCell(book, "B1")["t"].toString(), QStringLiteral("n"));
        QCOMPARE(qpXlsxCell(book, "B1")["v"].toDouble(), 125.5);
        QCOMPARE(qpXlsxCell(book, "B1")["nf"].toString(), QStringLiteral("#,##0.00\" TL\""));
        QCOMPARE(qpXlsxCell(book, "C1")["t"].toString(), QStringLiteral("d"));
        QCOMPARE(qpXlsxCell(book, "C1")["v"].toString(), QStringLiteral("2024-03-05T00:00:00"));
        // The sheet's longest text, not a refused workbook.
        QCOMPARE(qpXlsxCell(book, "D1")["v"].toString().size(), 32767);
        QCOMPARE(qpXlsxCell(book, "A2")["v"].toString(), QStringLiteral("satır 1\nsatır 2"));
        // Every cell wraps its text.
        QVERIFY(qpXlsxCell(book, "A1")["wrap"].toBool());
    }

    void rangeFormats()
    {
        QTemporaryDir dir;
        TQpExcel excel;
        excel.OpenExcel();
        excel.SetRange(2, 2, 2, 2); // B2:C3
        excel.SetCellFontName(QStringLiteral("Liberation Serif"));
        excel.SetCellFontName(QString()); // changes nothing
        excel.SetCellFontSize(14);
        excel.SetCellFontColor(0x0000FF); // red, stored blue-green-red
        excel.SetCellFontStyle(1 | 4);
        excel.SetCellHAlign(xlHAlignRight);
        excel.SetCellVAlign(xlVAlignTop);
        excel.SetCellFillColor(0xEEE4D9);
        excel.SetCellFrame(xlFrameLeft | xlFrameTop | xlFrameRight | xlFrameBottom);
        excel.SetRange(5, 5, 0, 3); // no columns: the range stays B2:C3
        excel.SetCellOrientation(90);
        excel.SetRange(1, 5, 1, 1);
        excel.SetCellHAlign(xlHAlignJustify);
        excel.SetCellVAlign(xlVAlignCenter);
        excel.SetCellWrap(false);

        const QJsonObject book = saveAndRead(excel, dir.filePath(QStringLiteral("formats.xlsx")));
        QVERIFY(!book.isEmpty());
        const QJsonObject b2 = qpXlsxCell(book, "B2");
        QCOMPARE(b2["font"]["name"].toString(), QStringLiteral("Liberation Serif"));
        QCOMPARE(b2["font"]["size"].toDouble(), 14.0);
        QCOMPARE(b2["font"]["color"].toString(), QStringLiteral("FF0000"));
        QVERIFY(b2["font"]["b"].toBool());
        QVERIFY(!b2["font"]["i"].toBool());
        QCOMPARE(b2["font"]["u"].toString(), QStringLiteral("single"));
        QCOMPARE(b2["h"].toString(), QStringLiteral("right"));
        QCOMPARE(b2["v_align"].toString(), QStringLiteral("top"));
        QCOMPARE(b2["fill"].toString(), QStringLiteral("D9E4EE"));
        QCOMPARE(b2["rot"].toInt(), 90);
        QCOMPARE(qpXlsxCell(book, "C3")["rot"].toInt(), 90);
        QVERIFY(qpXlsxCell(book, "E5").isEmpty());
        // The frame goes round the range, not round each cell.
        const QList<QPair<const char *, const char *>> borders = {
            {"B2", "lt"}, {"C2", "rt"}, {"B3", "lb"}, {"C3", "rb"}};
        for (const auto &[coordinate, lines] : borders)
            QCOMPARE(qpXlsxCell(book, coordinate)["border"].toString(), QString::fromLatin1(lines));
        const QJsonObject a5 = qpXlsxCell(book, "A5");
        QCOMPARE(a5["h"].toString(), QStringLiteral("justify"));
        QCOMPARE(a5["v_align"].toString(), QStringLiteral("center"));
        QVERIFY(!a5["wrap"].toBool());
    }

    void mergesNeverOverlap()
    {
        QTemporaryDir dir;
        TQpExcel excel;
        excel.OpenExcel();
        excel.SetCell(1, 1, QStringLiteral("başlık"));
        excel.SetRange(1, 1, 3, 1);
        QVERIFY(excel.MergeCells());
        excel.SetRange(3, 1, 2, 2); // touches C1
        QVERIFY(!excel.MergeCells());
        excel.SetRange(1, 2, 2, 2);
        QVERIFY(excel.MergeCells());
        excel.SetRange(4, 4, 1, 1); // one cell: nothing to merge
        QVERIFY(excel.MergeCells());

        const QJsonObject book = saveAndRead(excel, dir.filePath(QStringLiteral("merged.xlsx")));
        QVERIFY(!book.isEmpty());
        QCOMPARE(strings(book["merged"]), QStringList({"A1:C1", "A2:B3"}));
        QCOMPARE(qpXlsxCell(book, "A1")["v"].toString(), QStringLiteral("başlık"));
    }

    void sheetGeometryAndPageSetup()
    {
        QTemporaryDir dir;
        TQpExcel excel;
        excel.OpenExcel();
        excel.SetColSize(1, 12.5);
        excel.SetColSize(3, 30);
        excel.SetRowSize(1, 20 / 1.3);
        excel.SetRowSize(2, 1000); // higher than the sheet allows
        excel.SetPageBreak(5);
        excel.SetPageBreak(9);
        excel.SetPageBreak(5);
        excel.SetPageMargin(72, 36, 18, 9, xlLandscape);
        excel.SetPaperSize(9);
        QImage image(30, 15, QImage::Format_RGB32);
        image.fill(Qt::red);
        excel.SetRange(2, 3, 1, 1);
        excel.InsertPicture(image, 60, 15);

        const QJsonObject book = saveAndRead(excel, dir.filePath(QStringLiteral("geometry.xlsx")));
        QVERIFY(!book.isEmpty());
        // The file stores a width with the cell padding of 5 pixels (a
        // character being 7): what the sheet shows is the width set.
        QVERIFY(qAbs(book["cols"]["A"].toDouble() - 5.0 / 7 - 12.5) < 0.1);
        QVERIFY(qAbs(book["cols"]["C"].toDouble() - 5.0 / 7 - 30) < 0.1);
        QVERIFY(qAbs(book["rows"]["1"].toDouble() - 20 / 1.3) < 0.01);
        QCOMPARE(book["rows"]["2"].toDouble(), 409.0);
        // A break above row 5 is stored after row 4.
        QCOMPARE(strings(book["breaks"]), QStringList({"4", "8"}));
        QCOMPARE(strings(book["margins"]), QStringList({"1", "0.5", "0.25", "0.125"}));
        QCOMPARE(book["orientation"].toString(), QStringLiteral("landscape"));
        QCOMPARE(book["paper"].toInt(), 9);
        const QJsonArray pictures = book["pictures"].toArray();
        QCOMPARE(pictures.size(), 1);
        QCOMPARE(pictures[0]["col"].toInt(), 2);
        QCOMPARE(pictures[0]["row"].toInt(), 3);
        // 60 by 15 points are 80 by 20 pixels at 96 per inch.
        QCOMPARE(pictures[0]["w"].toInt(), 80);
        QCOMPARE(pictures[0]["h"].toInt(), 20);
    }

    // A workbook the library refuses writes nothing and says why.
    void failedSaveWritesNothing()
    {
        TQpExcel excel;
        excel.OpenExcel();
        excel.SetCell(1, TQpExcel::MaxRows + 1, QStringLiteral("below the sheet"));
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        QString error;
        QVERIFY(!excel.Save(out, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(bytes.isEmpty());
        // The same sheet without the stray cell is a workbook.
        excel.OpenExcel();
        excel.SetCell(1, TQpExcel::MaxRows, QStringLiteral("last row"));
        QVERIFY(excel.Save(out, &error));
        QVERIFY(bytes.startsWith("PK"));
    }

    // A visible workbook goes to the desktop's program for it.
    void visibleShowsTheSavedFile()
    {
        TScriptedUi ui;
        TQpExcel excel;
        excel.SetVisible(true); // not open yet: nothing to show
        QVERIFY(!excel.Visible());
        excel.OpenExcel();
        excel.Show(QStringLiteral("/tmp/hidden.xlsx"));
        QVERIFY(ui.urls.isEmpty());
        excel.SetVisible(true);
        excel.Show(QStringLiteral("/tmp/shown.xlsx"));
        QCOMPARE(ui.urls, QList<QUrl>({QUrl::fromLocalFile(QStringLiteral("/tmp/shown.xlsx"))}));
        excel.Quit();
        QVERIFY(!excel.Visible());
    }
};

QTEST_MAIN(TestExcelAutomation)
#include "test_excel_automation.moc"
