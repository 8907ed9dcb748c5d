// The membership application's windows, created by the real start-up in a
// temporary working folder and driven through their menus, toolbar,
// navigators and grids; every modal interaction is scripted.
#include "anamenu.h"
#include "application.h"
#include "db_edit.h"
#include "db_grid.h"
#include "db_lookup_combo_box.h"
#include "db_navigator.h"
#include "forms.h"
#include "hakkinda.h"
#include "ilcetanim.h"
#include "invalid_operation.h"
#include "mahtanim.h"
#include "member_store.h"
#include "program_session.h"
#include "resim.h"
#include "scripted_ui.h"
#include "sehirtanim.h"
#include "table.h"
#include "takvim.h"
#include "uyekayit.h"
#include "uyelist.h"

#include <QBuffer>
#include <QCalendarWidget>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QFontInfo>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <memory>

namespace {

void trigger(const char *name)
{
    auto *action = AnaMenu1->findChild<QAction *>(QLatin1String(name));
    QVERIFY2(action, name);
    action->trigger();
}

TField *field(TDataSet *ds, const char *name) { return ds->FieldByName(QLatin1String(name)); }

// Hash of every file in the folder, to prove nothing was touched.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files)) {
        QFile f(info.filePath());
        f.open(QIODevice::ReadOnly);
        files.insert(info.fileName(), QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

QByteArray jpeg(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

// Opens a cell editor on the grid's current row and types ASCII text.
QLineEdit *typeIntoCell(TDBGrid *grid, int column, const QString &text)
{
    grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), column));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    grid->edit(grid->currentIndex());
    auto *editor = grid->findChild<QLineEdit *>();
    if (editor)
        QTest::keyClicks(editor, text);
    return editor;
}

} // namespace

class TestApp : public QObject, public ProgramSession {
    Q_OBJECT

private slots:
    void init() { QVERIFY(beginSession()); }
    void cleanup() { endSession(); }

    void startUpCreatesEveryWindowOnceInOrder()
    {
        startUp();
        QStringList names;
        for (QWidget *form : app()->Forms()) {
            names << form->objectName();
            QVERIFY2(!form->isVisible(), qPrintable(form->objectName()));
        }
        QCOMPARE(names, QStringList({"AnaMenu1", "UyeKayitForm1", "UyeListForm1", "Hakkinda", "Takvim1", "SehirTanim1",
                                     "IlceTanim1", "MahalleTanim1", "Resim1"}));
        QCOMPARE(app()->MainForm(), static_cast<QWidget *>(AnaMenu1));
        QVERIFY(UyeKayitForm1->Table1->Active());
        QCOMPARE(SehirTanim1->Table1->RecordCount(), 81);
        QVERIFY(IlceTanim1->Table1->Active());
        QVERIFY(MahalleTanim1->Table1->Active());
        QCOMPARE(UyeListForm1->DBGrid1->DataSource(), UyeKayitForm1->DataSource1);
        QCOMPARE(UyeKayitForm1->Table1->FilterOptions() & foCaseInsensitive, int(foCaseInsensitive));

        app()->DestroyForms();
        QVERIFY(!AnaMenu1 && !UyeKayitForm1 && !Resim1);
        QVERIFY(app()->Forms().isEmpty());
    }

