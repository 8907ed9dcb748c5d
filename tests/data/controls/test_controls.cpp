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

#include <QAbstractItemView>
#include <QBuffer>
#include <QClipboard>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
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

// A plain picture of the given size, encoded as a file would hold it.
QByteArray picture(int w, int h, const char *format = "JPEG")
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Drags `mime` over `target` and drops it at `at`, as a mouse would.
void dragAndDrop(QWidget *target, QPoint at, QMimeData *mime)
{
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// Runs an item of the text editor's own context menu, found by its caption.
void contextMenuCommand(QWidget *editor, const char *caption)
{
    std::unique_ptr<QMenu> menu;
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        menu.reset(line->createStandardContextMenu());
    else
        menu.reset(qobject_cast<QPlainTextEdit *>(editor)->createStandardContextMenu());
    QAction *action = nullptr;
    for (QAction *a : menu->actions())
        if (a->text().startsWith(QLatin1String(caption)))
            action = a;
    QVERIFY2(action && action->isEnabled(), caption);
    action->trigger();
}

// The value a field holds in the table as stored, read by a cursor of its own.
QString storedValue(const QString &field, double no)
{
    TTable table;
    table.TableName = QStringLiteral("Uye.db");
    MemberStore::ConfigureTable(table);
    table.Open();
    for (table.First(); !table.Eof(); table.Next())
        if (table.FieldByName(QStringLiteral("KayitNo"))->AsFloat() == no) {
            const TField *f = table.FieldByName(field);
            return f->DataType() == ftGraphic ? QString::fromLatin1(static_cast<const TBlobField *>(f)->AsBytes().toHex())
                                              : f->AsString();
        }
    return QStringLiteral("(no row %1)").arg(no);
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

    // Choosing again the value a row already holds is no change: the row
    // stays browsed, and closing it has nothing to ask about.
    void choosingTheHeldValueStartsNoEdit()
    {
        Cursor m(QStringLiteral("Uye.db"));
        Cursor places(QStringLiteral("Sehir.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        m.table.Edit();
        m.table.FieldByName(QStringLiteral("MedeniHali"))->setAsString(QStringLiteral("Evli"));
        m.table.FieldByName(QStringLiteral("Vilayet"))->setAsString(QStringLiteral("Ankara"));
        m.table.Post();
        TDBComboBox combo;
        combo.addItems({QStringLiteral("Bekar"), QStringLiteral("Evli")});
        combo.setDataSource(&m.source);
        combo.setDataField(QStringLiteral("MedeniHali"));
        TDBLookupComboBox lookup;
        lookup.setDataSource(&m.source);
        lookup.setDataField(QStringLiteral("Vilayet"));
        lookup.setListSource(&places.source);
        lookup.setKeyField(QStringLiteral("Sehir"));
        for (QComboBox *box : {static_cast<QComboBox *>(&combo), static_cast<QComboBox *>(&lookup)}) {
            QVERIFY(box->currentIndex() >= 0);
            emit box->activated(box->currentIndex());
            QCOMPARE(m.table.State(), dsBrowse);
        }
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

    // Every way the operator puts a value into a control starts editing the
    // record, lands where the caret is, and reaches the stored table when
    // the record is posted, on a browsed row and on a new one.
    void operatorChangesReachTheStoredTable_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("newRow");
        const QStringList textWays{"typing", "Ctrl+V", "menu paste", "drop", "middle click", "undo"};
        const QList<std::pair<QString, QStringList>> ways{{"edit", textWays},
                                                          {"memo", textWays},
                                                          {"combo", {"arrow key", "letter"}},
                                                          {"lookup", {"arrow key", "letter"}},
                                                          {"image", {"Ctrl+V", "drop"}}};
        for (const auto &[control, list] : ways)
            for (const QString &way : list)
                for (const bool newRow : {false, true})
                    QTest::addRow("%s, %s, %s", qPrintable(control), qPrintable(way),
                                  newRow ? "new row" : "browsed row")
                        << control << way << newRow;
    }

    void operatorChangesReachTheStoredTable()
    {
        QFETCH(QString, control);
        QFETCH(QString, way);
        QFETCH(bool, newRow);
        QClipboard *clipboard = QApplication::clipboard();
        if (way == QLatin1String("middle click") && !clipboard->supportsSelection())
            QSKIP("this platform has no selection for the middle button to paste");
        TScriptedUi ui;
        Cursor m(QStringLiteral("Uye.db"));
        Cursor places(QStringLiteral("Sehir.db"));
        addMember(m.table, 1, QStringLiteral("Ali Can"));
        m.table.Edit();
        m.table.FieldByName(QStringLiteral("EvAdresi"))->setAsString(QStringLiteral("Gül Sk. No 5"));
        m.table.FieldByName(QStringLiteral("KanGrubu"))->setAsString(QStringLiteral("A rh (+)"));
        m.table.FieldByName(QStringLiteral("Vilayet"))->setAsString(QStringLiteral("Ankara"));
        static_cast<TBlobField *>(m.table.FieldByName(QStringLiteral("Resim")))->setAsBytes(picture(20, 10));
        m.table.Post();
        const double no = newRow ? 2 : 1;
        if (newRow) {
            m.table.Append();
            m.table.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
        }

        QWidget window;
        window.resize(420, 200);
        QWidget *w = nullptr;
        QString field;
        if (control == QLatin1String("edit")) {
            auto *edit = new TDBEdit(&window);
            edit->setDataSource(&m.source);
            edit->setDataField(field = QStringLiteral("AdiSoyadi"));
            w = edit;
        } else if (control == QLatin1String("memo")) {
            auto *memo = new TDBMemo(&window);
            memo->setDataSource(&m.source);
            memo->setDataField(field = QStringLiteral("EvAdresi"));
            w = memo;
        } else if (control == QLatin1String("combo")) {
            auto *combo = new TDBComboBox(&window);
            combo->addItems({"A rh (+)", "A rh (-)", "B rh (+)", "B rh (-)", "0 rh (+)", "0 rh (-)", "AB rh (+)",
                             "AB rh (-)"});
            combo->setDataSource(&m.source);
            combo->setDataField(field = QStringLiteral("KanGrubu"));
            w = combo;
        } else if (control == QLatin1String("lookup")) {
            auto *lookup = new TDBLookupComboBox(&window);
            lookup->setDataSource(&m.source);
            lookup->setDataField(field = QStringLiteral("Vilayet"));
            lookup->setListSource(&places.source);
            lookup->setKeyField(QStringLiteral("Sehir"));
            w = lookup;
        } else {
            auto *image = new TDBImage(&window);
            image->setDataSource(&m.source);
            image->setDataField(field = QStringLiteral("Resim"));
            w = image;
        }
        w->setGeometry(10, 10, 300, 120);
        window.show();
        QApplication::setActiveWindow(&window);
        w->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString before = storedValue(field, 1);

        QString expected;
        auto *line = qobject_cast<QLineEdit *>(w);
        auto *memo = qobject_cast<QPlainTextEdit *>(w);
        auto *combo = qobject_cast<QComboBox *>(w);
        if (line || memo) {
            const QString shown = line ? line->text() : memo->toPlainText();
            QCOMPARE(shown, newRow ? QString() : before);
            // The caret in the middle of what is there.
            const int caret = newRow ? 0 : 3;
            QRect caretRect;
            if (line) {
                line->setCursorPosition(caret);
                caretRect = line->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            } else {
                QTextCursor c = memo->textCursor();
                c.setPosition(caret);
                memo->setTextCursor(c);
                caretRect = memo->cursorRect();
            }
            QWidget *surface = memo ? memo->viewport() : w;
            expected = shown.left(caret) + QStringLiteral("Ek") + shown.mid(caret);
            if (way == QLatin1String("typing") || way == QLatin1String("undo")) {
                QTest::keyClicks(w, QStringLiteral("Ek"));
            } else if (way == QLatin1String("Ctrl+V")) {
                clipboard->setText(QStringLiteral("Ek"));
                QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
            } else if (way == QLatin1String("menu paste")) {
                clipboard->setText(QStringLiteral("Ek"));
                contextMenuCommand(w, "&Paste");
            } else if (way == QLatin1String("drop")) {
                QMimeData mime;
                mime.setText(QStringLiteral("Ek"));
                dragAndDrop(surface, caretRect.center(), &mime);
            } else {
                clipboard->setText(QStringLiteral("Ek"), QClipboard::Selection);
                QTest::mouseClick(surface, Qt::MiddleButton, {}, caretRect.center());
            }
            QCOMPARE(line ? line->text() : memo->toPlainText(), expected);
            if (way == QLatin1String("undo")) {
                // Undone after the typed text was stored: the undo is a change too.
                m.table.Post();
                QCOMPARE(storedValue(field, no), expected);
                contextMenuCommand(w, "&Undo");
                expected = shown;
                QCOMPARE(line ? line->text() : memo->toPlainText(), expected);
            }
        } else if (combo) {
            const int from = combo->currentIndex();
            QCOMPARE(from, newRow ? -1 : combo->findText(before));
            if (way == QLatin1String("arrow key")) {
                QTest::keyClick(combo, Qt::Key_Down);
                expected = combo->itemText(from + 1);
            } else {
                const QChar letter = control == QLatin1String("combo") ? QLatin1Char('B') : QLatin1Char('K');
                QTest::keyClick(combo, letter.toLatin1());
                for (int i = 0; i < combo->count() && expected.isEmpty(); ++i)
                    if (combo->itemText(i).startsWith(letter))
                        expected = combo->itemText(i);
                QVERIFY(!expected.isEmpty());
            }
            QCOMPARE(combo->currentText(), expected);
        } else {
            auto *image = static_cast<TDBImage *>(w);
            const QByteArray dropped = picture(40, 20);
            if (way == QLatin1String("Ctrl+V")) {
                QImage copied(30, 15, QImage::Format_RGB32);
                copied.fill(Qt::red);
                clipboard->setImage(copied);
                QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
            } else {
                QFile file(QStringLiteral("foto.jpg"));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(dropped);
                file.close();
                QMimeData mime;
                mime.setUrls({QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath())});
                dragAndDrop(w, w->rect().center(), &mime);
            }
            QCOMPARE(image->Picture().size(), way == QLatin1String("drop") ? QSize(40, 20) : QSize(30, 15));
            if (way == QLatin1String("drop"))
                QCOMPARE(image->PictureData(), dropped); // the file's own bytes
            expected = QString::fromLatin1(image->PictureData().toHex());
        }
        const bool undone = way == QLatin1String("undo");
        QCOMPARE(m.table.State(), newRow && !undone ? dsInsert : dsEdit);
        QVERIFY2(ui.errors().isEmpty(), qPrintable(ui.errors().join(QLatin1Char('\n'))));
        m.table.Post();
        QCOMPARE(storedValue(field, no), expected);
        if (!newRow && !undone)
            QVERIFY(expected != before);
    }

    // While the operator's text is pending, nothing that happens to the record
    // replaces it; only cancelling the record drops it.
    void reloadKeepsTheOperatorsText()
    {
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        QWidget window;
        auto *memo = new TDBMemo(&window);
        memo->setDataSource(&m.source);
        memo->setDataField(QStringLiteral("EvAdresi"));
        auto *name = new TDBEdit(&window);
        name->setDataSource(&m.source);
        name->setDataField(QStringLiteral("AdiSoyadi"));
        name->move(0, 150);
        window.show();
        QApplication::setActiveWindow(&window);
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("Gul Sk."));
        QTest::keyClick(memo, Qt::Key_Left);
        QTest::keyClick(memo, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(m.table.State(), dsEdit);

        // Another field assigned, the controls switched off and on again.
        m.table.FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QStringLiteral("Veli"));
        m.table.DisableControls();
        m.table.EnableControls();
        QCOMPARE(name->text(), QStringLiteral("Veli"));
        QCOMPARE(memo->toPlainText(), QStringLiteral("Gul Sk."));
        QCOMPARE(memo->textCursor().position(), 5);
        QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("k"));
        QVERIFY(memo->document()->isUndoAvailable());

        m.table.Cancel();
        QCOMPARE(memo->toPlainText(), QString());
        QCOMPARE(name->text(), QStringLiteral("Ali"));
        QCOMPARE(m.table.FieldByName(QStringLiteral("EvAdresi"))->AsString(), QString());
    }

    void imageFollowsTheRecord()
    {
        Cursor m(QStringLiteral("Uye.db"));
        addMember(m.table, 1, QStringLiteral("Ali"));
        m.table.Edit();
        static_cast<TBlobField *>(m.table.FieldByName(QStringLiteral("Resim")))->setAsBytes(picture(40, 30, "PNG"));
        m.table.Post();
        addMember(m.table, 2, QStringLiteral("Veli"));
        m.table.Edit();
        static_cast<TBlobField *>(m.table.FieldByName(QStringLiteral("Resim")))->setAsBytes("bozuk veri");
        m.table.Post();
        addMember(m.table, 3, QStringLiteral("Can"));
        TDBImage image;
        image.resize(105, 113);
        image.setDataSource(&m.source);
        image.setDataField(QStringLiteral("Resim"));
        image.show();
        const QList<QSize> expected{QSize(40, 30), QSize(), QSize()};
        m.table.First();
        for (const QSize &size : expected) {
            QCOMPARE(image.Picture().isNull() ? QSize() : image.Picture().size(), size);
            m.table.Next();
        }
    }

    // Hidden, the image control reads and decodes nothing as the cursor
    // moves; shown, it decodes each record's photo once, scaled down to its
    // box (a photo that fits keeps its own size).
    void imageDecodesOnlyWhenShownAndOncePerRecord()
    {
        Cursor m(QStringLiteral("Uye.db"));
        const QList<QSize> photos{QSize(1200, 800), QSize(600, 1600), QSize(60, 40)};
        for (int i = 0; i < photos.size(); ++i) {
            addMember(m.table, i + 1, QStringLiteral("Üye %1").arg(i + 1));
            m.table.Edit();
            static_cast<TBlobField *>(m.table.FieldByName(QStringLiteral("Resim")))
                ->setAsBytes(picture(photos[i].width(), photos[i].height()));
            m.table.Post();
        }
        QWidget window;
        auto *image = new TDBImage(&window);
        image->setGeometry(10, 10, 105, 113);
        image->setDataSource(&m.source);
        image->setDataField(QStringLiteral("Resim"));
        for (m.table.First(); !m.table.Eof(); m.table.Next())
            QVERIFY(image->Picture().isNull());

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize box = image->contentsRect().size();
        m.table.First();
        for (const QSize &photo : photos) {
            const QSize fitted = photo.width() <= box.width() && photo.height() <= box.height()
                                     ? photo
                                     : photo.scaled(box, Qt::KeepAspectRatio);
            QCOMPARE(image->Picture().size(), fitted);
            const qint64 decoded = image->Picture().cacheKey();
            image->repaint();
            m.table.Edit(); // starting and ending an edit reports the record changed
            m.table.Post();
            image->repaint();
            QCOMPARE(image->Picture().cacheKey(), decoded);
            m.table.Next();
        }

        window.hide();
        m.table.First();
        QVERIFY(image->Picture().isNull());
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
