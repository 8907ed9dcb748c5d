// The registration window and the member list, created by the real start-up
// in a temporary working folder and driven through their buttons, editors,
// menus, tabs and grid as the operator would; every modal interaction is
// scripted.
#include "anamenu.h"
#include "application.h"
#include "data_source.h"
#include "db_combo_box.h"
#include "db_edit.h"
#include "db_grid.h"
#include "db_image.h"
#include "db_lookup_combo_box.h"
#include "forms.h"
#include "member_store.h"
#include "program_session.h"
#include "preview_form.h"
#include "report/designer/designer_form.h"
#include "report/designer/designer_state.h"
#include "report/engine/prepared_pages.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "resim.h"
#include "scripted_ui.h"
#include "table.h"
#include "takvim.h"
#include "uyekayit.h"
#include "uyelist.h"

#include <QBuffer>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

const QString kSaveChanges = QStringLiteral("Değişiklikler kaydedilsin mi?");

TTable *members() { return UyeKayitForm1->Table1; }

TField *field(const char *name) { return members()->FieldByName(QLatin1String(name)); }

template <class W = QWidget> W *child(QWidget *window, const char *name)
{
    W *w = window->findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

void click(QWidget *window, const char *button) { child<QToolButton>(window, button)->click(); }

QByteArray pictureBytes(QColor colour, int w = 40, int h = 30)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

QString writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(QDir::current().filePath(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return f.fileName();
}

// The stored member rows, read through a cursor of their own.
QStringList storedNames()
{
    TTable t;
    t.TableName = QStringLiteral("Uye.db");
    t.Open();
    QStringList names;
    for (t.First(); !t.Eof(); t.Next())
        names << t.FieldByName(QStringLiteral("AdiSoyadi"))->AsString();
    return names;
}

// The names the cursor shows, in order.
QStringList visibleNames()
{
    QStringList names;
    TDBGrid *grid = UyeListForm1->DBGrid1;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        names << grid->model()->index(row, 2).data().toString();
    return names;
}

void seedMembers(TTable &t, const QStringList &names)
{
    double no = 0;
    for (const QString &name : names) {
        t.Append();
        t.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(++no);
        t.FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(name);
        t.Post();
    }
}

// Moves the member cursor to the row with `name`, as a click in the list does.
void goTo(const QString &name)
{
    for (members()->First(); !members()->Eof(); members()->Next())
        if (field("AdiSoyadi")->AsString() == name)
            return;
    QFAIL(qPrintable(name));
}

void openRegistration()
{
    UyeKayitForm1->show();
    QApplication::setActiveWindow(UyeKayitForm1);
}

// Replaces an editor's text as the operator does: select all, type.
void retype(TDBEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

int tabIndex(const QString &caption)
{
    QTabBar *tabs = child<QTabBar>(UyeListForm1, "TabSet1");
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == caption)
            return i;
    return -1;
}

void chooseTab(const QString &caption) { child<QTabBar>(UyeListForm1, "TabSet1")->setCurrentIndex(tabIndex(caption)); }

// Clicks a tab of the strip as the operator does, with the mouse.
void clickTab(const QString &caption)
{
    QTabBar *tabs = child<QTabBar>(UyeListForm1, "TabSet1");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tabIndex(caption)).center());
}

// "Üye 01", "Üye 02", ...: members enough for several pages of the list.
QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("Üye %1").arg(i, 2, 10, QLatin1Char('0'));
    return names;
}

