// The object inspector over a real canvas, operated with real key and
// pointer events: what the grid shows for one object, several objects or
// the page, in the designer's units and readable forms; typing, toggling,
// stepping and picking values; the editor button; refusal of bad values
// with a message and nothing changed or recorded; undo of an edit.

#include "designer_fixture.h"
#include "report/designer/insp_form.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

class TestInspForm : public QObject {
    Q_OBJECT

    TDesignerFixture f;
    std::unique_ptr<TScriptedUi> ui;
    std::unique_ptr<TqpInspForm> insp;
    TqpMemoView *m1 = nullptr, *m2 = nullptr;

    QString shown(const QString &name)
    {
        const int row = insp->RowOf(name);
        return row < 0 ? QStringLiteral("<absent>") : insp->Row(row).Text;
    }

    // Makes the row current by a click on its name, as the operator does.
    void clickRow(const QString &name)
    {
        const int row = insp->RowOf(name);
        QVERIFY(row >= 0);
        QTest::mouseClick(insp->Grid(), Qt::LeftButton, {}, QPoint(10, row * insp->RowHeight() + 3));
        QCOMPARE(insp->ItemIndex(), row);
    }

    // Types into the current row's edit box and presses Enter.
    void type(const QString &name, const QString &text)
    {
        clickRow(name);
        QLineEdit *edit = insp->EditBox();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

private slots:
    void init()
    {
        DesignerRestrictions = 0;
        ui = std::make_unique<TScriptedUi>();
        f.open(2);
        m1 = f.text(QStringLiteral("Memo1"), {36, 40, 96, 20});
        m2 = f.text(QStringLiteral("Memo2"), {36, 100, 120, 20});
        insp = std::make_unique<TqpInspForm>(f.state);
        insp->resize(260, 600);
        insp->show();
        QVERIFY(QTest::qWaitForWindowExposed(insp.get()));
    }

    void cleanup()
    {
        insp.reset();
        f.close();
        ui.reset();
        qpMemoEditor = nullptr;
    }

    void oneObjectShowsItsValuesReadably()
    {
        m1->FillColor = 0xFF;
        m1->FrameColor = 0x123456;
        m1->FrameStyle = 3;
        f.select({m1});
        QCOMPARE(insp->windowTitle(), QStringLiteral("Nesne bilgileri"));
        QCOMPARE(insp->TitleName(), QStringLiteral("Memo1"));
        QCOMPARE(insp->ObjectBox()->currentText(), QStringLiteral("Memo1: TqpMemoView"));
        QCOMPARE(shown("Name"), QStringLiteral("Memo1"));
        QCOMPARE(shown("Width"), QStringLiteral("96"));
        QCOMPARE(shown("FillColor"), QStringLiteral("clRed"));
        QCOMPARE(shown("FrameColor"), QStringLiteral("$123456"));
        QCOMPARE(shown("FrameStyle"), QStringLiteral("psDashDot"));
        QCOMPARE(shown("Visible"), QStringLiteral("True"));
        QCOMPARE(shown("Memo"), QStringLiteral("(Memo)"));
        QCOMPARE(shown("Font.Name"), QStringLiteral("<absent>"));
        // Sorted by name without regard to case.
        QStringList names;
        for (int i = 0; i < insp->RowCount(); ++i)
            names.append(insp->RowName(i));
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(names, sorted);
    }

    // With localised names on, every property a text object, a band or the
    // page shows has a Turkish name; values still reach the object by the
    // property's own name.
    void localisedNamesShowEveryRowInTurkish()
    {
        TqpBandView *band = f.band(QStringLiteral("MasterData1"), btMasterData, 200, 40);
        insp->SetLocalizedNames(true);
        const auto allAliased = [this] {
            for (int i = 0; i < insp->RowCount(); ++i)
                QVERIFY2(insp->displayName(i) != insp->RowName(i), qPrintable(insp->RowName(i)));
        };
        f.select({m1});
        allAliased();
        QCOMPARE(insp->displayName(insp->RowOf(QStringLiteral("FillColor"))), QStringLiteral("Dolgu rengi"));
        type(QStringLiteral("Left"), QStringLiteral("48"));
        QCOMPARE(m1->Left, 48);
        f.select({band});
        allAliased();
        f.state->Unselect();
        f.state->SelectionChanged();
        allAliased();
        insp->SetLocalizedNames(false);
        QCOMPARE(insp->displayName(insp->RowOf(QStringLiteral("Type"))), QStringLiteral("Type"));
    }

    void severalObjectsShowWhatTheyShare()
    {
        f.select({m1, m2});
        QCOMPARE(shown("Width"), QString());
        QCOMPARE(shown("Left"), QStringLiteral("36"));
        QCOMPARE(shown("Name"), QStringLiteral("<absent>"));
        QCOMPARE(shown("Memo"), QStringLiteral("<absent>"));
        QCOMPARE(insp->TitleName(), QString());
        // A value typed for several goes to each.
        type(QStringLiteral("Top"), QStringLiteral("200"));
        QCOMPARE(m1->Top, 200);
        QCOMPARE(m2->Top, 200);
    }

    void pageWhenNothingIsSelected()
    {
        f.state->Unselect();
        f.state->SelectionChanged();
        QCOMPARE(insp->TitleName(), QStringLiteral("Page1"));
        QVERIFY(insp->RowOf(QStringLiteral("Type")) >= 0);
        QCOMPARE(shown("Type"), QStringLiteral("ptReport"));
    }

    void sizesInMillimetres()
    {
        f.state->SetUnits(ruMM);
        f.select({m1});
        QCOMPARE(shown("Left"), QStringLiteral("10,00"));
        type(QStringLiteral("Left"), QStringLiteral("20"));
        QCOMPARE(m1->Left, 72);
        QCOMPARE(shown("Left"), QStringLiteral("20,00"));
        type(QStringLiteral("Width"), QStringLiteral("12.5"));
        QCOMPARE(m1->Width, 45);
    }

    void doubleClickTogglesAndSteps()
    {
        f.select({m1});
        clickRow(QStringLiteral("Visible"));
        QTest::mouseDClick(insp->EditBox(), Qt::LeftButton);
        QCOMPARE(m1->Visible, false);
        QCOMPARE(shown("Visible"), QStringLiteral("False"));
        QTest::mouseDClick(insp->EditBox(), Qt::LeftButton);
        QCOMPARE(m1->Visible, true);
        clickRow(QStringLiteral("FrameStyle"));
        m1->FrameStyle = 5;
        f.state->ShowPosition();
        QTest::mouseDClick(insp->EditBox(), Qt::LeftButton);
        QCOMPARE(m1->FrameStyle, quint16(0));
        QTest::mouseDClick(insp->EditBox(), Qt::LeftButton);
        QCOMPARE(m1->FrameStyle, quint16(1));
    }

    void clearedNameIsIgnored()
    {
        f.select({m1});
        type(QStringLiteral("Name"), QString());
        QCOMPARE(m1->Name, QStringLiteral("Memo1"));
        // A name another object has is not taken either.
        type(QStringLiteral("Name"), QStringLiteral("memo2"));
        QCOMPARE(m1->Name, QStringLiteral("Memo1"));
        type(QStringLiteral("Name"), QStringLiteral("Baslik"));
        QCOMPARE(m1->Name, QStringLiteral("Baslik"));
    }

    void badValuesAreRefused_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters for a number") << "GapX" << "abc" << "'abc' geçerli bir tamsayı değil";
        QTest::newRow("negative width") << "Width" << "-5" << "Width sıfırdan küçük olamaz";
        QTest::newRow("negative frame width") << "FrameWidth" << "-1,5" << "FrameWidth sıfırdan küçük olamaz";
        QTest::newRow("unknown colour") << "FillColor" << "clPembe" << "'clPembe' geçerli bir renk adı değil";
        QTest::newRow("letters for a size") << "Height" << "yirmi" << "'yirmi' geçerli bir tamsayı değil";
    }

