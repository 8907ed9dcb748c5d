// The data-aware widgets over real table files in a temporary folder: they
// follow the cursor, typing starts editing, typed text reaches the field
// when the record settles, masks and sizes limit typing, and every refusal
// reaches the error box.
#include "application.h"
#include "db_combo_box.h"
#include "db_edit.h"
#include "db_error.h"
#include "db_grid.h"
#include "db_image.h"
#include "db_lookup_combo_box.h"
#include "db_memo.h"
#include "db_navigator.h"
#include "edit_mask.h"
#include "member_store.h"
#include "scripted_ui.h"
#include "table.h"

#include <QBuffer>
#include <QDate>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

// A table of the register opened the way its window opens it.
struct Cursor {
    explicit Cursor(const QString &file)
    {
        table.TableName = file;
        MemberStore::ConfigureTable(table);
        table.setFilterOptions(foCaseInsensitive);
        table.Open();
        source.setDataSet(&table);
    }
    TTable table;
    TDataSource source;
};

void addMember(TDataSet &t, double no, const QString &name)
{
    t.Append();
    t.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
    t.FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(name);
    t.Post();
}

QByteArray png(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Opens the cell editor of the grid's current cell in `column` and types.
QLineEdit *typeIntoCell(TDBGrid &grid, int column, const QString &text)
{
    grid.setCurrentIndex(grid.model()->index(grid.currentIndex().row(), column));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // editors closed before
    grid.edit(grid.currentIndex());
    auto *editor = grid.findChild<QLineEdit *>();
    if (editor)
        QTest::keyClicks(editor, text);
    return editor;
}

} // namespace

