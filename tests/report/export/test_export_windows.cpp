// The export filters in the windows: the preview's save dialog offers the
// registered formats after the prepared-report type and exports through
// the chosen one, with its option dialog; what the option dialogs read
// back, and what their cancel and their bad values do.

#include "export_fixtures.h"
#include "export_tests.h"
#include "export_ui.h"
#include "pdf_export.h"
#include "report/core/exceptions.h"
#include "report/output/preview_form.h"
#include "rtf_export.h"
#include "rtf_export_form.h"
#include "scripted_ui.h"
#include "text_export.h"
#include "text_export_form.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The operator picks the type, types a name into the save dialog and confirms.
void saveAs(QDialog *d, const QString &type, const QString &path)
{
    auto *dialog = static_cast<QFileDialog *>(d);
    dialog->selectNameFilter(type);
    dialog->setDirectory(QFileInfo(path).path());
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(QFileInfo(path).fileName());
    static_cast<QDialog *>(dialog)->accept();
}

} // namespace

class TestExportWindows : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TScriptedUi> ui;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        qpInstallExportUi();
    }
    void init() { ui = std::make_unique<TScriptedUi>(); }
    void cleanup() { ui.reset(); }

    void saveDialogOffersEveryFilter()
    {
        auto report = numberedReport(3);
        TqpTextExport text;
        TqpRtfAdvExport rtf;
        auto pdf = std::make_unique<TqpPdfExport>();
        TqpPreviewForm form;
        form.Connect(report.get());
        form.InitButtons();
        form.show();

        QStringList types;
        ui->modalActions << [&](QDialog *d) {
            types = static_cast<QFileDialog *>(d)->nameFilters();
            saveAs(d, types.value(1), path(QStringLiteral("liste.dat")));
        };
        // The text filter's options: frames on, no page breaks.
        ui->modalActions << [](QDialog *d) {
            auto *form = qobject_cast<TqpTXTExportForm *>(d);
            QVERIFY(form);
            QVERIFY(!form->CB4->isEnabled());
            form->CB3->setChecked(true);
            QVERIFY(form->CB4->isEnabled());
            form->CB5->setChecked(false);
            form->OkButton->click();
        };
        form.SaveBtnClick();
        QCOMPARE(types, (QStringList{"Rapor dosyasi (*.qpp)", "ASCII Text dosyasi (*.txt)",
                                     "Rich text file advanced (*.rtf)", "PDF dosyası (*.pdf)"}));
        QVERIFY(text.ExportFrames);
        const QByteArray txt = fileBytes(path(QStringLiteral("liste.txt")));
        QCOMPARE(txt.count('\f'), 0);
        QVERIFY2(txt.contains("Sayfa 1") && txt.contains("Sayfa 3"), txt.constData());
        // The pages came back to the preview.
        QCOMPARE(form.PageCount(), 3);

        // RTF with a page range typed into its dialog.
        ui->modalActions << [&](QDialog *d) { saveAs(d, types.value(2), path(QStringLiteral("liste"))); };
        ui->modalActions << [](QDialog *d) {
            auto *form = qobject_cast<TqpRtfExpSet *>(d);
            QVERIFY(form);
            QCOMPARE(form->E_ScaleX->text(), QStringLiteral("100"));
            form->E_Range->setText(QStringLiteral("2-3"));
            form->OkButton->click();
        };
        form.SaveBtnClick();
        const QString back = unrtf(path(QStringLiteral("liste.rtf")));
        QVERIFY2(back.contains(QLatin1String("Sayfa 2")) && back.contains(QLatin1String("Sayfa 3")) &&
                     !back.contains(QLatin1String("Sayfa 1")),
                 qPrintable(back));

        // PDF has no options.
        ui->modalActions << [&](QDialog *d) { saveAs(d, types.value(3), path(QStringLiteral("liste.pdf"))); };
        form.SaveBtnClick();
        QVERIFY(fileBytes(path(QStringLiteral("liste.pdf"))).startsWith("%PDF"));
        QCOMPARE(ui->modalShown.size(), 5);

        // A filter that goes takes its type with it.
        pdf.reset();
        ui->modalActions << [&](QDialog *d) { types = static_cast<QFileDialog *>(d)->nameFilters(); };
        form.SaveBtnClick();
        QCOMPARE(types.size(), 3);
        QVERIFY(!types.contains(QStringLiteral("PDF dosyası (*.pdf)")));
    }

    void textOptionsReadBack_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<double>("expected");
        QTest::newRow("comma") << QStringLiteral("1,5") << 1.5;
        QTest::newRow("point") << QStringLiteral("0.5") << 0.5;
        QTest::newRow("not a number") << QStringLiteral("abc") << 1.0;
        QTest::newRow("zero") << QStringLiteral("0") << 1.0;
    }

    void textOptionsReadBack()
    {
        QFETCH(QString, scale);
        QFETCH(double, expected);
        TqpTextExport filter;
        filter.ScaleY = 2;
        ui->modalActions << [&](QDialog *d) {
            auto *form = static_cast<TqpTXTExportForm *>(d);
            QCOMPARE(form->E2->text(), QStringLiteral("2"));
            QCOMPARE(form->windowTitle(), QStringLiteral("TXT ihraç özellikleri"));
            // As stored, or wider where the font's texts need it; none is cut.
            QCOMPARE(form->height(), 209);
            QVERIFY(form->width() >= 229);
            for (const QCheckBox *cb : {form->CB1, form->CB2, form->CB3, form->CB4, form->CB5})
                QVERIFY(cb->width() >= cb->sizeHint().width());
            form->E1->setText(scale);
            form->CB1->setChecked(false);
            form->CB2->setChecked(true);
            form->CB5->setChecked(false);
            form->OkButton->click();
        };
        QCOMPARE(filter.ShowModal(), int(mrOk));
        QCOMPARE(filter.ScaleX, expected);
        QCOMPARE(filter.ScaleY, 2.0);
        QVERIFY(!filter.KillEmptyLines && filter.ConvertToOEM && !filter.PageBreaks);
        // Without the dialog nothing is asked.
        filter.ShowDialog = false;
        QCOMPARE(filter.ShowModal(), int(mrOk));
        QCOMPARE(ui->modalShown.size(), 1);
    }

    void cancelledDialogWritesNothing()
    {
        auto report = numberedReport(1);
        TqpTextExport filter;
        ui->modalActions << [](QDialog *d) {
            auto *form = static_cast<TqpTXTExportForm *>(d);
            form->CB3->setChecked(true);
            form->CancelButton->click();
        };
        QVERIFY(!report->ExportTo(&filter, path(QStringLiteral("vazgecildi.txt"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("vazgecildi.txt"))));
        // What was typed still became the options.
        QVERIFY(filter.ExportFrames);
    }

    void rtfBadValuesWriteNothing_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("value");
        QTest::newRow("scale") << QStringLiteral("E_ScaleX") << QStringLiteral("yüz");
        QTest::newRow("margin") << QStringLiteral("E_TMargin") << QStringLiteral("x");
        QTest::newRow("range") << QStringLiteral("E_Range") << QStringLiteral("1,,2");
    }

    void rtfBadValuesWriteNothing()
    {
        QFETCH(QString, edit);
        QFETCH(QString, value);
        auto report = numberedReport(2);
        TqpRtfAdvExport filter;
        ui->modalActions << [&](QDialog *d) {
            auto *form = static_cast<TqpRtfExpSet *>(d);
            QCOMPARE(form->windowTitle(), QStringLiteral("Export to RTF"));
            form->findChild<QLineEdit *>(edit)->setText(value);
            form->OkButton->click();
        };
        const QString name = path(QStringLiteral("bozuk.rtf"));
        QVERIFY_THROWS_EXCEPTION(EConvertError, report->ExportTo(&filter, name));
        QVERIFY(!QFile::exists(name));
    }

    void rtfOptionsReadBack()
    {
        TqpRtfAdvExport filter;
        filter.ScaleY = 0.755;
        ui->modalActions << [](QDialog *d) {
            auto *form = static_cast<TqpRtfExpSet *>(d);
            QCOMPARE(form->E_ScaleY->text(), QStringLiteral("75"));
            QVERIFY(form->CB_PageBreaks->isChecked() && form->CB_Pictures->isChecked());
            form->E_ScaleX->setText(QStringLiteral("50"));
            form->E_LMargin->setText(QStringLiteral("1,5"));
            form->CB_PageBreaks->setChecked(false);
            form->CB_Pictures->setChecked(false);
            form->CancelButton->click();
        };
        QCOMPARE(filter.ShowModal(), int(mrCancel));
        QCOMPARE(filter.ScaleX, 0.5);
        QCOMPARE(filter.ScaleY, 0.75);
        QCOMPARE(filter.LeftMargin, 1.5);
        QVERIFY(!filter.PageBreaks && !filter.ExportPictures);
    }
};

EXPORT_TEST(TestExportWindows)
#include "test_export_windows.moc"
