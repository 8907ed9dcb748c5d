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
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>
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
        QCOMPARE(RunZelvan(*app(), {QStringLiteral("zelvan"), m_dir->path()}), 1);
        QCOMPARE(m_ui->boxes.size(), 1); // only the error: a partial register is not offered anew
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
        // Four panels; the last names the working folder.
        const auto panels = AnaMenu1->statusBar()->findChildren<QLabel *>();
        QCOMPARE(panels.size(), 4);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(panels[i]->width(), 50);
            QVERIFY(panels[i]->text().isEmpty());
        }
        QCOMPARE(panels[3]->text(), QDir::toNativeSeparators(m_dir->path()));
    }

    // ------------------------------------------------------------ the working folder

    void noArgumentMeansZelvanInTheHomeFolderNeverTheCurrentOne()
    {
        // A new user: an empty home, started from some other folder.
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restore = qScopeGuard([&] { qputenv("HOME", oldHome); });
        QVERIFY(QDir::setCurrent(m_dir->path()));

        const QString folder = ChooseWorkingFolder({QStringLiteral("zelvan")});
        QCOMPARE(folder, QDir(home.path()).filePath(QStringLiteral("Zelvan")));
        StartUp(*app(), folder);
        QVERIFY(m_ui->boxes.isEmpty()); // the first start asks nothing
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"Zelvan"}));
        QStringList created = QDir(folder).entryList(QDir::Files);
        created.sort();
        QCOMPARE(created, QStringList({"Aidat.db", "Ilce.db", "Mahal.db", "Sehir.db", "Uye.db", "UyeForm.qpf",
                                       "UyeList.qpf"}));
        QCOMPARE(SehirTanim1->Table1->RecordCount(), 81);
        QCOMPARE(QDir::currentPath(), folder); // where the windows find their templates
        QCOMPARE(AnaMenu1->statusBar()->findChildren<QLabel *>().last()->text(), QDir::toNativeSeparators(folder));

        // The second start finds its register and changes nothing in it.
        app()->DestroyForms();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        const auto before = snapshot(folder);
        StartUp(*app(), ChooseWorkingFolder({QStringLiteral("zelvan")}));
        QVERIFY(m_ui->boxes.isEmpty());
        QCOMPARE(snapshot(folder), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void namedFolderWithoutARegisterAsksFirst_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("empty folder, yes") << true << QMessageBox::Yes;
        QTest::newRow("empty folder, no") << true << QMessageBox::No;
        QTest::newRow("no such folder, yes") << false << QMessageBox::Yes;
        QTest::newRow("no such folder, no") << false << QMessageBox::No;
    }

    void namedFolderWithoutARegisterAsksFirst()
    {
        QFETCH(bool, exists);
        QFETCH(QMessageBox::StandardButton, answer);
        const QString folder = QDir(m_dir->path()).filePath(QStringLiteral("dernek"));
        if (exists)
            QVERIFY(QDir().mkdir(folder));
        m_ui->answers << answer;
        if (answer == QMessageBox::No) {
            // Declined: the program ends at once and nothing is written anywhere.
            QCOMPARE(RunZelvan(*app(), {QStringLiteral("zelvan"), folder}), 0);
            QVERIFY(app()->Forms().isEmpty());
            QCOMPARE(QDir(folder).exists(), exists);
            QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     exists ? QStringList({"dernek"}) : QStringList());
            if (exists)
                QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        } else {
            QCOMPARE(ChooseWorkingFolder({QStringLiteral("zelvan"), folder}), folder);
            StartUp(*app(), folder);
            QCOMPARE(SehirTanim1->Table1->RecordCount(), 81);
            QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("UyeList.qpf"))));
        }
        QCOMPARE(m_ui->boxes.size(), 1);
        QCOMPARE(m_ui->boxes[0].icon, QMessageBox::Question);
        QCOMPARE(m_ui->boxes[0].text, QStringLiteral("Bu klasörde üye kayıtları yok. Yeni kayıt defteri oluşturulsun mu?"));
        QVERIFY2(m_ui->boxes[0].title.contains(QDir::toNativeSeparators(folder)), qPrintable(m_ui->boxes[0].title));
        QCOMPARE(m_ui->boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    }

    void namedFolderWithARegisterOpensWithoutAsking()
    {
        const QString folder = QDir(m_dir->path()).filePath(QStringLiteral("dernek"));
        MemberStore::PrepareWorkingFolder(folder);
        // A relative name is taken from where the program was started.
        QVERIFY(QDir::setCurrent(m_dir->path()));
        QCOMPARE(ChooseWorkingFolder({QStringLiteral("zelvan"), QStringLiteral("dernek/")}), folder);
        QVERIFY(m_ui->boxes.isEmpty());
    }

    void moreThanOneArgumentIsRefused()
    {
        QCOMPARE(RunZelvan(*app(), {QStringLiteral("zelvan"), m_dir->path(), m_dir->path()}), 1);
        QCOMPARE(m_ui->errors(), QStringList({"Kullanım: zelvan [KLASÖR]"}));
        QVERIFY(QDir(m_dir->path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
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

    void aboutBannerLetsTheNameAndVersionBeRead_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("product name") << "Label1";
        QTest::newRow("version") << "Label2";
    }

    void aboutBannerLetsTheNameAndVersionBeRead()
    {
        // The text against the banner pixel under it that is closest in
        // brightness must reach the usual 4.5:1 contrast for small text.
        QFETCH(QString, label);
        startUp();
        Hakkinda->ensurePolished();
        auto *text = Hakkinda->findChild<QLabel *>(label);
        text->ensurePolished();
        const QImage banner = Hakkinda->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();
        const auto luminance = [](QColor c) {
            const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
        };
        const double ink = luminance(text->palette().color(QPalette::WindowText));
        double worst = 21;
        const QRect under = text->geometry().intersected(banner.rect());
        QVERIFY(!under.isEmpty());
        for (int y = under.top(); y <= under.bottom(); ++y)
            for (int x = under.left(); x <= under.right(); ++x) {
                const double paper = luminance(banner.pixelColor(x, y));
                worst = std::min(worst, (std::max(ink, paper) + 0.05) / (std::min(ink, paper) + 0.05));
            }
        QVERIFY2(worst >= 4.5, qPrintable(QString::number(worst)));
    }

    // ------------------------------------------------------------ window positions

    void windowsStayWhereTheOperatorMovedThem_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *name : {"UyeKayitForm1", "UyeListForm1", "Hakkinda", "Takvim1", "SehirTanim1", "IlceTanim1",
                                 "MahalleTanim1", "Resim1"})
            QTest::newRow(name) << name;
    }

    void windowsStayWhereTheOperatorMovedThem()
    {
        QFETCH(QString, window);
        startUp();
        QWidget *w = nullptr;
        for (QWidget *form : app()->Forms())
            if (form->objectName() == window)
                w = form;
        QVERIFY(w);
        // The first showing centres it (the viewer has no owner window here).
        w->show();
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2((w->frameGeometry().center() - screen.center()).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(w->x()).arg(w->y())));
        w->move(screen.topLeft() + QPoint(37, 41));
        w->hide();
        w->show();
        QCOMPARE(w->pos(), screen.topLeft() + QPoint(37, 41));
        w->hide();
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app.moc"