    void badValuesAreRefused()
    {
        QFETCH(QString, row);
        QFETCH(QString, text);
        QFETCH(QString, message);
        f.select({m1});
        const QString before = shown(row);
        const Variant stored = m1->GetPropValue(row);
        type(row, text);
        QCOMPARE(ui->boxes.size(), 1);
        QCOMPARE(ui->boxes.first().text, message);
        QCOMPARE(m1->GetPropValue(row).toString(), stored.toString());
        QCOMPARE(f.state->UndoBuffer.Count(), 0);
        QVERIFY(!f.state->GetModified());
        QCOMPARE(shown(row), before);
    }

    void editIsUndone()
    {
        f.select({m1});
        type(QStringLiteral("FillColor"), QStringLiteral("clyellow"));
        QCOMPARE(m1->FillColor, 0xFFFFu);
        QCOMPARE(f.state->UndoBuffer.Count(), 1);
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(f.page()->Items.at(0)->FillColor, 0x1FFFFFFFu);
    }

    void restrictedObjectsKeepTheirValues()
    {
        m1->Restrictions = rsNoResize;
        f.select({m1});
        type(QStringLiteral("Width"), QStringLiteral("200"));
        QCOMPARE(m1->Width, 96);
        m1->Restrictions = rsNoModify;
        type(QStringLiteral("GapX"), QStringLiteral("7"));
        QCOMPARE(m1->GapX, 2);
    }

