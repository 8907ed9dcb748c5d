// The printer object: the virtual printer's papers and geometry, requests
// and their equality, a real printer read through a scripted platform, and
// the fall-back to the virtual printer when a printer cannot be read.

#include "fake_printers.h"
#include "printer.h"

#include <QTest>

class TestPrinter : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { qpPrinterShutdown(); }

    void virtualPrinterGeometry_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("code");
        QTest::addColumn<QVector<int>>("expected"); // sheet w, h, offset, print w, h
        QTest::newRow("A4 portrait") << int(poPortrait) << 9 << QVector<int>{758, 1071, 18, 722, 1035};
        QTest::newRow("A4 landscape") << int(poLandscape) << 9 << QVector<int>{1071, 758, 18, 1035, 722};
        QTest::newRow("A5 portrait") << int(poPortrait) << 11 << QVector<int>{534, 758, 18, 498, 722};
    }
    void virtualPrinterGeometry()
    {
        QFETCH(int, orientation);
        QFETCH(int, code);
        QFETCH(QVector<int>, expected);
        FakePrinters fake;
        qpPrinterStartup(&fake);
        Prn->SetPrinterIndex(Prn->VirtualPrinterIndex);
        Prn->SetPrinterInfo(code, 0, 0, -1, TPrinterOrientation(orientation), true);
        TqpPrnInfo info;
        Prn->FillPrnInfo(info);
        QCOMPARE((QVector<int>{info.SheetWidth, info.SheetHeight, info.SheetOffsetX, info.PrintWidth, info.PrintHeight}),
                 expected);
        QCOMPARE(info.SheetOffsetY, 18);
        QCOMPARE(Prn->PaperCount, 67);
        QCOMPARE(Prn->PaperTitles.value(8), QStringLiteral("A4 210 x 297 mm"));
        QCOMPARE(Prn->PaperTitles.last(), QStringLiteral("Özel"));
    }

    void noPrinterAtAll()
    {
        FakePrinters none;
        none.names.clear();
        none.readable = false;
        qpPrinterStartup(&none);
        QVERIFY(qpThreadDone);
        QCOMPARE(Prn->PrinterNames, QStringList{QStringLiteral("Hayali yazıcı")});
        QVERIFY(Prn->IsVirtual());
        QCOMPARE(qpDefaultPaper, -1);
        // The paper held last stays: A4 from creation.
        QCOMPARE(Prn->PaperWidth, 2100);
        QCOMPARE(Prn->PaperHeight, 2970);
    }

    void requestsAndEquality()
    {
        TqpPrinter p;
        p.SetPrinter(nullptr);
        p.SetPrinterInfo(qpPaperCustom, 2100, 2970, -1, poPortrait, true);
        QVERIFY(p.IsEqual(qpPaperCustom, 2101, 2969, 5, poPortrait));
        QVERIFY(!p.IsEqual(qpPaperCustom, 2102, 2970, -1, poPortrait));
        QVERIFY(!p.IsEqual(qpPaperCustom, 2100, 2970, -1, poLandscape));
        // A custom size keeps the dimensions it was given.
        QCOMPARE(p.PaperWidth, 2100);
        p.SetPrinterInfo(9, 0, 0, 3, poPortrait, true);
        QVERIFY(p.IsEqual(9, 0, 0, -1, poPortrait)); // any source
        QVERIFY(p.IsEqual(9, 0, 0, 0xFFFF, poPortrait));
        QVERIFY(!p.IsEqual(9, 0, 0, 4, poPortrait));
        QCOMPARE(p.GetBinIndex(12345), 0);
        QCOMPARE(p.GetSizeIndex(9), 8);
        QCOMPARE(p.GetSizeIndex(48), 66); // not offered: the last paper
    }

    void realPrinterIsReadAndWritten()
    {
        FakePrinters fake;
        qpPrinterStartup(&fake);
        QCOMPARE(Prn->PrinterNames, (QStringList{"Ofis", "Depo", "Hayali yazıcı"}));
        QCOMPARE(Prn->PrinterIndex, 1);
        QCOMPARE(Prn->VirtualPrinterIndex, 2);
        QCOMPARE(qpDefaultPaper, 9);
        QCOMPARE(Prn->DeviceName, QStringLiteral("Depo"));
        QCOMPARE(Prn->PaperWidth, 2100); // 4961 pixels at 600 per inch
        QCOMPARE(Prn->PaperHeight, 2970);
        QCOMPARE(Prn->PaperCount, 3);
        QCOMPARE(Prn->BinCodes, (QVector<int>{-1, 7, 4}));
        QCOMPARE(Prn->BinTitles.first(), QStringLiteral("Varsayılan"));
        QCOMPARE(Prn->BinCount, 3);

        TqpPrnInfo info;
        Prn->FillPrnInfo(info);
        QCOMPARE(info.DevSheetWidth, 4961);
        QCOMPARE(info.SheetWidth, 758);  // nearest(4961 * 93 / 1.015 / 600)
        QCOMPARE(info.DevOffsetY, 120);
        QCOMPARE(info.SheetOffsetY, 18);

        Prn->SetPrinterInfo(9, 2100, 2970, 4, poLandscape, false);
        QCOMPARE(fake.written.last().orientation, 2);
        QCOMPARE(fake.written.last().defaultSource, 4);
        QCOMPARE(fake.written.last().copies, 1);
        QCOMPARE(Prn->Orientation, poLandscape);
        QCOMPARE(Prn->PaperWidth, 2970); // read back from the device

        // No paper change inside a print job, whatever is asked.
        fake.printing = true;
        const int writes = int(fake.written.size());
        Prn->SetPrinterInfo(11, 0, 0, -1, poPortrait, true);
        QCOMPARE(fake.written.size(), writes);
        QCOMPARE(Prn->PaperSize, 9);
        fake.printing = false;

        // A printer that stops answering hands over to the virtual printer.
        fake.readable = false;
        Prn->GetSettings();
        QVERIFY(Prn->IsVirtual());
        QCOMPARE(Prn->PaperCount, 67);
    }

    void systemPrintersStartWithoutFailing()
    {
        qpPrinterStartup();
        QVERIFY(qpThreadDone);
        QVERIFY(Prn);
        QCOMPARE(Prn->PrinterNames.last(), QStringLiteral("Hayali yazıcı"));
        TqpPrnInfo info;
        Prn->FillPrnInfo(info);
        QVERIFY(info.SheetWidth > 0);
    }
};

QTEST_MAIN(TestPrinter)
#include "test_printer.moc"