class TestControls : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Zelvan")); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir::setCurrent(m_dir->path()));
        MemberStore::PrepareWorkingFolder(m_dir->path());
    }

    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    void masksInQtNotation_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("qt");
        QTest::newRow("date") << "!99/99/0000;1;_" << "00.00.9999;_";
        QTest::newRow("plate") << "00" << "99;_";
        QTest::newRow("none") << "" << "";
        QTest::newRow("letters") << ">LLl;0;*" << ">AAa;*";
        QTest::newRow("literals") << "(999) 000\\-0000;1;_" << "(000) 999-9999;_";
        QTest::newRow("escaped mask char") << "\\A00" << "\\A99;_";
    }

    void masksInQtNotation()
    {
        QFETCH(QString, mask);
        QFETCH(QString, qt);
        QCOMPARE(QtInputMask(mask), qt);
    }

    void editTypingStartsEditingAndSettlingWritesIt()
    {
        TScriptedUi ui;
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        addMember(m.table, 2, QStringLiteral("Veli"));
        m.table.First();
        TDBEdit edit;
        edit.setDataSource(&m.source);
        edit.setDataField(QStringLiteral("AdiSoyadi"));
        QCOMPARE(edit.text(), QStringLiteral("Ali"));
        QCOMPARE(edit.maxLength(), 50);

        QTest::keyClick(&edit, Qt::Key_End);
        QTest::keyClicks(&edit, QStringLiteral(" Can"));
        QCOMPARE(m.table.State(), dsEdit);
        QCOMPARE(m.table.FieldByName(QStringLiteral("AdiSoyadi"))->AsString(), QStringLiteral("Ali")); // still pending

        m.table.Next(); // settles: the typed text is written and posted
        QCOMPARE(edit.text(), QStringLiteral("Veli"));
        m.table.First();
        QCOMPARE(edit.text(), QStringLiteral("Ali Can"));
        QVERIFY(ui.errors().isEmpty());

        // Esc abandons typed text; the untouched record is then dropped, not posted.
        QTest::keyClicks(&edit, QStringLiteral("x"));
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(edit.text(), QStringLiteral("Ali Can"));
        m.table.Next();
        m.table.First();
        QCOMPARE(m.table.FieldByName(QStringLiteral("AdiSoyadi"))->AsString(), QStringLiteral("Ali Can"));
    }

    void editRefusalKeepsRecordEditing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::newRow("number") << "Uye.db" << "Dyili" << "19a5" << "geçerli bir sayı değil";
        QTest::newRow("date half typed") << "Uye.db" << "Tarih" << "1205" << "Geçersiz giriş değeri";
        QTest::newRow("impossible date") << "Uye.db" << "Tarih" << "31022020" << "geçerli bir tarih değil";
        QTest::newRow("plate one digit") << "Sehir.db" << "Plaka" << "7" << "Geçersiz giriş değeri";
    }

    void editRefusalKeepsRecordEditing()
    {
        QFETCH(QString, file);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, error);
        Cursor c(file);
        if (c.table.IsEmpty())
            addMember(c.table, 1, QStringLiteral("Ali"));
        c.table.First();
        const QString before = c.table.FieldByName(field)->AsString();
        TDBEdit edit;
        edit.setDataSource(&c.source);
        edit.setDataField(field);
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Delete);
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, typed);
        try {
            c.table.Post();
            QFAIL("the post was not refused");
        } catch (const EDatabaseError &e) {
            QVERIFY2(e.message().contains(error), qPrintable(e.message()));
        }
        QCOMPARE(c.table.State(), dsEdit);
        QCOMPARE(c.table.FieldByName(field)->AsString(), before);
    }

    void leavingAnEditWithRefusedTextShowsTheErrorAndStays()
    {
        TScriptedUi ui;
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        QWidget window;
        auto *year = new TDBEdit(&window);
        auto *name = new TDBEdit(&window);
        year->setDataSource(&m.source);
        year->setDataField(QStringLiteral("Dyili"));
        name->setDataSource(&m.source);
        name->setDataField(QStringLiteral("AdiSoyadi"));
        window.show();
        QApplication::setActiveWindow(&window);
        year->setFocus();
        QTest::keyClicks(year, QStringLiteral("19a5"));
        name->setFocus();
        QCOMPARE(ui.errors().size(), 1);
        QVERIFY2(ui.errors()[0].contains(QStringLiteral("geçerli bir sayı değil")), qPrintable(ui.errors()[0]));
        QVERIFY(year->hasFocus());
        QCOMPARE(year->text(), QStringLiteral("19a5"));
        QCOMPARE(m.table.State(), dsEdit);

        year->selectAll();
        QTest::keyClicks(year, QStringLiteral("1985"));
        name->setFocus();
        QCOMPARE(ui.errors().size(), 1);
        QCOMPARE(m.table.FieldByName(QStringLiteral("Dyili"))->AsFloat(), 1985.0);
    }

    void maskedEditorsTakeOnlyWhatTheMaskAllows_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plate") << "Sehir.db" << "Plaka" << "a9x87" << "98";
        QTest::newRow("date") << "Uye.db" << "Tarih" << "0a3.0x42024" << "03.04.2024";
    }

    void maskedEditorsTakeOnlyWhatTheMaskAllows()
    {
        QFETCH(QString, file);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Cursor c(file);
        c.table.Append();
        TDBEdit edit;
        edit.setDataSource(&c.source);
        edit.setDataField(field);
        edit.setFocus();
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, typed);
        edit.UpdateRecord();
        QCOMPARE(c.table.FieldByName(field)->AsString(), stored);
    }

    void calculatedFieldIsShownNotEdited()
    {
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        TDBEdit kalan, aidat;
        kalan.setDataSource(&m.source);
        kalan.setDataField(QStringLiteral("Kalan"));
        aidat.setDataSource(&m.source);
        aidat.setDataField(QStringLiteral("Aidat"));
        QTest::keyClicks(&aidat, QStringLiteral("250"));
        aidat.UpdateRecord();
        QCOMPARE(kalan.text(), QStringLiteral("250,00 TL"));
        m.table.Post();
        QTest::keyClicks(&kalan, QStringLiteral("9"));
        QCOMPARE(m.table.State(), dsBrowse);
        QCOMPARE(kalan.text(), QStringLiteral("250,00 TL"));
    }

    void comboTakesListedChoicesOnly()
    {
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        m.table.Edit();
        m.table.FieldByName(QStringLiteral("MedeniHali"))->setAsString(QStringLiteral("Dul"));
        m.table.Post();
        TDBComboBox combo;
        combo.addItems({QStringLiteral("Bekar"), QStringLiteral("Evli")});
        combo.setDataSource(&m.source);
        combo.setDataField(QStringLiteral("MedeniHali"));
        QCOMPARE(combo.currentIndex(), -1); // a stored value not in the list
        QVERIFY(!combo.isEditable());
        combo.setFocus();
        QTest::keyClick(&combo, Qt::Key_Down);
        QCOMPARE(m.table.State(), dsEdit);
        QCOMPARE(m.table.FieldByName(QStringLiteral("MedeniHali"))->AsString(), combo.currentText());
        m.table.Cancel();
        QCOMPARE(combo.currentIndex(), -1);
    }

    void lookupOffersPostedPlacesAtOnce()
    {
        Cursor m(QStringLiteral("Uye.db"));
        Cursor places(QStringLiteral("Sehir.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        m.table.Edit();
        m.table.FieldByName(QStringLiteral("Vilayet"))->setAsString(QStringLiteral("Eski İl"));
        m.table.Post();
        TDBLookupComboBox lookup;
        lookup.setDataSource(&m.source);
        lookup.setDataField(QStringLiteral("Vilayet"));
        lookup.setListSource(&places.source);
        lookup.setKeyField(QStringLiteral("Sehir"));
        lookup.setListField(QStringLiteral("Sehir"));
        QCOMPARE(lookup.count(), 81);
        QCOMPARE(lookup.currentIndex(), -1); // gone from the list, kept in the row
        QCOMPARE(m.table.FieldByName(QStringLiteral("Vilayet"))->AsString(), QStringLiteral("Eski İl"));

        places.table.Append();
        places.table.FieldByName(QStringLiteral("Plaka"))->setAsString(QStringLiteral("82"));
        places.table.FieldByName(QStringLiteral("Sehir"))->setAsString(QStringLiteral("Yeniköy"));
        QCOMPARE(lookup.findText(QStringLiteral("Yeniköy")), -1); // not posted yet
        places.table.Post();
        const int offered = lookup.findText(QStringLiteral("Yeniköy"));
        QVERIFY(offered >= 0);
        QCOMPARE(lookup.count(), 82);

        lookup.setCurrentIndex(offered);
        emit lookup.activated(offered);
        QCOMPARE(m.table.State(), dsEdit);
        QCOMPARE(m.table.FieldByName(QStringLiteral("Vilayet"))->AsString(), QStringLiteral("Yeniköy"));
    }

    void memoWritesOnSettle()
    {
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        addMember(m.table, 2, QStringLiteral("Veli"));
        m.table.First();
        TDBMemo memo;
        memo.setDataSource(&m.source);
        memo.setDataField(QStringLiteral("EvAdresi"));
        QTest::keyClicks(&memo, QStringLiteral("Gul Sk."));
        QTest::keyClick(&memo, Qt::Key_Return);
        QTest::keyClicks(&memo, QStringLiteral("No 5"));
        QCOMPARE(m.table.State(), dsEdit);
        m.table.Next();
        QCOMPARE(memo.toPlainText(), QString());
        m.table.First();
        QCOMPARE(memo.toPlainText(), QStringLiteral("Gul Sk.\nNo 5"));
    }

    void imageFollowsTheRecord()
    {
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        m.table.Edit();
        static_cast<TBlobField *>(m.table.FieldByName(QStringLiteral("Resim")))->setAsBytes(png(40, 30));
        m.table.Post();
        addMember(m.table, 2, QStringLiteral("Veli"));
        m.table.Edit();
        static_cast<TBlobField *>(m.table.FieldByName(QStringLiteral("Resim")))->setAsBytes("bozuk veri");
        m.table.Post();
        addMember(m.table, 3, QStringLiteral("Can"));
        TDBImage image;
        image.setDataSource(&m.source);
        image.setDataField(QStringLiteral("Resim"));
        const QList<QSize> expected{QSize(40, 30), QSize(), QSize()};
        m.table.First();
        for (const QSize &size : expected) {
            QCOMPARE(image.Picture().isNull() ? QSize() : image.Picture().size(), size);
            m.table.Next();
        }
    }

    void gridFollowsAndMovesTheCursor()
    {
        Cursor m(QStringLiteral("Uye.db"));
        for (int i = 1; i <= 5; ++i)
            addMember(m.table, i, QStringLiteral("Üye %1").arg(i));
        TDBGrid grid;
        grid.setColumns({{QStringLiteral("KayitNo"), QString(), 47}, {QStringLiteral("AdiSoyadi"), QStringLiteral("Adı Soyadı"), 132}});
        grid.setDataSource(&m.source);
        QCOMPARE(grid.model()->rowCount(), 5);
        QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("KayitNo"));
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Adı Soyadı"));
        QCOMPARE(grid.columnWidth(1), 132);
        QCOMPARE(grid.currentIndex().row(), 4); // the cursor is on the last posted row

        grid.setCurrentIndex(grid.model()->index(1, 1));
        QCOMPARE(m.table.RecNo(), 2);
        m.table.Last();
        QCOMPARE(grid.currentIndex().row(), 4);
        QCOMPARE(grid.model()->headerData(4, Qt::Vertical).toString(), QStringLiteral("▶"));

        // A filter narrows the rows at once.
        m.table.setFilter(QStringLiteral("[AdiSoyadi]='Üye 3*'"));
        m.table.setFiltered(true);
        QCOMPARE(grid.model()->rowCount(), 1);
        QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("Üye 3"));
    }

    void gridEditsInPlaceWithTheFieldsMask()
    {
        TScriptedUi ui;
        Cursor places(QStringLiteral("Sehir.db"));
        TDBGrid grid;
        grid.setColumns({{QStringLiteral("Plaka"), QString(), 34}, {QStringLiteral("Sehir"), QStringLiteral("Şehir"), 162}});
        grid.setDataSource(&places.source);
        grid.show();
        places.table.Append();
        QCOMPARE(grid.model()->rowCount(), 82);
        QCOMPARE(grid.model()->headerData(81, Qt::Vertical).toString(), QStringLiteral("*"));

        QLineEdit *plate = typeIntoCell(grid, 0, QStringLiteral("8x2y9"));
        QVERIFY(plate);
        QCOMPARE(plate->text(), QStringLiteral("82"));
        grid.UpdateRecord();
        QCOMPARE(places.table.FieldByName(QStringLiteral("Plaka"))->AsString(), QStringLiteral("82"));

        // Leaving the cell with half a plate code is refused in the error box.
        plate->selectAll();
        QTest::keyClick(plate, Qt::Key_Delete);
        plate->setCursorPosition(0);
        QTest::keyClicks(plate, QStringLiteral("4"));
        QTest::keyClick(plate, Qt::Key_Return); // not taken: the cell stays open
        QCoreApplication::processEvents();
        QVERIFY(plate->isVisible());
        QCOMPARE(places.table.FieldByName(QStringLiteral("Plaka"))->AsString(), QStringLiteral("82"));
        Guarded([&] { places.table.Post(); }); // as the navigator's Post does
        QCOMPARE(ui.errors().size(), 1);
        QVERIFY(ui.errors()[0].contains(QStringLiteral("Geçersiz giriş değeri")));
        QCOMPARE(places.table.State(), dsInsert);
        QCOMPARE(places.table.FieldByName(QStringLiteral("Plaka"))->AsString(), QStringLiteral("82"));
        plate->selectAll();
        QTest::keyClick(plate, Qt::Key_Delete);
        plate->setCursorPosition(0);
        QTest::keyClicks(plate, QStringLiteral("83"));
        QTest::keyClick(plate, Qt::Key_Return);
        QCoreApplication::processEvents(); // the view commits a cell after the key
        QCOMPARE(places.table.FieldByName(QStringLiteral("Plaka"))->AsString(), QStringLiteral("83"));

        QLineEdit *name = typeIntoCell(grid, 1, QStringLiteral("Yenikoy"));
        QVERIFY(name);
        places.table.Post(); // the open cell's text is written first
        QCOMPARE(places.table.State(), dsBrowse);
        QCOMPARE(places.table.RecordCount(), 82);
        QCOMPARE(places.table.FieldByName(QStringLiteral("Sehir"))->AsString(), QStringLiteral("Yenikoy"));
    }

    void gridKeysInsertCancelAndDelete()
    {
        TScriptedUi ui;
        Cursor hoods(QStringLiteral("Mahal.db"));
        TDBGrid grid;
        grid.setDataSource(&hoods.source);
        grid.setColumns({{QStringLiteral("Mahalle"), QString(), 206}});
        grid.show();
        grid.setFocus();

        // Deleting in an empty table: asked, then refused by the data layer.
        ui.answers = {QMessageBox::Yes};
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(ui.boxes.size(), 2);
        QCOMPARE(ui.boxes[0].text, QStringLiteral("Kayıt silinsin mi?"));
        QCOMPARE(ui.errors().size(), 1);
        QCOMPARE(hoods.table.State(), dsBrowse);

        QTest::keyClick(&grid, Qt::Key_Insert);
        QCOMPARE(hoods.table.State(), dsInsert);
        QTest::keyClick(&grid, Qt::Key_Escape);
        QCOMPARE(hoods.table.State(), dsBrowse);
        QCOMPARE(grid.model()->rowCount(), 0);

        QTest::keyClick(&grid, Qt::Key_Insert);
        typeIntoCell(grid, 0, QStringLiteral("Carsi"));
        grid.UpdateRecord();
        hoods.table.Post();
        QCOMPARE(hoods.table.RecordCount(), 1);

        // Answered No, nothing is deleted; Yes deletes.
        ui.answers = {QMessageBox::No};
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(hoods.table.RecordCount(), 1);
        ui.answers = {QMessageBox::Yes};
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(hoods.table.RecordCount(), 0);
    }

    void gridMovingOffAnInsertedRow_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::newRow("typed: posted") << true;
        QTest::newRow("untouched: dropped") << false;
    }

    void gridMovingOffAnInsertedRow()
    {
        QFETCH(bool, typed);
        Cursor hoods(QStringLiteral("Mahal.db"));
        for (const char *name : {"Bahçe", "Dere", "Köprü"}) {
            hoods.table.Append();
            hoods.table.FieldByName(QStringLiteral("Mahalle"))->setAsString(QString::fromUtf8(name));
            hoods.table.Post();
        }
        TDBGrid grid;
        grid.setDataSource(&hoods.source);
        grid.setColumns({{QStringLiteral("Mahalle"), QString(), 206}});
        grid.show();
        hoods.table.setRecNo(2);
        hoods.table.Insert(); // shown above "Dere"
        QCOMPARE(grid.currentIndex().row(), 1);
        if (typed)
            typeIntoCell(grid, 0, QStringLiteral("Yeni"));
        grid.setCurrentIndex(grid.model()->index(3, 0)); // "Köprü"
        QCOMPARE(hoods.table.State(), dsBrowse);
        QCOMPARE(hoods.table.RecordCount(), typed ? 4 : 3);
        QCOMPARE(hoods.table.FieldByName(QStringLiteral("Mahalle"))->AsString(),
                 typed ? QStringLiteral("Yeni") : QStringLiteral("Köprü"));
        QCOMPARE(grid.currentIndex().row(), hoods.table.RecNo() - 1);
    }

    void navigatorButtonsFollowTheState()
    {
        Cursor hoods(QStringLiteral("Mahal.db"));
        TDBNavigator nav;
        nav.setDataSource(&hoods.source);
        const auto enabled = [&] {
            QString s;
            for (int b = nbFirst; b <= nbRefresh; ++b)
                s += nav.Button(TNavigateBtn(b))->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
            return s;
        };
        //                  F P N L I D E P C R
        QCOMPARE(enabled(), QStringLiteral("0000101001")); // empty
        nav.BtnClick(nbInsert);
        QCOMPARE(enabled(), QStringLiteral("1111010110")); // inserting
        hoods.table.FieldByName(QStringLiteral("Mahalle"))->setAsString(QStringLiteral("A"));
        nav.BtnClick(nbPost);
        nav.BtnClick(nbInsert);
        hoods.table.FieldByName(QStringLiteral("Mahalle"))->setAsString(QStringLiteral("B"));
        nav.BtnClick(nbPost);
        nav.BtnClick(nbFirst);
        QCOMPARE(enabled(), QStringLiteral("0011111001")); // first of two
        nav.BtnClick(nbNext);
        nav.BtnClick(nbNext);
        QCOMPARE(enabled(), QStringLiteral("1100111001")); // moved past the last
        nav.BtnClick(nbEdit);
        QCOMPARE(enabled(), QStringLiteral("1100010110"));
        nav.BtnClick(nbCancel);
        QCOMPARE(hoods.table.State(), dsBrowse);
    }

    void navigatorDeleteAsksAndRefreshRereads()
    {
        TScriptedUi ui;
        Cursor hoods(QStringLiteral("Mahal.db"));
        Cursor other(QStringLiteral("Mahal.db"));
        TDBNavigator nav;
        nav.setDataSource(&hoods.source);
        for (const char *name : {"A", "B"}) {
            nav.BtnClick(nbInsert);
            hoods.table.FieldByName(QStringLiteral("Mahalle"))->setAsString(QString::fromLatin1(name));
            nav.BtnClick(nbPost);
        }
        ui.answers = {QMessageBox::No, QMessageBox::Yes};
        nav.BtnClick(nbDelete);
        QCOMPARE(hoods.table.RecordCount(), 2);
        nav.BtnClick(nbDelete);
        QCOMPARE(hoods.table.RecordCount(), 1);
        QCOMPARE(ui.boxes.size(), 2);

        // Another cursor's row shows after a refresh, and the position is kept.
        other.table.Append();
        other.table.FieldByName(QStringLiteral("Mahalle"))->setAsString(QStringLiteral("C"));
        other.table.Post();
        QCOMPARE(hoods.table.RecordCount(), 1);
        const QString current = hoods.table.FieldByName(QStringLiteral("Mahalle"))->AsString();
        nav.BtnClick(nbRefresh);
        QCOMPARE(hoods.table.RecordCount(), 2);
        QCOMPARE(hoods.table.FieldByName(QStringLiteral("Mahalle"))->AsString(), current);
    }

    void navigatorClickReportsRefusal()
    {
        TScriptedUi ui;
        Cursor places(QStringLiteral("Sehir.db"));
        TDBNavigator nav;
        nav.setDataSource(&places.source);
        nav.BtnClick(nbInsert);
        places.table.FieldByName(QStringLiteral("Plaka"))->setAsString(QStringLiteral("06")); // Ankara's
        places.table.FieldByName(QStringLiteral("Sehir"))->setAsString(QStringLiteral("İkinci"));
        nav.Button(nbPost)->click();
        QCOMPARE(ui.errors().size(), 1);
        QVERIFY2(ui.errors()[0].contains(QStringLiteral("Anahtar ihlali")), qPrintable(ui.errors()[0]));
        QCOMPARE(places.table.State(), dsInsert);
        QCOMPARE(places.table.FieldByName(QStringLiteral("Sehir"))->AsString(), QStringLiteral("İkinci"));
        QCOMPARE(places.table.RecordCount(), 81);
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestControls test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_controls.moc"