    void startUpFailureShowsTheFileAndEnds_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("remove"); // else overwrite with bytes of another format
        QTest::newRow("district table missing") << "Ilce.db" << true;
        QTest::newRow("member table missing") << "Uye.db" << true;
        QTest::newRow("neighbourhood table not a table") << "Mahal.db" << false;
    }

    void startUpFailureShowsTheFileAndEnds()
    {
        QFETCH(QString, file);
        QFETCH(bool, remove);
        MemberStore::PrepareWorkingFolder(m_dir->path());
        if (remove) {
            QVERIFY(QFile::remove(file));
        } else {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("Paradox tablosu değil");
        }
        const auto before = snapshot(m_dir->path());
        QTimer::singleShot(0, app(), [] { QCoreApplication::exit(0); }); // never reached when start-up fails
        QCOMPARE(RunZelvan(*app()), 1);
        QCOMPARE(m_ui->errors().size(), 1);
        QVERIFY2(m_ui->errors()[0].contains(file), qPrintable(m_ui->errors()[0]));
        QVERIFY(app()->Forms().isEmpty());
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void mainWindowLayout()
    {
        startUp();
        QCOMPARE(AnaMenu1->windowTitle(), QStringLiteral("Zelvan Yazılımı 1.0"));
        // The layouts' classic font is drawn in its metric-compatible face.
        QCOMPARE(QFontInfo(AnaMenu1->font()).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QFontInfo(UyeListForm1->font()).family(), QStringLiteral("Liberation Sans"));
        const QList<QPair<QString, QStringList>> menus{
            {"Üye İşlemleri", {"yeGirii1=Üye Kayıt Formu", "yeBul1=Üye Listesi"}},
            {"Tanımlar", {"ehir1=Vilayet/İl", "Kaza1=Kaza/İlçe", "Mahalle1=Mahalle"}},
            {"Yardım", {"Hakknda1=Hakkında", "Orvanta1=Orvanta", "TakvimMenu=Takvim"}},
            {"Çıkış", {}}};
        const QList<QAction *> top = AnaMenu1->menuBar()->actions();
        QCOMPARE(top.size(), menus.size());
        for (int i = 0; i < top.size(); ++i) {
            QCOMPARE(top[i]->text(), menus[i].first);
            QStringList items;
            if (top[i]->menu())
                for (QAction *a : top[i]->menu()->actions())
                    items << a->objectName() + QLatin1Char('=') + a->text();
            QCOMPARE(items, menus[i].second);
        }
        QCOMPARE(top.last()->objectName(), QStringLiteral("k1"));

        auto *toolBar = AnaMenu1->findChild<QToolBar *>(QStringLiteral("ToolBar1"));
        QStringList buttons;
        for (QAction *a : toolBar->actions()) {
            buttons << a->objectName() + QLatin1Char('=') + a->text();
            QVERIFY(!a->icon().pixmap(16, 16).isNull());
            const auto *button = qobject_cast<QToolButton *>(toolBar->widgetForAction(a));
            QCOMPARE(button->size(), QSize(58, 36));
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        }
        QCOMPARE(buttons, QStringList({"ToolButton1=Üye Kayıt", "ToolButton2=Üye Listesi", "ToolButton3=Takvim",
                                       "ToolButton4=Hakkında", "ToolButton5=Kapat"}));
        QCOMPARE(toolBar->height(), 41);
        const auto panels = AnaMenu1->statusBar()->findChildren<QLabel *>();
        QCOMPARE(panels.size(), 4);
        for (const QLabel *panel : panels) {
            QCOMPARE(panel->width(), 50);
            QVERIFY(panel->text().isEmpty());
        }
    }

    void toolbarAndMenuOpenTheirWindows()
    {
        startUp();
        trigger("ToolButton2");
        QVERIFY(UyeListForm1->isVisible());
        trigger("ToolButton3");
        QVERIFY(Takvim1->isVisible());
        trigger("ToolButton4");
        QCOMPARE(m_ui->modalShown, QList<QDialog *>({Hakkinda}));
        trigger("ehir1");
        trigger("Kaza1");
        trigger("Mahalle1");
        QCOMPARE(m_ui->modalShown, QList<QDialog *>({Hakkinda, SehirTanim1, IlceTanim1, MahalleTanim1}));
        trigger("Orvanta1");
        QCOMPARE(m_ui->urls, QList<QUrl>({QUrl(QString::fromLatin1(kMakerSite))}));
        QVERIFY(m_ui->errors().isEmpty());
        trigger("ToolButton5");
        QVERIFY(app()->Terminated());
    }

    void newMemberTwiceWithoutSaving_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::newRow("typed into: posted") << true;
        QTest::newRow("untouched: dropped") << false;
    }

    void newMemberTwiceWithoutSaving()
    {
        QFETCH(bool, typed);
        startUp([](TTable &members) {
            for (double no : {3.0, 7.0}) {
                members.Append();
                members.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
                members.Post();
            }
        });
        TTable *members = UyeKayitForm1->Table1;
        trigger("yeGirii1");
        QCOMPARE(members->State(), dsInsert);
        QCOMPARE(field(members, "KayitNo")->AsFloat(), 8.0);
        QCOMPARE(field(members, "Tarih")->Value().toDate(), QDate::currentDate());
        QCOMPARE(field(members, "Uyrugu")->AsString(), QStringLiteral("T.C."));
        QVERIFY(UyeKayitForm1->isVisible());
        QVERIFY(!members->Modified());

        if (typed)
            QTest::keyClicks(UyeKayitForm1->findChild<TDBEdit *>(QStringLiteral("DBEdit3")), QStringLiteral("Ayse Kaya"));
        trigger("ToolButton1"); // the toolbar twin runs the same command
        QVERIFY(m_ui->errors().isEmpty());
        QCOMPARE(members->State(), dsInsert);
        QCOMPARE(field(members, "KayitNo")->AsFloat(), typed ? 9.0 : 8.0);
        QCOMPARE(members->RecordCount(), typed ? 3 : 2);
        // Closing the registration window (here with Esc) drops the second row.
        QTest::keyClick(UyeKayitForm1, Qt::Key_Escape);
        QVERIFY(!UyeKayitForm1->isVisible());
        QCOMPARE(members->State(), dsBrowse);
        QCOMPARE(members->RecordCount(), typed ? 3 : 2);
        members->Last();
        QCOMPARE(field(members, "AdiSoyadi")->AsString(), typed ? QStringLiteral("Ayse Kaya") : QString());
    }

    void errorInCommandShowsBoxAndProgramGoesOn()
    {
        startUp([](TTable &members) {
            members.Append();
            members.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(3);
            members.Post();
        });
        TTable *members = UyeKayitForm1->Table1;
        trigger("yeGirii1");
        // The operator retypes the number as one already taken...
        auto *number = UyeKayitForm1->findChild<TDBEdit *>(QStringLiteral("DBEdit1"));
        number->selectAll();
        QTest::keyClick(number, Qt::Key_Delete);
        QTest::keyClicks(number, QStringLiteral("3"));
        // ... and asks for another new member: settling refuses the post.
        trigger("yeGirii1");
        QCOMPARE(m_ui->errors().size(), 1);
        QVERIFY2(m_ui->errors()[0].contains(QStringLiteral("Anahtar ihlali")), qPrintable(m_ui->errors()[0]));
        QCOMPARE(members->State(), dsInsert);
        QCOMPARE(members->RecordCount(), 1);
        // The window stays as it was and the program goes on.
        QVERIFY(UyeKayitForm1->isVisible());
        QCOMPARE(number->text(), QStringLiteral("3"));
        trigger("yeBul1");
        QVERIFY(UyeListForm1->isVisible());
        QCOMPARE(m_ui->errors().size(), 1);
    }

    void provincePostedIsOfferedAtOnceAndPlateTakesTwoDigits()
    {
        startUp();
        // The registration window's province list will be this kind of widget.
        TDBLookupComboBox provinces;
        provinces.setDataSource(UyeKayitForm1->DataSource1);
        provinces.setDataField(QStringLiteral("Vilayet"));
        provinces.setListSource(SehirTanim1->DataSource1);
        provinces.setKeyField(QStringLiteral("Sehir"));
        provinces.setListField(QStringLiteral("Sehir"));
        QCOMPARE(provinces.count(), 81);

        QCOMPARE(SehirTanim1->windowTitle(), QStringLiteral("Şehir"));
        QCOMPARE(SehirTanim1->width(), 241);
        m_ui->modalActions.append([&](QDialog *) {
            TDBGrid *grid = SehirTanim1->DBGrid1;
            QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Plaka"));
            QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Şehir"));
            QCOMPARE(grid->columnWidth(0), 34);
            QCOMPARE(grid->columnWidth(1), 162);
            SehirTanim1->DBNavigator1->Button(nbInsert)->click();
            QLineEdit *plate = typeIntoCell(grid, 0, QStringLiteral("8a2b7"));
            QVERIFY(plate);
            QCOMPARE(plate->text(), QStringLiteral("82"));
            typeIntoCell(grid, 1, QStringLiteral("Zelvan"));
            QCOMPARE(provinces.findText(QStringLiteral("Zelvan")), -1);
            SehirTanim1->DBNavigator1->Button(nbPost)->click();
        });
        trigger("ehir1");
        QVERIFY(m_ui->errors().isEmpty());
        QCOMPARE(SehirTanim1->Table1->RecordCount(), 82);
        QVERIFY(provinces.findText(QStringLiteral("Zelvan")) >= 0);
    }

    void definitionWindowRefusalsKeepTheRow()
    {
        startUp();
        // A plate code already in use: the post is refused, the row stays.
        m_ui->modalActions.append([&](QDialog *) {
            SehirTanim1->DBNavigator1->Button(nbInsert)->click();
            typeIntoCell(SehirTanim1->DBGrid1, 0, QStringLiteral("06"));
            typeIntoCell(SehirTanim1->DBGrid1, 1, QStringLiteral("Ikinci"));
            SehirTanim1->DBNavigator1->Button(nbPost)->click();
        });
        trigger("ehir1");
        QCOMPARE(m_ui->errors().size(), 1);
        QVERIFY2(m_ui->errors()[0].contains(QStringLiteral("Anahtar ihlali")), qPrintable(m_ui->errors()[0]));
        TTable *places = SehirTanim1->Table1;
        QCOMPARE(places->State(), dsInsert); // closing the window left it pending
        QCOMPARE(field(places, "Sehir")->AsString(), QStringLiteral("Ikinci"));
        QCOMPARE(places->RecordCount(), 81);

        // Deleting in the empty neighbourhood table: asked, then refused.
        m_ui->answers = {QMessageBox::Yes};
        m_ui->modalActions.append([&](QDialog *) {
            MahalleTanim1->DBGrid1->setFocus();
            QTest::keyClick(MahalleTanim1->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
        });
        trigger("Mahalle1");
        QCOMPARE(m_ui->errors().size(), 2);
        QCOMPARE(MahalleTanim1->Table1->State(), dsBrowse);
        QVERIFY(MahalleTanim1->Table1->IsEmpty());
    }

    void closingAPlaceWindowKeepsAPendingEditUntilExit()
    {
        startUp();
        m_ui->modalActions.append([&](QDialog *) {
            IlceTanim1->DBNavigator1->Button(nbInsert)->click();
            typeIntoCell(IlceTanim1->DBGrid1, 0, QStringLiteral("Merkez"));
        });
        trigger("Kaza1");
        QCOMPARE(IlceTanim1->Table1->State(), dsInsert);
        m_ui->modalActions.append([&](QDialog *) {
            QCOMPARE(IlceTanim1->DBGrid1->model()->rowCount(), 1);
        });
        trigger("Kaza1");
        QCOMPARE(IlceTanim1->Table1->State(), dsInsert);

        // Leaving the program stores nothing that was not posted.
        trigger("yeGirii1");
        QTest::keyClicks(UyeKayitForm1->findChild<TDBEdit *>(QStringLiteral("DBEdit3")), QStringLiteral("Yarim"));
        app()->DestroyForms();
        for (const char *file : {"Ilce.db", "Uye.db"}) {
            TTable t;
            t.TableName = QLatin1String(file);
            t.Open();
            QVERIFY2(t.IsEmpty(), file);
        }
    }

    void calendarHandsTodayWhenClosedUntouched()
    {
        startUp();
        QCalendarWidget *calendar = Takvim1->MonthCalendar1;
        QCOMPARE(Takvim1->windowTitle(), QStringLiteral("Takvim"));
        QCOMPARE(calendar->firstDayOfWeek(), Qt::Monday);
        QCOMPARE(calendar->verticalHeaderFormat(), QCalendarWidget::ISOWeekNumbers);
        calendar->setSelectedDate(QDate(2001, 1, 1)); // an earlier pick
        UiSeam::ShowModal(Takvim1);                    // closed with its close button
        QCOMPARE(calendar->selectedDate(), QDate::currentDate());

        // A double click on a day closes it with that day selected.
        m_ui->modalActions.append([&](QDialog *) {
            auto *view = calendar->findChild<QTableView *>();
            const QDate target = QDate::currentDate().addDays(QDate::currentDate().day() > 14 ? -7 : 7);
            QModelIndex cell;
            for (int r = 0; r < view->model()->rowCount() && !cell.isValid(); ++r)
                for (int c = 0; c < view->model()->columnCount(); ++c)
                    if (view->model()->index(r, c).data().toInt() == target.day() && r > 0 && c > 0) {
                        cell = view->model()->index(r, c);
                        break;
                    }
            QVERIFY(cell.isValid());
            const QPoint at = view->visualRect(cell).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            QVERIFY(!Takvim1->isVisible());
            QCOMPARE(calendar->selectedDate(), target);
        });
        UiSeam::ShowModal(Takvim1);
        QCOMPARE(m_ui->modalShown.size(), 2);
    }

    void calendarOpenFromMenuCannotBeShownModally()
    {
        startUp();
        trigger("TakvimMenu");
        QVERIFY(Takvim1->isVisible());
        QVERIFY_THROWS_EXCEPTION(EInvalidOperation, UiSeam::ShowModal(Takvim1));
        // Every activation resets the selection to today.
        Takvim1->MonthCalendar1->setSelectedDate(QDate(2001, 1, 1));
        QApplication::setActiveWindow(AnaMenu1);
        QApplication::setActiveWindow(Takvim1);
        QCOMPARE(Takvim1->MonthCalendar1->selectedDate(), QDate::currentDate());
    }

    void viewerShowsThePictureOrNothing()
    {
        startUp();
        QCOMPARE(Resim1->windowTitle(), QStringLiteral("Resim"));
        Resim1->AssignPicture(QByteArray()); // a member without a photo
        UiSeam::ShowModal(Resim1);
        QVERIFY(Resim1->Image1->pixmap().isNull());
        QCOMPARE(Resim1->size(), Resim1->Image1->size());
        QCOMPARE(Resim1->windowTitle(), QStringLiteral("Resim"));

        Resim1->AssignPicture(jpeg(200, 150));
        UiSeam::ShowModal(Resim1);
        QCOMPARE(Resim1->Image1->pixmap().size(), QSize(200, 150));
        QCOMPARE(Resim1->size(), QSize(200, 150));
        QCOMPARE(Resim1->windowTitle(), QStringLiteral("100")); // the last progress report stays
    }

    // A photo larger than the screen opens scaled down to fit the screen's
    // available area, frame included, keeping its aspect.
    void viewerFitsALargePhotoOnTheScreen_data()
    {
        QTest::addColumn<double>("wide");
        QTest::addColumn<double>("high");
        QTest::newRow("wider than the screen") << 3.0 << 0.5;
        QTest::newRow("taller than the screen") << 0.5 << 2.5;
        QTest::newRow("larger both ways") << 4.0 << 4.0;
    }

    void viewerFitsALargePhotoOnTheScreen()
    {
        QFETCH(double, wide);
        QFETCH(double, high);
        startUp();
        const QRect area = Resim1->screen()->availableGeometry();
        const QSize photo(qRound(area.width() * wide), qRound(area.height() * high));
        Resim1->AssignPicture(jpeg(photo.width(), photo.height()));
        QSize shown, bounds;
        m_ui->modalActions << [&](QDialog *viewer) {
            bounds = area.size() - (viewer->frameGeometry().size() - viewer->size());
            QVERIFY2(area.contains(viewer->frameGeometry()),
                     qPrintable(QStringLiteral("%1,%2 %3x%4")
                                    .arg(viewer->frameGeometry().x())
                                    .arg(viewer->frameGeometry().y())
                                    .arg(viewer->frameGeometry().width())
                                    .arg(viewer->frameGeometry().height())));
            shown = Resim1->Image1->pixmap().size();
            QCOMPARE(viewer->size(), shown);
        };
        UiSeam::ShowModal(Resim1);
        QVERIFY(shown.width() == bounds.width() || shown.height() == bounds.height()); // as large as fits
        // The aspect kept to the pixel.
        QVERIFY2(qAbs(shown.width() * photo.height() - shown.height() * photo.width())
                     <= std::max(photo.width(), photo.height()),
                 qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
        QCOMPARE(Resim1->windowTitle(), QStringLiteral("100"));
    }

    void aboutWindow()
    {
        startUp();
        QCOMPARE(Hakkinda->windowTitle(), QStringLiteral("Hakkında"));
        QCOMPARE(Hakkinda->size(), QSize(298, 199));
        QStringList texts;
        for (const QLabel *label : Hakkinda->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Zelvan")));
        QVERIFY(texts.contains(QStringLiteral("V.1.0")));
        const auto *name = Hakkinda->findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(name->font().bold());
        QCOMPARE(name->font().pixelSize(), 19);
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app.moc"