    void keyboardMovesAndEscapeUndoesTyping()
    {
        f.select({m1});
        clickRow(QStringLiteral("Left"));
        const int row = insp->ItemIndex();
        QTest::keyClick(insp->EditBox(), Qt::Key_Down);
        QCOMPARE(insp->ItemIndex(), row + 1);
        QTest::keyClick(insp->EditBox(), Qt::Key_Up);
        QCOMPARE(insp->ItemIndex(), row);
        QTest::keyClicks(insp->EditBox(), QStringLiteral("99"));
        QTest::keyClick(insp->EditBox(), Qt::Key_Escape);
        QCOMPARE(insp->EditBox()->text(), QStringLiteral("36"));
        QTest::keyClick(insp->EditBox(), Qt::Key_Down);
        QCOMPARE(m1->Left, 36);
        // A changed text is applied when another row becomes current.
        clickRow(QStringLiteral("Left"));
        insp->EditBox()->selectAll();
        QTest::keyClicks(insp->EditBox(), QStringLiteral("48"));
        QTest::keyClick(insp->EditBox(), Qt::Key_Down);
        QCOMPARE(m1->Left, 48);
        QCOMPARE(insp->ItemIndex(), row + 1);
    }

    void dropListPicksAColour()
    {
        f.select({m1});
        clickRow(QStringLiteral("FillColor"));
        QVERIFY(insp->DropButton()->isVisible());
        QVERIFY(!insp->EditorButton()->isVisible());
        QTest::mouseClick(insp->DropButton(), Qt::LeftButton);
        QListWidget *list = insp->DropList();
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 42);
        const QList<QListWidgetItem *> blue = list->findItems(QStringLiteral("clBlue"), Qt::MatchExactly);
        QCOMPARE(blue.size(), 1);
        list->scrollToItem(blue.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(blue.first()).center());
        QCOMPARE(m1->FillColor, 0xFF0000u);
        QVERIFY(!list->isVisible());
    }

    // The records were made (as reading a template makes them) before the
    // designer installed its editor: the button still reaches the editor.
    // The display format is edited in the text editor, where its boxes are.
    void editorButtonOpensTheEditorWithTheObject()
    {
        m1->ClearPropList();
        m1->PropList();
        TqpObject *edited = nullptr;
        int calls = 0;
        qpMemoEditor = [&](TqpObject *o) {
            edited = o;
            ++calls;
            static_cast<TqpView *>(o)->Memo = QStringList{QStringLiteral("edited")};
        };
        f.select({m1});
        clickRow(QStringLiteral("Memo"));
        QVERIFY(insp->EditorButton()->isVisible());
        QVERIFY(insp->EditBox()->isReadOnly());
        QTest::mouseClick(insp->EditorButton(), Qt::LeftButton);
        QCOMPARE(edited, m1);
        QCOMPARE(m1->Memo, QStringList{"edited"});
        clickRow(QStringLiteral("DisplayFormat"));
        QTest::mouseClick(insp->EditorButton(), Qt::LeftButton);
        QCOMPARE(calls, 2);
        // With no editor installed the button does nothing.
        qpMemoEditor = nullptr;
        QTest::mouseClick(insp->EditorButton(), Qt::LeftButton);
        QCOMPARE(calls, 2);
    }

    void objectBoxSelects()
    {
        f.select({m1});
        QComboBox *box = insp->ObjectBox();
        const int i = box->findText(QStringLiteral("Memo2"));
        QVERIFY(i >= 0);
        QCOMPARE(box->itemText(box->count() - 1), QStringLiteral("Page2"));
        box->activated(i);
        QCOMPARE(f.state->Selection(), QList<TqpView *>{m2});
        QCOMPARE(insp->TitleName(), QStringLiteral("Memo2"));
        box->activated(box->count() - 1);
        QCOMPARE(f.state->CurPageIndex, 1);
        QCOMPARE(insp->TitleName(), QStringLiteral("Page2"));
    }

    void currentRowSurvivesRefill()
    {
        f.select({m1});
        clickRow(QStringLiteral("Top"));
        f.clickOn(m2, Qt::ShiftModifier);
        QCOMPARE(f.state->SelCount(), 2);
        QCOMPARE(insp->RowName(insp->ItemIndex()), QStringLiteral("Top"));
    }
};

#include "test_insp_form.moc"

int runInspFormTests(int argc, char **argv)
{
    TestInspForm t;
    return QTest::qExec(&t, argc, argv);
}