void copyTemplate(const char *name)
{
    QFile::remove(QLatin1String(name));
    QVERIFY(QFile::copy(QStringLiteral(":/templates/") + QLatin1String(name), QLatin1String(name)));
    QFile(QLatin1String(name)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

class TestMemberWindows : public QObject, public ProgramSession {
    Q_OBJECT

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const auto &box : m_ui->boxes)
            texts << box.text;
        return texts;
    }

private slots:
    void init() { QVERIFY(beginSession()); }
    void cleanup() { endSession(); }

    // ------------------------------------------------------------ registration window

    void registrationLayoutAndTabOrder()
    {
        startUp();
        QWidget *w = UyeKayitForm1;
        QCOMPARE(w->windowTitle(), QStringLiteral("Üye Kayıt Formu"));
        QCOMPARE(w->size(), QSize(483, 412));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QStringList buttons;
        for (const char *name : {"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton7", "ToolButton9"}) {
            const auto *b = child<QToolButton>(w, name);
            buttons << b->text();
            QVERIFY(b->shortcut().isEmpty());
        }
        QCOMPARE(buttons, QStringList({" [F2] Kaydet ", "[F3] Vazgeç", "Sil", "Yazdır", "Kapat"}));
        QCOMPARE(child<QToolButton>(w, "ToolButton7")->menu()->actions().first()->text(), QStringLiteral("Düzenle"));
        QStringList photoMenu;
        for (const QAction *a : child<QMenu>(w, "PopupMenu2")->actions())
            photoMenu << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(photoMenu, QStringList({"Resim Ekle", "Resim Sil", "-", "Göster"}));
        QCOMPARE(child<TDBImage>(w, "DBImage1")->size(), QSize(105, 113));

        // Each page: its title, its labels in reading order, and the fields its
        // controls visit as Tab moves through them.
        auto *pages = child<QTabWidget>(w, "PageControl1");
        QCOMPARE(pages->tabPosition(), QTabWidget::South);
        const QList<QStringList> titles{
            {"Üye Bilgileri", "Kayit No:", "Mür. Tarihi:", "Resim", "Kimlik No:", "Adı Soyadı:", "Baba Adı:",
             "Ana Adı:", "Uyruğu:", "Kan Grubu:", "Doğ. Yeri:", "Doğ. Yılı:", "Ev", "İş", "Adres:", "Telefon:", "Gsm:"},
            {"Nüfus Hüviyet Bilgileri", "Vilayeti/İli:", "Kazası/İlçesi:", "Nahiyesi:", "Mahalle:", "Sokak:", "Ev No:",
             "Sayfa No:", "Cilt No:", "Medeni Hali:", "Referans:"},
            {"Aidat Bilgileri", "Aidat Tarihi:", "Aidat:", "Alınan:", "Kalan:", "Not"}};
        const QList<QStringList> tabOrder{
            {"KayitNo", "Tarih", "KimlikNo", "AdiSoyadi", "BabaAdi", "AnaAdi", "Uyrugu", "Dyeri", "Dyili",
             "EvAdresi", "IsAdresi", "EvTel", "IsTel", "Gsm", "Resim", "KanGrubu"},
            {"Vilayet", "Kazasi", "Nahiyesi", "Mahalle", "Sokak", "EvNo", "SayfaNo", "CiltNo", "MedeniHali",
             "Referans"},
            {"AidatTar", "Aidat", "Alinan", "Kalan", "Not"}};
        for (int p = 0; p < pages->count(); ++p) {
            QWidget *page = pages->widget(p);
            QList<QLabel *> labels;
            for (QLabel *l : page->findChildren<QLabel *>())
                if (!l->isHidden())
                    labels << l;
            std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) {
                return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
            });
            QStringList texts{pages->tabText(p)};
            for (QLabel *l : labels) {
                texts << l->text();
                QVERIFY(l->font().bold());
            }
            QCOMPARE(texts, titles[p]);

            QStringList order;
            QWidget *first = page->findChildren<QWidget *>().first();
            for (QWidget *x = first->nextInFocusChain(); x != first; x = x->nextInFocusChain())
                if (x->parentWidget() == page && (x->focusPolicy() & Qt::TabFocus)
                    && x->property("DataField").isValid())
                    order << x->property("DataField").toString();
            order.removeDuplicates();
            QCOMPARE(order, tabOrder[p]);
        }
        QStringList blood;
        for (int i = 0; i < child<TDBComboBox>(w, "DBComboBox1")->count(); ++i)
            blood << child<TDBComboBox>(w, "DBComboBox1")->itemText(i);
        QCOMPARE(blood, QStringList({"A rh (+)", "A rh (-)", "B rh (+)", "B rh (-)", "0 rh (+)", "0 rh (-)",
                                     "AB rh (+)", "AB rh (-)"}));
        QCOMPARE(child<TDBComboBox>(w, "DBComboBox2")->itemText(1), QStringLiteral("Evli"));
        QVERIFY(child<TDBEdit>(w, "DBEdit22")->isReadOnly()); // Kalan
        QVERIFY(child<QWidget>(w, "DBGrid1")->isHidden());   // the dues history
        QVERIFY(!UyeKayitForm1->Table2->Active());
    }

    void lookupListsOfferThePlaceTables()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali"}); });
        auto *provinces = child<TDBLookupComboBox>(UyeKayitForm1, "DBLookupComboBox1");
        QCOMPARE(provinces->count(), 81);
        goTo("Ali");
        openRegistration();
        provinces->setCurrentIndex(provinces->findText(QStringLiteral("İzmir")));
        emit provinces->activated(provinces->currentIndex());
        QCOMPARE(members()->State(), dsEdit);
        QCOMPARE(field("Vilayet")->AsString(), QStringLiteral("İzmir"));
    }

    void captionFollowsEveryKeyAndEveryRow()
    {
        startUp([](TTable &t) { seedMembers(t, {"Veli", ""}); });
        goTo("Veli");
        openRegistration();
        QCOMPARE(UyeKayitForm1->windowTitle(), QStringLiteral("Üye Adı Soyadı : [Veli]"));
        auto *name = child<TDBEdit>(UyeKayitForm1, "DBEdit3");
        name->setFocus();
        name->end(false);
        QString expected = QStringLiteral("Veli");
        for (const QChar c : QStringLiteral(" Can")) {
            QTest::keyClick(name, c.toLatin1());
            expected += c;
            QCOMPARE(UyeKayitForm1->windowTitle(), QStringLiteral("Üye Adı Soyadı : [%1]").arg(expected));
        }
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(UyeKayitForm1->windowTitle(), QStringLiteral("Üye Adı Soyadı : [Veli Ca]"));
        // The cursor moved by someone else (the list): the caption follows.
        UyeKayitForm1->Table1->Cancel();
        members()->Last();
        QCOMPARE(UyeKayitForm1->windowTitle(), QStringLiteral("Üye Adı Soyadı : []"));
    }

    void kalanShowsAsSoonAsTheDuesReachTheirFields()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali"}); });
        goTo("Ali");
        openRegistration();
        child<QTabWidget>(UyeKayitForm1, "PageControl1")->setCurrentIndex(2);
        auto *aidat = child<TDBEdit>(UyeKayitForm1, "DBEdit20");
        auto *kalan = child<TDBEdit>(UyeKayitForm1, "DBEdit22");
        retype(aidat, QStringLiteral("250"));
        QTest::keyClick(aidat, Qt::Key_Tab); // on to "Alınan"
        QCOMPARE(kalan->text(), formatCurrency(250));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("100"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(kalan->text(), formatCurrency(150));
        QCOMPARE(field("Kalan")->AsFloat(), 150.0);
        QCOMPARE(members()->State(), dsEdit); // nothing saved yet
        click(UyeKayitForm1, "ToolButton1");
        QVERIFY(!UyeKayitForm1->isVisible());
        QCOMPARE(field("Alinan")->AsFloat(), 100.0);
        QCOMPARE(field("Kalan")->AsFloat(), 150.0);
    }

    void closingDropsEveryPendingChange_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("[F3] Vazgeç") << "ToolButton2";
        QTest::newRow("Kapat") << "ToolButton9";
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("window's close button") << "close";
    }

    void closingDropsEveryPendingChange()
    {
        QFETCH(QString, how);
        const QByteArray photo = pictureBytes(Qt::red);
        startUp([&](TTable &t) {
            seedMembers(t, {"Ayşe"});
            t.Edit();
            t.FieldByName(QStringLiteral("Tarih"))->setValue(QDate(2020, 5, 6));
            static_cast<TBlobField *>(t.FieldByName(QStringLiteral("Resim")))->setAsBytes(photo);
            t.Post();
        });
        goTo("Ayşe");
        openRegistration();
        retype(child<TDBEdit>(UyeKayitForm1, "DBEdit3"), QStringLiteral("Fatma"));
        m_ui->fileNames << writeFile(QStringLiteral("yeni.jpg"), pictureBytes(Qt::blue));
        child<QAction>(UyeKayitForm1, "ResimEkle1")->trigger();
        for (const char *button : {"SpeedButton1", "SpeedButton2"}) {
            m_ui->modalActions << [](QDialog *) {
                Takvim1->MonthCalendar1->setSelectedDate(QDate(2024, 2, 29));
            };
            click(UyeKayitForm1, button);
        }
        QCOMPARE(field("Tarih")->Value().toDate(), QDate(2024, 2, 29));
        QCOMPARE(field("AidatTar")->Value().toDate(), QDate(2024, 2, 29));
        QVERIFY(child<TDBImage>(UyeKayitForm1, "DBImage1")->PictureData() != photo);
        QVERIFY(m_ui->errors().isEmpty());

        // "Vazgeç" is itself the answer; every other way asks, answered "Hayır".
        const bool asks = how != QLatin1String("ToolButton2");
        if (asks)
            m_ui->answers << QMessageBox::No;
        if (how == QLatin1String("Esc"))
            QTest::keyClick(UyeKayitForm1, Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            UyeKayitForm1->close();
        else
            click(UyeKayitForm1, qPrintable(how));
        QCOMPARE(boxTexts(), asks ? QStringList({kSaveChanges}) : QStringList());
        QVERIFY(!UyeKayitForm1->isVisible());
        QCOMPARE(members()->State(), dsBrowse);
        QCOMPARE(field("AdiSoyadi")->AsString(), QStringLiteral("Ayşe"));
        QCOMPARE(field("Tarih")->Value().toDate(), QDate(2020, 5, 6));
        QVERIFY(field("AidatTar")->IsNull());
        QCOMPARE(child<TDBImage>(UyeKayitForm1, "DBImage1")->PictureData(), photo);
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Ayşe"));
        QCOMPARE(storedNames(), QStringList({"Ayşe"}));
    }

    void saveOutcomes_data()
    {
        QTest::addColumn<QString>("number");  // typed over the registration number, or empty
        QTest::addColumn<QString>("date");    // typed into the application date, or empty
        QTest::addColumn<bool>("touch");      // the name is retyped
        QTest::addColumn<QString>("error");   // part of the error shown, empty for none
        QTest::newRow("only browsed: closes") << "" << "" << false << "";
        QTest::newRow("changed: stored") << "" << "" << true << "";
        QTest::newRow("number taken: refused") << "1" << "" << true << "Anahtar ihlali";
        QTest::newRow("31.02.2024: refused") << "" << "31022024" << true << "31.02.2024";
    }

    void saveOutcomes()
    {
        QFETCH(QString, number);
        QFETCH(QString, date);
        QFETCH(bool, touch);
        QFETCH(QString, error);
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Veli"}); });
        goTo("Veli");
        openRegistration();
        if (touch)
            retype(child<TDBEdit>(UyeKayitForm1, "DBEdit3"), QStringLiteral("Veli Can"));
        if (!number.isEmpty())
            retype(child<TDBEdit>(UyeKayitForm1, "DBEdit1"), number);
        if (!date.isEmpty())
            retype(child<TDBEdit>(UyeKayitForm1, "DBEdit2"), date);
        click(UyeKayitForm1, "ToolButton1");
        if (error.isEmpty()) {
            QVERIFY2(m_ui->errors().isEmpty(), qPrintable(m_ui->errors().join('\n')));
            QVERIFY(!UyeKayitForm1->isVisible());
            QCOMPARE(storedNames(), QStringList({"Ali", touch ? "Veli Can" : "Veli"}));
            return;
        }
        QCOMPARE(m_ui->errors().size(), 1);
        QVERIFY2(m_ui->errors()[0].contains(error), qPrintable(m_ui->errors()[0]));
        // The window stays open on the row still being edited; nothing stored changed.
        QVERIFY(UyeKayitForm1->isVisible());
        QCOMPARE(members()->State(), dsEdit);
        QCOMPARE(storedNames(), QStringList({"Ali", "Veli"}));
    }

    void deleteOutcomes_data()
    {
        QTest::addColumn<QStringList>("seed");
        QTest::addColumn<bool>("newRow");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("current"); // name on screen afterwards
        QTest::addColumn<bool>("announced");
        QTest::addColumn<bool>("refused");
        const QStringList three{"Ali", "Veli", "Zeki"};
        QTest::newRow("yes") << three << false << QMessageBox::Yes << QStringList{"Ali", "Zeki"} << "Zeki" << true
                             << false;
        QTest::newRow("no") << three << false << QMessageBox::No << three << "Veli" << false << false;
        QTest::newRow("new unsaved row: dropped") << three << true << QMessageBox::Yes << three << "Zeki" << false
                                                  << false;
        QTest::newRow("empty table: refused") << QStringList() << false << QMessageBox::Yes << QStringList() << ""
                                              << false << true;
    }

    void deleteOutcomes()
    {
        QFETCH(QStringList, seed);
        QFETCH(bool, newRow);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, stored);
        QFETCH(QString, current);
        QFETCH(bool, announced);
        QFETCH(bool, refused);
        startUp([&](TTable &t) { seedMembers(t, seed); });
        if (newRow) {
            AnaMenu1->yeGirii1Click();
            QTest::keyClicks(child<TDBEdit>(UyeKayitForm1, "DBEdit3"), QStringLiteral("Yeni"));
        } else {
            if (!seed.isEmpty())
                goTo(QStringLiteral("Veli"));
            openRegistration();
        }
        m_ui->answers << answer;
        click(UyeKayitForm1, "ToolButton3");
        QCOMPARE(m_ui->boxes.first().title, QStringLiteral("Kayıt Silinecek?"));
        QCOMPARE(m_ui->boxes.first().text, QStringLiteral("Silmek istediğinize eminmisiniz?"));
        QCOMPARE(m_ui->boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(boxTexts().contains(QStringLiteral("Kayıt Silinidi!")), announced);
        QCOMPARE(m_ui->errors().size(), refused ? 1 : 0);
        QCOMPARE(storedNames(), stored);
        QVERIFY(UyeKayitForm1->isVisible());
        QCOMPARE(members()->State(), dsBrowse);
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), current);
    }

    void addingAPhoto_data()
    {
        QTest::addColumn<QString>("file"); // what the dialog hands back
        QTest::addColumn<QString>("message");
        QTest::newRow("picture") << "yeni.jpg" << "";
        QTest::newRow("dialog cancelled") << "" << "Resim Seçilmedi!";
        QTest::newRow("not a picture") << "notlar.jpg" << "okunabilen bir resim dosyası değil";
        QTest::newRow("empty file") << "bos.jpg" << "okunabilen bir resim dosyası değil";
        QTest::newRow("file gone") << "yok.jpg" << "okunabilen bir resim dosyası değil";
    }

    void addingAPhoto()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        const QByteArray first = pictureBytes(Qt::red);
        const QByteArray picked = pictureBytes(Qt::green);
        startUp([](TTable &t) { seedMembers(t, {"Ali"}); });
        goTo("Ali");
        openRegistration();
        // An earlier use of the dialog chose a picture that was saved; the
        // file has been changed on disk since.
        const QString earlier = writeFile(QStringLiteral("eski.jpg"), first);
        m_ui->fileNames << earlier;
        emit child<TDBImage>(UyeKayitForm1, "DBImage1")->doubleClicked();
        click(UyeKayitForm1, "ToolButton1");
        writeFile(QStringLiteral("eski.jpg"), picked);
        writeFile(QStringLiteral("yeni.jpg"), picked);
        writeFile(QStringLiteral("notlar.jpg"), "Bu bir resim değil");
        writeFile(QStringLiteral("bos.jpg"), QByteArray());
        m_ui->boxes.clear();

        openRegistration();
        m_ui->fileNames << (file.isEmpty() ? QString() : QDir::current().filePath(file));
        child<QAction>(UyeKayitForm1, "ResimEkle1")->trigger();
        QCOMPARE(members()->State(), dsEdit);
        const auto *image = child<TDBImage>(UyeKayitForm1, "DBImage1");
        if (message.isEmpty()) {
            QVERIFY(m_ui->boxes.isEmpty());
            QCOMPARE(image->PictureData(), picked); // shown at once, before saving
        } else {
            QCOMPARE(m_ui->boxes.size(), 1);
            QCOMPARE(m_ui->boxes[0].title, QStringLiteral("Dikkat"));
            QCOMPARE(m_ui->boxes[0].icon, QMessageBox::Critical);
            QCOMPARE(m_ui->boxes[0].buttons, QMessageBox::Ok);
            QVERIFY2(m_ui->boxes[0].text.contains(message), qPrintable(m_ui->boxes[0].text));
            QCOMPARE(image->PictureData(), first);
        }
        click(UyeKayitForm1, "ToolButton1");
        TTable stored;
        stored.TableName = QStringLiteral("Uye.db");
        stored.Open();
        QCOMPARE(static_cast<TBlobField *>(stored.FieldByName(QStringLiteral("Resim")))->AsBytes(),
                 message.isEmpty() ? picked : first);
    }

    void removingAPhotoIsPartOfThePendingEdit()
    {
        const QByteArray photo = pictureBytes(Qt::red, 64, 48);
        startUp([&](TTable &t) {
            seedMembers(t, {"Ali"});
            t.Edit();
            static_cast<TBlobField *>(t.FieldByName(QStringLiteral("Resim")))->setAsBytes(photo);
            t.Post();
        });
        goTo("Ali");
        openRegistration();
        auto *image = child<TDBImage>(UyeKayitForm1, "DBImage1");

        // "Göster" hands the photo to the viewer, shown modally.
        m_ui->modalActions << [](QDialog *) { QCOMPARE(Resim1->Image1->pixmap().size(), QSize(64, 48)); };
        child<QAction>(UyeKayitForm1, "Gster1")->trigger();
        QCOMPARE(m_ui->modalShown, QList<QDialog *>({Resim1}));

        // Removing from a browsed row starts the edit; cancelling brings it back.
        child<QAction>(UyeKayitForm1, "ResimSil1")->trigger();
        QVERIFY(m_ui->errors().isEmpty());
        QCOMPARE(members()->State(), dsEdit);
        QVERIFY(image->PictureData().isEmpty());
        click(UyeKayitForm1, "ToolButton2");
        QCOMPARE(image->PictureData(), photo);

        openRegistration();
        child<QAction>(UyeKayitForm1, "ResimSil1")->trigger();
        click(UyeKayitForm1, "ToolButton1");
        QVERIFY(m_ui->errors().isEmpty());
        QVERIFY(field("Resim")->IsNull());
    }

    void f2SavesAndF3Cancels()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Veli"}); });
        goTo("Veli");
        openRegistration();
        auto *name = child<TDBEdit>(UyeKayitForm1, "DBEdit3");
        retype(name, QStringLiteral("Veli Can"));
        QTest::keyClick(name, Qt::Key_F2);
        QVERIFY(!UyeKayitForm1->isVisible());
        QCOMPARE(storedNames(), QStringList({"Ali", "Veli Can"}));

        openRegistration();
        auto *phone = child<TDBEdit>(UyeKayitForm1, "DBEdit12");
        retype(phone, QStringLiteral("0555"));
        QTest::keyClick(phone, Qt::Key_F3);
        QVERIFY(!UyeKayitForm1->isVisible());
        QVERIFY(m_ui->boxes.isEmpty()); // cancelling asks nothing
        QCOMPARE(members()->State(), dsBrowse);
        QVERIFY(field("Gsm")->IsNull());
    }

    void closingWithUnsavedChangesAsks_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("refused"); // the row holds a number in use
        // Rows that keep the program running come first: ending it cannot be undone.
        for (const char *how : {"Kapat", "Esc", "close", "Çıkış", "main window"}) {
            const QString way = QString::fromUtf8(how);
            QTest::addRow("%s, Vazgeç", how) << way << QMessageBox::Cancel << false;
            QTest::addRow("%s, Evet refused", how) << way << QMessageBox::Yes << true;
        }
        for (const char *how : {"Kapat", "Esc", "close", "Çıkış", "main window"}) {
            const QString way = QString::fromUtf8(how);
            QTest::addRow("%s, Evet", how) << way << QMessageBox::Yes << false;
            QTest::addRow("%s, Hayır", how) << way << QMessageBox::No << false;
        }
    }

    void closingWithUnsavedChangesAsks()
    {
        QFETCH(QString, how);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, refused);
        const bool ending = how == QStringLiteral("Çıkış") || how == QLatin1String("main window");
        const bool stays = answer == QMessageBox::Cancel || refused;
        if (ending && stays)
            QVERIFY(!app()->Terminated());
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Veli"}); });
        goTo("Veli");
        AnaMenu1->show();
        openRegistration();
        auto *name = child<TDBEdit>(UyeKayitForm1, "DBEdit3");
        retype(name, QStringLiteral("Veli Can"));
        if (refused)
            retype(child<TDBEdit>(UyeKayitForm1, "DBEdit1"), QStringLiteral("1"));
        m_ui->answers << answer;
        if (how == QLatin1String("Kapat")) {
            click(UyeKayitForm1, "ToolButton9");
        } else if (how == QLatin1String("Esc")) {
            // In an editor the first Esc takes back its own unwritten text;
            // from the next field it closes the window.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        } else if (how == QLatin1String("close")) {
            UyeKayitForm1->close();
        } else if (how == QStringLiteral("Çıkış")) {
            AnaMenu1->findChild<QAction *>(QStringLiteral("k1"))->trigger();
        } else {
            AnaMenu1->close();
        }

        QVERIFY(!m_ui->boxes.isEmpty());
        QCOMPARE(m_ui->boxes.first().text, kSaveChanges);
        QCOMPARE(m_ui->boxes.first().icon, QMessageBox::Question);
        QCOMPARE(m_ui->boxes.first().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(m_ui->errors().size(), refused ? 1 : 0);
        if (stays) {
            // Everything typed is still there, being edited.
            QVERIFY(UyeKayitForm1->isVisible());
            QCOMPARE(members()->State(), dsEdit);
            QCOMPARE(name->text(), QStringLiteral("Veli Can"));
            QCOMPARE(storedNames(), QStringList({"Ali", "Veli"}));
            if (ending)
                QVERIFY(!app()->Terminated());
            return;
        }
        if (!ending)
            QVERIFY(!UyeKayitForm1->isVisible());
        QCOMPARE(members()->State(), dsBrowse);
        QCOMPARE(storedNames(), QStringList({"Ali", answer == QMessageBox::Yes ? "Veli Can" : "Veli"}));
        if (ending)
            QVERIFY(app()->Terminated());
    }

    void closingWithoutChangesAsksNothing()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali"}); });
        goTo("Ali");
        openRegistration();
        click(UyeKayitForm1, "ToolButton9");
        AnaMenu1->yeGirii1Click(); // a new row with only its defaults
        QTest::keyClick(UyeKayitForm1, Qt::Key_Escape);
        QVERIFY(!UyeKayitForm1->isVisible());
        QVERIFY(m_ui->boxes.isEmpty());
        QCOMPARE(storedNames(), QStringList({"Ali"}));
    }

    void unprintableCharacterKeepsTheRowEditing_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");     // typed after the ASCII "x"
        QTest::addColumn<QString>("way");      // how the row is posted
        QTest::addColumn<QString>("message");  // empty: accepted
        QTest::newRow("Azerbaijani schwa, F2") << "DBEdit3" << QStringLiteral("Əliyev") << "F2"
                                               << QStringLiteral("Adı Soyadı alanında yazdırılamayan karakter: Ə");
        QTest::newRow("Cyrillic, Kaydet") << "DBEdit11" << QStringLiteral("жк") << "Kaydet"
                                          << QStringLiteral("İş Telefonu alanında yazdırılamayan karakter: ж");
        QTest::newRow("emoji on the second page, Kapat then Evet")
            << "DBEdit18" << QStringLiteral("ok 😀") << "Kapat"
            << QStringLiteral("Referans alanında yazdırılamayan karakter: 😀");
        QTest::newRow("invisible character, new member") << "DBEdit23" << QStringLiteral("a\u200Bb") << "new"
                                                         << QStringLiteral("Not alanında yazdırılamayan karakter: U+200B");
        QTest::newRow("Turkish letters and the euro sign") << "DBEdit23" << QStringLiteral("€ ğüşıöçİ") << "F2"
                                                           << QString();
    }

    void unprintableCharacterKeepsTheRowEditing()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, way);
        QFETCH(QString, message);
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Veli"}); });
        goTo("Veli");
        openRegistration();
        auto *edit = child<TDBEdit>(UyeKayitForm1, qPrintable(control));
        auto *pages = child<QTabWidget>(UyeKayitForm1, "PageControl1");
        pages->setCurrentWidget(edit->parentWidget());
        retype(edit, QStringLiteral("x"));
        // Letters no keyboard here has arrive as an input method hands them over.
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(edit, &commit);
        const QString typed = QStringLiteral("x") + text;
        QCOMPARE(edit->text(), typed);
        pages->setCurrentIndex(pages->currentIndex() == 0 ? 1 : 0); // the error brings the field back
        UyeKayitForm1->setFocus();

        if (way == QLatin1String("F2")) {
            QTest::keyClick(UyeKayitForm1, Qt::Key_F2);
        } else if (way == QLatin1String("Kaydet")) {
            click(UyeKayitForm1, "ToolButton1");
        } else if (way == QLatin1String("Kapat")) {
            m_ui->answers << QMessageBox::Yes;
            click(UyeKayitForm1, "ToolButton9");
        } else {
            // Moving to the last row posts the changed one.
            AnaMenu1->findChild<QAction *>(QStringLiteral("yeGirii1"))->trigger();
        }

        TTable stored;
        stored.TableName = QStringLiteral("Uye.db");
        stored.Open();
        stored.Last();
        const QString storedText = stored.FieldByName(edit->DataField())->AsString();
        if (message.isEmpty()) {
            QVERIFY2(m_ui->errors().isEmpty(), qPrintable(m_ui->errors().join('\n')));
            QVERIFY(!UyeKayitForm1->isVisible());
            QCOMPARE(storedText, typed);
            return;
        }
        QCOMPARE(m_ui->errors(), QStringList({message}));
        QVERIFY(UyeKayitForm1->isVisible());
        QCOMPARE(members()->State(), dsEdit);
        QCOMPARE(edit->text(), typed);
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), control == QLatin1String("DBEdit3") ? typed : "Veli");
        QCOMPARE(pages->currentWidget(), edit->parentWidget());
        QCOMPARE(QApplication::focusWidget(), edit);
        QVERIFY(storedText.isEmpty() || storedText == QLatin1String("Veli"));
        QCOMPARE(storedNames(), QStringList({"Ali", "Veli"}));

        // Corrected, it saves.
        retype(edit, QStringLiteral("duzeltildi"));
        click(UyeKayitForm1, "ToolButton1");
        QCOMPARE(m_ui->errors().size(), 1);
        QVERIFY(!UyeKayitForm1->isVisible());
    }

    void storedUnprintableCharactersStillShow()
    {
        // Rows written before the check (or by another program) open as they are.
        startUp([](TTable &t) { seedMembers(t, {"Əli Həsənov"}); });
        goTo(QStringLiteral("Əli Həsənov"));
        openRegistration();
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Əli Həsənov"));
        QCOMPARE(UyeKayitForm1->windowTitle(), QStringLiteral("Üye Adı Soyadı : [Əli Həsənov]"));
        AnaMenu1->yeBul1Click();
        QCOMPARE(visibleNames(), QStringList({"Əli Həsənov"}));
        click(UyeKayitForm1, "ToolButton9");
        QVERIFY(m_ui->boxes.isEmpty());
    }

    void calendarButtonRefusedWhileTheCalendarIsOpen()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali"}); });
        goTo("Ali");
        AnaMenu1->TakvimMenuClick();
        openRegistration();
        click(UyeKayitForm1, "SpeedButton1");
        QCOMPARE(m_ui->errors().size(), 1);
        QCOMPARE(members()->State(), dsBrowse);
        QVERIFY(field("Tarih")->IsNull());
    }

    // ------------------------------------------------------------ member list

    void listLayout()
    {
        startUp();
        QWidget *w = UyeListForm1;
        QCOMPARE(w->windowTitle(), QStringLiteral("Üye Liste Formu"));
        QCOMPARE(w->size(), QSize(641, 480));
        QVERIFY(w->minimumSize() != w->maximumSize());
        QCOMPARE(child<QToolButton>(w, "ToolButton1")->text(), QStringLiteral("  Bul "));
        QCOMPARE(child<QToolButton>(w, "ToolButton2")->text(), QStringLiteral("Yazdır"));
        QCOMPARE(child<QToolButton>(w, "ToolButton2")->menu()->actions().first()->text(), QStringLiteral("Düzenle"));
        QCOMPARE(child<QToolButton>(w, "ToolButton5")->text(), QStringLiteral("     Kapat     "));
        QCOMPARE(child<QLineEdit>(w, "Edit1")->width(), 198);
        auto *chooser = child<QComboBox>(w, "ComboBox1");
        QCOMPARE(chooser->width(), 87);
        QVERIFY(chooser->isEditable());
        QCOMPARE(chooser->currentText(), QStringLiteral("Adı Soyadı"));
        QStringList items;
        for (int i = 0; i < chooser->count(); ++i)
            items << chooser->itemText(i);
        QCOMPARE(items, QStringList({"Adı Soyadı", "Kimlik No", "Telefonu", "Kan Grubu", "Mahalle"}));

        QTabBar *tabs = child<QTabBar>(w, "TabSet1");
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i)
            captions << tabs->tabText(i);
        QCOMPARE(captions, QStringList({"Genel", "-", "123", "  a  ", "  b ", "  c ", "  ç ", "  d ", "  e ", "  f ",
                                        "  g ", "  h ", "  ı  ", "  i  ", "  j ", "  k ", "  l ", "  m ", "  n ",
                                        "  o ", "  ö ", "  p ", "  r ", "  s ", "  ş ", "  t ", "  u ", "  ü ",
                                        "  v ", "  y ", "  z "}));
        QCOMPARE(tabs->currentIndex(), 0);

        TDBGrid *grid = UyeListForm1->DBGrid1;
        QStringList columns;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            columns << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(columns, QStringList({"Kayıt No", "Tarih", "Adı Soyadı", "İş Telefonu", "Ev Telefonu", "Gsm",
                                       "Mahalle", "Kan Grubu"}));
        QVERIFY(grid->RowSelect());
        QVERIFY(grid->ReadOnly());
        QVERIFY(child<QStatusBar>(w, "StatusBar1"));
    }

    void letterTabsFilterTheSharedCursor_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("r") << "  r " << QStringList{"Rıza", "remzi"};
        QTest::newRow("dotless ı") << "  ı  " << QStringList{"Irmak", "ılgın"};
        QTest::newRow("dotted i") << "  i  " << QStringList{"İsmail", "ipek"};
        QTest::newRow("ç") << "  ç " << QStringList{"Çetin", "çiğdem"};
        QTest::newRow("z") << "  z " << QStringList{"Zeki"};
        QTest::newRow("no name") << "-" << QStringList{""};
        QTest::newRow("123") << "123" << QStringList{"1. Sınıf", "3 Kardeş"};
        QTest::newRow("c is not ç") << "  c " << QStringList{"Cem"};
    }

    void letterTabsFilterTheSharedCursor()
    {
        QFETCH(QString, tab);
        QFETCH(QStringList, names);
        startUp([](TTable &t) {
            seedMembers(t, {"Rıza", "Irmak", "İsmail", "remzi", "ılgın", "ipek", "Çetin", "çiğdem", "Cem", "Zeki",
                            "", "1. Sınıf", "3 Kardeş", "4 Yol", "Quentin", "walter", "Xavier"});
        });
        AnaMenu1->yeBul1Click();
        chooseTab(tab);
        QCOMPARE(visibleNames(), names);
        // The registration window sees the same rows.
        QCOMPARE(members()->RecordCount(), names.size());
        QCOMPARE(members()->RecNo(), 1);
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), names.first());
        chooseTab(QStringLiteral("Genel"));
        QCOMPARE(members()->RecordCount(), 17);
        QVERIFY(!members()->Filtered());
    }

    void qwxNamesShowOnlyUnderGenel()
    {
        startUp([](TTable &t) { seedMembers(t, {"Quentin", "walter", "Xavier", "Ali"}); });
        QTabBar *tabs = child<QTabBar>(UyeListForm1, "TabSet1");
        QStringList seen;
        for (int i = tabs->count() - 1; i >= 0; --i) {
            tabs->setCurrentIndex(i);
            if (i != 0)
                seen << visibleNames();
        }
        QCOMPARE(seen, QStringList({"Ali"}));
        QCOMPARE(visibleNames().size(), 4);
        QVERIFY(m_ui->errors().isEmpty());
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("item"); // picked in the chooser, -1 for none
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("name, any case") << "ah" << -1 << "[AdiSoyadi]='ah*'" << QStringList{"Ahmet", "ahu"};
        QTest::newRow("apostrophe") << "a'b" << -1 << "[AdiSoyadi]='a''b*'" << QStringList{"A'bdullah"};
        QTest::newRow("Turkish letters") << "şü" << -1 << "[AdiSoyadi]='şü*'" << QStringList{"Şükrü"};
        QTest::newRow("brackets") << "[x]" << -1 << "[AdiSoyadi]='[x]*'" << QStringList{"[X] Ltd"};
        QTest::newRow("star inside") << "a*" << -1 << "[AdiSoyadi]='a**'" << QStringList();
        QTest::newRow("empty: all with a name") << "" << -1 << "[AdiSoyadi]='*'"
                                                << QStringList{"A'bdullah", "Ahmet", "ahu", "Şükrü", "[X] Ltd"};
        QTest::newRow("identity number") << "123" << 1 << "[KimlikNo]='123*'" << QStringList{"Ahmet"};
        QTest::newRow("telephone: any of three") << "0532" << 2
                                                 << "[EvTel]='0532*' or [IsTel]='0532*' or [Gsm]='0532*'"
                                                 << QStringList{"Ahmet", "ahu", "Şükrü"};
        QTest::newRow("blood group") << "ab" << 3 << "[KanGrubu]='ab*'" << QStringList{"ahu"};
        QTest::newRow("neighbourhood") << "çarşı" << 4 << "[Mahalle]='çarşı*'" << QStringList{"Şükrü"};
        QTest::newRow("name picked") << "ah" << 0 << "[AdiSoyadi]='ah*'" << QStringList{"Ahmet", "ahu"};
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(int, item);
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        startUp([](TTable &t) {
            seedMembers(t, {"A'bdullah", "Ahmet", "ahu", "Şükrü", "[X] Ltd", ""});
            const auto set = [&](int no, const char *f, const QString &v) {
                t.setRecNo(no);
                t.Edit();
                t.FieldByName(QLatin1String(f))->setAsString(v);
                t.Post();
            };
            set(2, "KimlikNo", QStringLiteral("12345678901"));
            set(2, "EvTel", QStringLiteral("0532 111"));
            set(3, "Gsm", QStringLiteral("0532 222"));
            set(3, "KanGrubu", QStringLiteral("AB rh (+)"));
            set(4, "IsTel", QStringLiteral("0532 333"));
            set(4, "Mahalle", QStringLiteral("Çarşı"));
            set(5, "Gsm", QStringLiteral("0312 444"));
        });
        AnaMenu1->yeBul1Click();
        auto *chooser = child<QComboBox>(UyeListForm1, "ComboBox1");
        if (item >= 0) {
            chooser->setCurrentIndex(item);
            emit chooser->activated(item);
        }
        auto *edit = child<QLineEdit>(UyeListForm1, "Edit1");
        edit->setText(text);
        click(UyeListForm1, "ToolButton1");
        QVERIFY2(m_ui->errors().isEmpty(), qPrintable(m_ui->errors().join('\n')));
        QCOMPARE(members()->Filter(), filter);
        QVERIFY(members()->Filtered());
        QCOMPARE(visibleNames(), names);
        QCOMPARE(child<QTabBar>(UyeListForm1, "TabSet1")->currentIndex(), 0); // the strip does not move
    }

    void enterSearchesAndTypedChooserTextSearchesTheName()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ahmet", "Bora"}); });
        AnaMenu1->yeBul1Click();
        auto *chooser = child<QComboBox>(UyeListForm1, "ComboBox1");
        chooser->setCurrentIndex(1);
        emit chooser->activated(1);
        QTest::keyClicks(chooser->lineEdit(), QStringLiteral("x")); // typed: no item chosen any more
        auto *edit = child<QLineEdit>(UyeListForm1, "Edit1");
        QTest::keyClicks(edit, QStringLiteral("bo"));
        QVERIFY(!members()->Filtered()); // typing alone does not search
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(members()->Filter(), QStringLiteral("[AdiSoyadi]='bo*'"));
        QCOMPARE(visibleNames(), QStringList({"Bora"}));
        QCOMPARE(edit->text(), QStringLiteral("bo"));
    }

    void newMemberAfterALetterTab()
    {
        // The largest number (Zeki's 3) is hidden by the tab, so numbering from
        // the view's last row (Ayşe's 2) would hand out 3 a second time.
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Ayşe", "Zeki"}); });
        AnaMenu1->yeBul1Click();
        chooseTab(QStringLiteral("  a  "));
        QCOMPARE(visibleNames(), QStringList({"Ali", "Ayşe"}));
        AnaMenu1->yeGirii1Click();
        QCOMPARE(field("KayitNo")->AsFloat(), 4.0); // after the largest in the table, not the view
        retype(child<TDBEdit>(UyeKayitForm1, "DBEdit3"), QStringLiteral("Mehmet"));
        click(UyeKayitForm1, "ToolButton1");
        QVERIFY(m_ui->errors().isEmpty());
        QCOMPARE(storedNames(), QStringList({"Ali", "Ayşe", "Zeki", "Mehmet"}));
        QCOMPARE(visibleNames(), QStringList({"Ali", "Ayşe"})); // saved, but not a name under "a"
    }

    void closingTheListKeepsTheFilter()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Zeki"}); });
        AnaMenu1->yeBul1Click();
        chooseTab(QStringLiteral("  z "));
        child<QLineEdit>(UyeListForm1, "Edit1")->setText(QStringLiteral("ze"));
        click(UyeListForm1, "ToolButton5");
        QVERIFY(!UyeListForm1->isVisible());
        QVERIFY(members()->Filtered());
        QCOMPARE(members()->RecordCount(), 1);
        openRegistration();
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Zeki"));
        UyeKayitForm1->close();
        AnaMenu1->yeBul1Click();
        QCOMPARE(child<QTabBar>(UyeListForm1, "TabSet1")->currentIndex(), tabIndex(QStringLiteral("  z ")));
        QCOMPARE(child<QLineEdit>(UyeListForm1, "Edit1")->text(), QStringLiteral("ze"));
    }

    void refusedSettleKeepsTheTabAndTheFilter()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Zeki"}); });
        AnaMenu1->yeBul1Click();
        AnaMenu1->yeGirii1Click();
        retype(child<TDBEdit>(UyeKayitForm1, "DBEdit1"), QStringLiteral("1")); // a number in use
        chooseTab(QStringLiteral("  z "));
        QCOMPARE(m_ui->errors().size(), 1);
        QCOMPARE(child<QTabBar>(UyeListForm1, "TabSet1")->currentIndex(), 0);
        QVERIFY(!members()->Filtered());
        QCOMPARE(members()->State(), dsInsert);
    }

    void doubleClickOpensTheRegistrationOnTheRow()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Veli", "Zeki"}); });
        AnaMenu1->yeBul1Click();
        TDBGrid *grid = UyeListForm1->DBGrid1;
        grid->setCurrentIndex(grid->model()->index(1, 2));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->currentIndex()).center());
        QVERIFY(UyeKayitForm1->isVisible());
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Veli"));
        QCOMPARE(members()->State(), dsBrowse); // the grid edits nothing
    }

    // Every column shows its whole caption and a value as long as its field
    // holds, in whatever font the grid has.
    void listColumnsFitCaptionsAndFullValues_data()
    {
        QTest::addColumn<int>("pointSize"); // 0: the window's own font
        QTest::newRow("window font") << 0;
        QTest::newRow("large font") << 15;
    }
    void listColumnsFitCaptionsAndFullValues()
    {
        QFETCH(int, pointSize);
        startUp([](TTable &t) {
            seedMembers(t, {QStringLiteral("Muhammed Abdurrahman Şükrü Karaosmanoğlu Çelikkanatlı").left(50), "Ali"});
            t.First();
            t.Edit();
            t.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(1234567);
            t.FieldByName(QStringLiteral("Tarih"))->setAsString(QStringLiteral("28.12.2024"));
            for (const char *phone : {"IsTel", "EvTel", "Gsm"})
                t.FieldByName(QLatin1String(phone))->setAsString(QStringLiteral("0 (312) 555 12 34 99"));
            t.FieldByName(QStringLiteral("Mahalle"))->setAsString(QStringLiteral("Kızılcıklı Mahmut Paşa Mahalle"));
            t.FieldByName(QStringLiteral("KanGrubu"))->setAsString(QStringLiteral("AB rh (+)"));
            t.Post();
        });
        AnaMenu1->yeBul1Click();
        TDBGrid *grid = UyeListForm1->DBGrid1;
        if (pointSize > 0) {
            QFont font = grid->font();
            font.setPointSize(pointSize);
            grid->setFont(font);
            grid->horizontalHeader()->setFont(font);
        }
        QCOMPARE(grid->model()->index(1, 2).data().toString().size(), 50); // numbered after Ali now
        // What the view itself finds its rows need.
        const QAbstractItemView *view = grid;
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            const QString caption = grid->model()->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(view->sizeHintForColumn(c) <= grid->columnWidth(c),
                     qPrintable(QStringLiteral("%1: value needs %2, has %3")
                                    .arg(caption).arg(view->sizeHintForColumn(c)).arg(grid->columnWidth(c))));
            QVERIFY2(grid->horizontalHeader()->sectionSizeHint(c) <= grid->columnWidth(c),
                     qPrintable(QStringLiteral("%1: caption needs %2, has %3")
                                    .arg(caption).arg(grid->horizontalHeader()->sectionSizeHint(c))
                                    .arg(grid->columnWidth(c))));
        }
    }

    // A move tells the grid about the row left and the row reached, never
    // about every row: that made a walk over the records cost the square
    // of their number.
    void aMoveRepaintsOnlyTheTwoRows()
    {
        startUp([](TTable &t) { seedMembers(t, numberedNames(40)); });
        AnaMenu1->yeBul1Click();
        TDBGrid *grid = UyeListForm1->DBGrid1;
        QAbstractItemModel *model = grid->model();
        QSignalSpy headers(model, &QAbstractItemModel::headerDataChanged);
        QSignalSpy cells(model, &QAbstractItemModel::dataChanged);
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        members()->setRecNo(10);
        QVERIFY(!headers.isEmpty());
        for (const QList<QVariant> &h : std::as_const(headers)) {
            QCOMPARE(h.at(1).toInt(), h.at(2).toInt());
            QVERIFY2(h.at(1).toInt() == 0 || h.at(1).toInt() == 9, qPrintable(h.at(1).toString()));
        }
        for (const QList<QVariant> &d : std::as_const(cells)) {
            const int row = d.at(0).toModelIndex().row();
            QCOMPARE(d.at(1).toModelIndex().row(), row);
            QVERIFY(row == 0 || row == 9);
        }
        QCOMPARE(resets.count(), 0);
        QCOMPARE(grid->currentIndex().row(), 9);
        QCOMPARE(model->headerData(9, Qt::Vertical).toString(), QStringLiteral("▶"));
        QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QString());

        // A changed record is still repainted wherever it lands.
        cells.clear();
        members()->Edit();
        field("AdiSoyadi")->setAsString(QStringLiteral("Değişti"));
        members()->Post();
        QVERIFY(std::any_of(cells.cbegin(), cells.cend(), [](const QList<QVariant> &d) {
            return d.at(0).toModelIndex().row() <= 9 && d.at(1).toModelIndex().row() >= 9;
        }));
        QCOMPARE(model->index(9, 2).data().toString(), QStringLiteral("Değişti"));
    }

    // After a search the letter strip has not moved; clicking the tab that
    // is already chosen takes the search away.
    void chosenTabClickedAfterASearch_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("Genel") << "Genel" << QStringList{"Ahmet", "Bora", "ahu", "Zeki"};
        QTest::newRow("a letter") << "  a  " << QStringList{"Ahmet", "ahu"};
    }
    void chosenTabClickedAfterASearch()
    {
        QFETCH(QString, tab);
        QFETCH(QStringList, names);
        startUp([](TTable &t) { seedMembers(t, {"Ahmet", "Bora", "ahu", "Zeki"}); });
        AnaMenu1->yeBul1Click();
        clickTab(tab);
        QCOMPARE(visibleNames(), names);
        child<QLineEdit>(UyeListForm1, "Edit1")->setText(QStringLiteral("ze"));
        click(UyeListForm1, "ToolButton1");
        QCOMPARE(visibleNames(), QStringList{"Zeki"});
        clickTab(tab);
        QCOMPARE(visibleNames(), names);
        QCOMPARE(members()->Filtered(), tab != QLatin1String("Genel"));
        QVERIFY(m_ui->errors().isEmpty());
    }

    // The walk of a print leaves the windows alone: they hear of it once, at
    // its end, and show the operator's member again, not the last one.
    void printingLeavesTheWindowsOnTheOperatorsRow()
    {
        startUp([](TTable &t) { seedMembers(t, numberedNames(90)); });
        copyTemplate("UyeList.qpf");
        AnaMenu1->yeBul1Click();
        openRegistration();
        TDBGrid *grid = UyeListForm1->DBGrid1;
        grid->setCurrentIndex(grid->model()->index(4, 2));
        QCOMPARE(members()->RecNo(), 5);
        QSignalSpy heard(UyeKayitForm1->DataSource1, &TDataSource::dataChanged);
        int pages = 0;
        bool disabledDuringPreview = true;
        m_ui->modalActions << [](QDialog *) {} << [&](QDialog *dialog) {
            pages = qobject_cast<TqpPreviewForm *>(dialog)->Pages()->GetCount();
            disabledDuringPreview = members()->ControlsDisabled();
        };
        click(UyeListForm1, "ToolButton2");
        QVERIFY2(m_ui->errors().isEmpty(), qPrintable(m_ui->errors().join('\n')));
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages))); // every member walked
        QVERIFY(!disabledDuringPreview);
        QCOMPARE(heard.count(), 1);
        QCOMPARE(members()->RecNo(), 5);
        QCOMPARE(grid->currentIndex().row(), 4);
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Üye 05"));
        // And the windows follow the cursor again.
        members()->Next();
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Üye 06"));
        QCOMPARE(grid->currentIndex().row(), 5);
    }

    // However the build ends, the windows get their controls and their row back.
    void printThatFailsOrStopsGivesTheWindowsBack_data()
    {
        QTest::addColumn<bool>("badField");
        QTest::addColumn<bool>("twoPasses");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("error in a field") << true << false << false;
        QTest::newRow("cancelled") << false << false << true;
        QTest::newRow("cancelled while counting pages") << false << true << true;
    }
    void printThatFailsOrStopsGivesTheWindowsBack()
    {
        QFETCH(bool, badField);
        QFETCH(bool, twoPasses);
        QFETCH(bool, cancel);
        startUp([](TTable &t) { seedMembers(t, numberedNames(90)); });
        copyTemplate("UyeList.qpf");
        TqpReport *report = UyeKayitForm1->qpReport1;
        QVERIFY(report->LoadFromFile(QStringLiteral("UyeList.qpf")));
        report->DoublePassReport = twoPasses;
        if (badField) {
            int changed = 0;
            for (int i = 0; i < report->Pages.GetCount(); ++i)
                for (TqpView *v : std::as_const(report->Pages.GetPages(i)->Items))
                    if (auto *memo = dynamic_cast<TqpMemoView *>(v); memo && memo->Memo.join(' ').contains("AdiSoyadi")) {
                        memo->Memo = QStringList{QStringLiteral("[Bilinmeyen]")};
                        ++changed;
                    }
            QVERIFY(changed > 0);
        }
        report->SaveToFile(QStringLiteral("UyeList.qpf"));
        int stoppedAt = 0;
        if (cancel)
            report->OnProgress = [report, &stoppedAt](int page) {
                // The second page: the walk is under way.
                if (page >= 2 && !report->Terminated) {
                    report->Terminated = true;
                    stoppedAt = UyeKayitForm1->Table1->RecNo();
                }
            };
        AnaMenu1->yeBul1Click();
        openRegistration();
        members()->setRecNo(5);
        click(UyeListForm1, "ToolButton2");
        if (badField)
            QVERIFY(!m_ui->boxes.isEmpty());
        else
            QVERIFY2(stoppedAt > 5, qPrintable(QString::number(stoppedAt)));
        QVERIFY(!members()->ControlsDisabled());
        QCOMPARE(members()->RecNo(), 5);
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Üye 05"));
        members()->Next();
        QCOMPARE(child<TDBEdit>(UyeKayitForm1, "DBEdit3")->text(), QStringLiteral("Üye 06"));
        QCOMPARE(UyeListForm1->DBGrid1->currentIndex().row(), 5);
    }

    // The list prints what the search left in the cursor; the member form
    // the current member; each through the preview.
    void printingFromBothWindows()
    {
        startUp([](TTable &t) { seedMembers(t, {"Ali Kaya", "Zeynep Şahin", "Zeki Demir"}); });
        for (const char *name : {"UyeForm.qpf", "UyeList.qpf"})
            QVERIFY(QFile::copy(QStringLiteral(":/templates/") + QLatin1String(name), QLatin1String(name)));
        child<QLineEdit>(UyeListForm1, "Edit1")->setText(QStringLiteral("Ze"));
        click(UyeListForm1, "ToolButton1");

        QStringList previewed;
        const auto capture = [&previewed](QDialog *dialog) {
            auto *preview = qobject_cast<TqpPreviewForm *>(dialog);
            QVERIFY2(preview, dialog->metaObject()->className());
            TqpEMFPages &pages = *preview->Pages();
            for (int i = 0; i < pages.GetCount(); ++i) {
                pages.ObjectsToPage(i);
                for (const TqpView *v : std::as_const(pages.GetPages(i).Page->Items))
                    previewed << v->Memo.join(QLatin1Char(' '));
            }
        };
        // The progress window first, then the preview.
        const auto progress = [](QDialog *dialog) { QVERIFY(dialog->inherits("TqpProgressForm")); };
        m_ui->modalActions << progress << capture;
        click(UyeListForm1, "ToolButton2");
        QVERIFY2(previewed.contains(QStringLiteral("Zeynep Şahin")), qPrintable(previewed.join(QLatin1Char('|'))));
        QVERIFY(previewed.contains(QStringLiteral("Zeki Demir")));
        QVERIFY(!previewed.contains(QStringLiteral("Ali Kaya")));
        QVERIFY(previewed.contains(QStringLiteral("Toplam üye sayısı: 2")));

        // Zeki Demir (3) paid dues in three years; Ali Kaya's year stays out.
        {
            TTable dues;
            dues.TableName = QStringLiteral("Aidat.db");
            dues.Open();
            for (const auto &[no, year] : {std::pair{3, "2021"}, {3, "2022"}, {3, "2023"}, {1, "2019"}}) {
                dues.Append();
                dues.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
                dues.FieldByName(QStringLiteral("Yil"))->setAsString(QLatin1String(year));
                dues.FieldByName(QStringLiteral("Aidat"))->setAsFloat(120);
                dues.Post();
            }
        }
        previewed.clear();
        goTo(QStringLiteral("Zeki Demir"));
        m_ui->modalActions << progress << capture;
        click(UyeKayitForm1, "ToolButton7");
        QVERIFY(previewed.contains(QStringLiteral("Zeki Demir")));
        QVERIFY(!previewed.contains(QStringLiteral("Zeynep Şahin")));
        QVERIFY(previewed.contains(QStringLiteral("ÜYE KAYIT FORMU")));
        for (const char *year : {"2021", "2022", "2023"})
            QVERIFY2(previewed.contains(QLatin1String(year)), qPrintable(previewed.join(QLatin1Char('|'))));
        QVERIFY(!previewed.contains(QStringLiteral("2019")));
        QVERIFY(previewed.contains(QStringLiteral("360,00 TL")));
        // The print opened the dues table and closed it again.
        QVERIFY(!UyeKayitForm1->Table2->Active());
        QVERIFY(m_ui->errors().isEmpty());
    }

    // A photo chosen in the registration window is stored as the file's
    // bytes, whatever its format; the member form prints it from the field.
    void memberPhotoPrintsOnTheForm_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("kind");
        QTest::newRow("camera JPEG") << QByteArray("JPEG") << int(gkJPEG);
        QTest::newRow("PNG") << QByteArray("PNG") << int(gkBitmap);
    }
    void memberPhotoPrintsOnTheForm()
    {
        QFETCH(QByteArray, format);
        QFETCH(int, kind);
        startUp([](TTable &t) { seedMembers(t, {"Ali Kaya"}); });
        QVERIFY(QFile::copy(QStringLiteral(":/templates/UyeForm.qpf"), QStringLiteral("UyeForm.qpf")));
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray photo;
        QBuffer buffer(&photo);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, format.constData()));
        goTo(QStringLiteral("Ali Kaya"));
        openRegistration();
        m_ui->fileNames << writeFile(QStringLiteral("foto.") + QString::fromLatin1(format).toLower(), photo);
        child<QAction>(UyeKayitForm1, "ResimEkle1")->trigger();
        click(UyeKayitForm1, "ToolButton1");
        QCOMPARE(static_cast<TBlobField *>(field("Resim"))->AsBytes(), photo);

        int printedKind = -1;
        QByteArray printed;
        QSize printedSize;
        const auto capture = [&](QDialog *dialog) {
            auto *preview = qobject_cast<TqpPreviewForm *>(dialog);
            QVERIFY2(preview, dialog->metaObject()->className());
            TqpEMFPages &pages = *preview->Pages();
            QCOMPARE(pages.GetCount(), 1);
            pages.ObjectsToPage(0);
            for (const TqpView *v : std::as_const(pages.GetPages(0).Page->Items))
                if (const auto *picture = dynamic_cast<const TqpPictureView *>(v)) {
                    printedKind = picture->Picture.Kind();
                    printed = picture->Picture.Data();
                    printedSize = picture->Picture.Size();
                }
        };
        m_ui->modalActions << [](QDialog *dialog) { QVERIFY(dialog->inherits("TqpProgressForm")); } << capture;
        click(UyeKayitForm1, "ToolButton7");
        QVERIFY2(m_ui->errors().isEmpty(), qPrintable(m_ui->errors().join(QLatin1Char('|'))));
        QCOMPARE(printedKind, kind);
        QCOMPARE(printed, photo);
        QCOMPARE(printedSize, QSize(64, 48));
    }

    // Without template files the operator is told which file is missing and
    // no empty preview opens; editing opens the designer on an empty report.
    void printingWithoutTemplates()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->filePath(QStringLiteral("config")));
        startUp([](TTable &t) { seedMembers(t, {"Ali"}); });
        click(UyeKayitForm1, "ToolButton7");
        click(UyeListForm1, "ToolButton2");
        QString designed;
        int objects = -1;
        m_ui->modalActions << [&](QDialog *d) {
            auto *designer = qobject_cast<TqpDesignerForm *>(d);
            QVERIFY(designer);
            designed = designer->CurDocName;
            objects = int(designer->State->Page()->Items.size());
            // Saving creates the missing file in the working folder.
            designer->SetModified(true);
            QVERIFY(designer->FileBtn3Click());
            designer->ExitBClick();
        };
        for (const QDialog *shown : std::as_const(m_ui->modalShown))
            QVERIFY(!shown->inherits("TqpPreviewForm"));
        // The designer window is gone once it returns.
        child<QAction>(UyeListForm1, "Dzenle1")->trigger();
        QCOMPARE(m_ui->boxes.size(), 2);
        QVERIFY2(m_ui->boxes.at(0).text.contains(QLatin1String("UyeForm.qpf")), qPrintable(m_ui->boxes.at(0).text));
        QVERIFY(m_ui->boxes.at(1).text.contains(QLatin1String("UyeList.qpf")));
        QCOMPARE(designed, QStringLiteral("UyeList.qpf"));
        QCOMPARE(objects, 0);
        QVERIFY(QFileInfo::exists(QDir::current().filePath(QStringLiteral("UyeList.qpf"))));
        QVERIFY(m_ui->errors().isEmpty());
    }

    // What the designer saves from "Düzenle" is what "Yazdır" prints next,
    // also after the other window's template was loaded in between.
    void editedTemplateIsWhatPrintsNext()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->filePath(QStringLiteral("config")));
        QVERIFY(QFile::copy(QStringLiteral(":/templates/UyeList.qpf"), m_dir->filePath(QStringLiteral("UyeList.qpf"))));
        QFile::setPermissions(m_dir->filePath(QStringLiteral("UyeList.qpf")), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        startUp([](TTable &t) { seedMembers(t, {"Ali", "Veli"}); });
        click(UyeKayitForm1, "ToolButton7"); // loads the other template first
        m_ui->boxes.clear();
        m_ui->modalActions << [](QDialog *d) {
            auto *designer = qobject_cast<TqpDesignerForm *>(d);
            QVERIFY(designer);
            QCOMPARE(designer->windowTitle(), QStringLiteral("Rapor düzenleyici - UyeList.qpf"));
            TqpMemoView *text = nullptr;
            for (TqpView *v : std::as_const(designer->State->Page()->Items))
                if (!text && v->Kind == vkText)
                    text = static_cast<TqpMemoView *>(v);
            QVERIFY(text);
            text->Memo = QStringList{QStringLiteral("Düzenlendi")};
            designer->SetModified(true);
            // Closing asks, and Yes saves.
            designer->ExitBClick();
        };
        m_ui->answers << QMessageBox::Yes;
        child<QAction>(UyeListForm1, "Dzenle1")->trigger();
        QCOMPARE(m_ui->boxes.size(), 1);
        QCOMPARE(m_ui->boxes.first().text, QStringLiteral("Degişiklikleri kaydet ya UyeList.qpf?"));

        QStringList printed;
        m_ui->modalActions << [](QDialog *dialog) { QVERIFY(dialog->inherits("TqpProgressForm")); }
                           << [&](QDialog *dialog) {
                                  auto *preview = qobject_cast<TqpPreviewForm *>(dialog);
                                  QVERIFY(preview);
                                  TqpEMFPages &pages = *preview->Pages();
                                  pages.ObjectsToPage(0);
                                  for (const TqpView *v : std::as_const(pages.GetPages(0).Page->Items))
                                      if (const auto *m = dynamic_cast<const TqpMemoView *>(v))
                                          printed << m->Memo;
                              };
        click(UyeListForm1, "ToolButton2");
        QVERIFY2(printed.contains(QStringLiteral("Düzenlendi")), qPrintable(printed.join(QLatin1Char('|'))));
        QVERIFY(m_ui->errors().isEmpty());
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestMemberWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_member_windows.moc"
