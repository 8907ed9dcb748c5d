// The script editor control driven by real key and mouse events.

#include "scripted_ui.h"
#include "syn_memo_search.h"
#include "syntax_memo.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>

namespace {

// One letter per column: T text, K keyword, C comment, S string.
QString attrString(const TqpSyntaxMemo &memo, int line)
{
    QString out;
    for (int column = 1; column <= memo.Lines().at(line - 1).size(); ++column) {
        const TCharAttributes a = memo.CharAttr(column, line);
        out += (a & caSet(caKeyword)) ? 'K' : (a & caSet(caComment)) ? 'C' : (a & caSet(caString)) ? 'S' : 'T';
    }
    return out;
}

// Records the regions the viewport repaints.
class TPaintSpy : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

bool isBluish(QRgb c) { return qBlue(c) > 90 && qBlue(c) > qRed(c) + 50 && qBlue(c) > qGreen(c) + 50; }
bool isDark(QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90 && !isBluish(c); }

int countPixels(const QImage &image, const QRect &rect, bool (*pred)(QRgb))
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (pred(image.pixel(x, y)))
                ++n;
    return n;
}

} // namespace

class TestSyntaxMemo : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TqpSyntaxMemo> memo;

    void load(const QStringList &lines, QSize size = QSize(400, 300))
    {
        memo = std::make_unique<TqpSyntaxMemo>();
        memo->resize(size);
        memo->SetText(lines);
        memo->show();
        QVERIFY(QTest::qWaitForWindowExposed(memo.get()));
        memo->setFocus();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(memo.get(), k, mods); }
    QPoint cellCentre(int column, int line) const
    {
        return QPoint(memo->ShowGutter() ? TqpSyntaxMemo::BarSize : 0, 0)
            + QPoint((column - 1 - memo->LeftColumn()) * memo->CharWidth() + memo->CharWidth() / 2,
                     (line - 1 - memo->TopLine()) * memo->LineHeight() + memo->LineHeight() / 2);
    }

private slots:
    void defaults()
    {
        TqpSyntaxMemo m;
        QCOMPARE(m.SyntaxType(), stPascal);
        QCOMPARE(m.font().family(), QStringLiteral("Courier New"));
        QCOMPARE(m.Lines(), QStringList{QString()});
        QCOMPARE(m.GetPos(), QPoint(1, 1));
        QCOMPARE(m.GetActiveLine(), -1);
        for (int d = 0; d < 10; ++d)
            QCOMPARE(m.Bookmark(d), -1);
        QCOMPARE(m.CommentAttr().Italic, true);
        QCOMPARE(m.CommentAttr().Color, 0x800000u);
        QCOMPARE(m.KeywordAttr().Bold, true);
        QCOMPARE(m.BlockColor(), 0x8000000Du);
        QCOMPARE(m.size(), QSize(200, 200));
        QCOMPARE(m.FooterText(), QStringLiteral("1 : 1    "));
    }

    void typingPastTheEndPadsTheLine()
    {
        load({"ab", "cd"});
        memo->SetPos(6, 1);
        QTest::keyClicks(memo.get(), "x  ");
        QCOMPARE(memo->Lines().at(0), QStringLiteral("ab   x  "));
        QCOMPARE(memo->GetText(), (QStringList{"ab   x", "cd"}));
        QCOMPARE(memo->GetPos(), QPoint(9, 1));
        QVERIFY(memo->Modified());
        // Characters the Turkish code page lacks are not typed.
        for (const QChar c : QStringLiteral("ş\u0416"))
            QTest::sendKeyEvent(QTest::Click, memo.get(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("ab   x  ş"));
    }

    void pascalColouring_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("attrs");
        QTest::newRow("string and brace comment") << "x := 'a' { c } y" << "TTTTTSSSTCCCCCTT";
        QTest::newRow("keywords any case") << "begin BEGIN Begin" << "KKKKKTKKKKKTKKKKK";
        QTest::newRow("keyword inside a longer word") << "beginx end_" << "TTTTTTTTTTT";
        QTest::newRow("goto") << "goto 10" << "KKKKTTT";
        QTest::newRow("line comment") << "x // if" << "TTCCCCC";
        QTest::newRow("paren comment shares its star") << "(*)x" << "CCCT";
        QTest::newRow("unclosed string ends at the line end") << "'ab" << "SSS";
        QTest::newRow("double quote is not a string") << "\"if\"" << "TKKT";
        QTest::newRow("national letters belong to the word") << "ödo do" << "TTTTKK";
    }
    void pascalColouring()
    {
        QFETCH(QString, line);
        QFETCH(QString, attrs);
        load({line});
        QCOMPARE(attrString(*memo, 1), attrs);
    }

    void otherSyntaxTypes()
    {
        load({"select \"a\" -- x", "/* a */ int"});
        memo->SetSyntaxType(stSQL);
        QCOMPARE(attrString(*memo, 1), QStringLiteral("KKKKKKTSSSTCCCC"));
        memo->SetSyntaxType(stCpp);
        QCOMPARE(attrString(*memo, 2), QStringLiteral("CCCCCCCTKKK"));
        memo->SetSyntaxType(stText);
        QCOMPARE(attrString(*memo, 2), QStringLiteral("TTTTTTTTTTT"));
    }

    // An opened comment recolours the lines below it, and closing it again restores them.
    void commentsCarryAcrossLines()
    {
        load({"x", "begin", "end }", "if"});
        QCOMPARE(attrString(*memo, 2), QStringLiteral("KKKKK"));
        QTest::keyClick(memo.get(), '{');
        QCOMPARE(attrString(*memo, 1), QStringLiteral("CC"));
        QCOMPARE(attrString(*memo, 2), QStringLiteral("CCCCC"));
        QCOMPARE(attrString(*memo, 3), QStringLiteral("CCCCC"));
        QCOMPARE(attrString(*memo, 4), QStringLiteral("KK"));
        key(Qt::Key_Backspace);
        QCOMPARE(attrString(*memo, 2), QStringLiteral("KKKKK"));
        QCOMPARE(attrString(*memo, 3), QStringLiteral("KKKTT"));
        // The same through a paren comment opened on one line and closed on another.
        memo->SetPos(1, 2);
        QTest::keyClicks(memo.get(), "(*");
        QCOMPARE(attrString(*memo, 2), QStringLiteral("CCCCCCC"));
        QCOMPARE(attrString(*memo, 4), QStringLiteral("CC"));
        memo->SetPos(4, 3);
        QTest::keyClicks(memo.get(), "*)");
        QCOMPARE(attrString(*memo, 3), QStringLiteral("CCCCCTT"));
        QCOMPARE(attrString(*memo, 4), QStringLiteral("KK"));
    }

    void selectionAddsBlock()
    {
        load({"abc", "def"});
        memo->SetPos(2, 1);
        key(Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(!(memo->CharAttr(1, 1) & caSet(caBlock)));
        QVERIFY(memo->CharAttr(2, 1) & caSet(caBlock));
        QVERIFY(memo->CharAttr(1, 2) & caSet(caBlock));
        QVERIFY(!(memo->CharAttr(2, 2) & caSet(caBlock)));
        QCOMPARE(memo->GetSelText(), QStringLiteral("bc\nd"));
        key(Qt::Key_Right);
        QVERIFY(!memo->HasSelection());
        // Backspace and Delete remove a selection whole.
        for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Delete}) {
            memo->SetText({"abc", "def"});
            memo->SetPos(2, 1);
            key(Qt::Key_Down, Qt::ShiftModifier);
            key(k);
            QCOMPARE(memo->Lines(), QStringList{"aef"});
            QCOMPARE(memo->GetPos(), QPoint(2, 1));
        }
    }

    void thirtyThreeChangesLeaveThirtyTwoUndoSteps()
    {
        load({""});
        const QString typed = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFG");
        QCOMPARE(typed.size(), 33);
        QTest::keyClicks(memo.get(), typed);
        QCOMPARE(memo->Lines().at(0), typed);
        for (int i = 0; i < 32; ++i)
            key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("a"));
        QCOMPARE(memo->GetPos(), QPoint(2, 1));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("a"));
    }

    void undoRestoresTextAndCaret()
    {
        load({"  begin", "end"});
        memo->SetModified(false);
        memo->SetPos(8, 1);
        key(Qt::Key_Return);
        QCOMPARE(memo->Lines(), (QStringList{"  begin", "  ", "end"}));
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"  begin", "end"}));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"  begin", "  ", "end"}));
        QCOMPARE(memo->GetPos(), QPoint(3, 2));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"  begin", "end"}));
        QCOMPARE(memo->GetPos(), QPoint(8, 1));
        QVERIFY(memo->Modified());
        memo->SetText({"x"});
        QVERIFY(!memo->Modified());
        key(Qt::Key_Z, Qt::ControlModifier); // the new text has no history
        QCOMPARE(memo->Lines(), QStringList{"x"});
    }

    void searchSkipsTheCaretLine()
    {
        load({"foo bar", "baz", "Bar again"});
        QVERIFY(!memo->Find("foo"));
        QCOMPARE(memo->FooterText(), QStringLiteral("Text \"foo\" not found."));
        QVERIFY(memo->Find("bar"));
        QCOMPARE(memo->GetPos(), QPoint(1, 3));
        QCOMPARE(memo->FooterText(), QStringLiteral("3 : 1    "));
        // A one-line text is never searched.
        memo->SetText({"alone"});
        QVERIFY(!memo->Find("alone"));
    }

    void searchDialogAndF3()
    {
        load({"x", "Şehir ilçe", "y", "ŞEHİR"});
        TScriptedUi ui;
        ui.modalActions.append([](QDialog *dialog) {
            auto *search = qobject_cast<TSynMemoSearch *>(dialog);
            QVERIFY(search);
            QCOMPARE(search->windowTitle(), QStringLiteral("Search"));
            search->Edit()->setText(QStringLiteral("şehir"));
            QTest::keyClick(search->Edit(), Qt::Key_Return); // Enter confirms
        });
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(ui.modalShown.size(), 1);
        QCOMPARE(memo->GetPos(), QPoint(1, 2));
        QCOMPARE(memo->LastSearchText(), QStringLiteral("şehir"));
        key(Qt::Key_F3);
        QCOMPARE(memo->GetPos(), QPoint(1, 4));
        key(Qt::Key_F3);
        QCOMPARE(memo->FooterText(), QStringLiteral("Text \"şehir\" not found."));
        // A cancelled prompt keeps the text for F3 but does not search.
        memo->SetPos(1, 1);
        ui.modalActions.append([](QDialog *dialog) {
            static_cast<TSynMemoSearch *>(dialog)->Edit()->setText(QStringLiteral("y"));
            dialog->reject();
        });
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(1, 1));
        QCOMPARE(memo->LastSearchText(), QStringLiteral("y"));
        key(Qt::Key_F3);
        QCOMPARE(memo->GetPos(), QPoint(1, 3));
    }

    void returnIndentsAndMovesBookmarks()
    {
        load({"  if a then", "x", ""});
        memo->SetPos(1, 2);
        key(Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(memo->Bookmark(1), 1);
        memo->SetPos(12, 1);
        key(Qt::Key_Return);
        QCOMPARE(memo->Lines(), (QStringList{"  if a then", "  ", "x", ""}));
        QCOMPARE(memo->GetPos(), QPoint(3, 2));
        QCOMPARE(memo->Bookmark(1), 2);
        // From a blank line the new line keeps the caret's column.
        memo->SetPos(5, 4);
        key(Qt::Key_Return);
        QCOMPARE(memo->GetPos(), QPoint(5, 5));
        // Splitting inside a line carries the rest down.
        memo->SetPos(6, 1);
        key(Qt::Key_Return);
        QCOMPARE(memo->Lines().mid(0, 2), (QStringList{"  if ", "  a then"}));
    }

    void tabAlignsWithTheLineAbove()
    {
        load({"if abc  then", "  x", ""});
        memo->SetPos(1, 3);
        key(Qt::Key_Tab);
        QCOMPARE(memo->GetPos(), QPoint(3, 3)); // "  x" reaches column 1: past its blanks
        key(Qt::Key_Tab);
        QCOMPARE(memo->GetPos(), QPoint(4, 3)); // "  x": past the word x
        key(Qt::Key_Tab);
        QCOMPARE(memo->GetPos(), QPoint(9, 3)); // "if abc  then": past abc and its blanks
        key(Qt::Key_Tab);
        QCOMPARE(memo->GetPos(), QPoint(13, 3));
        key(Qt::Key_Tab); // nothing above reaches column 13
        QCOMPARE(memo->GetPos(), QPoint(13, 3));
        QCOMPARE(memo->Lines().at(2), QString(12, ' '));
        QVERIFY(memo->hasFocus());
    }

    void backspaceCases()
    {
        load({"begin", "  if x then", "    y", "", "z"});
        // On a blank line in the space beyond its end.
        memo->SetPos(7, 4);
        key(Qt::Key_Backspace);
        QCOMPARE(memo->GetPos(), QPoint(5, 4));
        QCOMPARE(memo->Lines().at(3), QString());
        // At the first non-blank column: back to the less indented line above.
        memo->SetPos(5, 3);
        key(Qt::Key_Backspace);
        QCOMPARE(memo->Lines().at(2), QStringLiteral("  y"));
        QCOMPARE(memo->GetPos(), QPoint(3, 3));
        key(Qt::Key_Backspace);
        QCOMPARE(memo->Lines().at(2), QStringLiteral("y"));
        QCOMPARE(memo->GetPos(), QPoint(1, 3));
        // At column 1 the line joins the one above; bookmarks below move up.
        memo->SetPos(1, 5);
        key(Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
        key(Qt::Key_Backspace);
        QCOMPARE(memo->Lines(), (QStringList{"begin", "  if x then", "y", "z"}));
        QCOMPARE(memo->GetPos(), QPoint(1, 4));
        QCOMPARE(memo->Bookmark(5), 3);
        // Inside a word: one character.
        memo->SetPos(4, 2);
        key(Qt::Key_Backspace);
        QCOMPARE(memo->Lines().at(1), QStringLiteral("  f x then"));
    }

    void deleteJoinsPastTheEnd()
    {
        load({"ab", "cd", "ef"});
        memo->SetPos(1, 3);
        key(Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
        memo->SetPos(5, 1);
        key(Qt::Key_Delete);
        QCOMPARE(memo->Lines(), (QStringList{"ab  cd", "ef"}));
        QCOMPARE(memo->Bookmark(2), 1);
        memo->SetPos(1, 1);
        key(Qt::Key_Delete);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("b  cd"));
        memo->SetPos(9, 2);
        key(Qt::Key_Delete); // the last line has nothing to join
        QCOMPARE(memo->Lines(), (QStringList{"b  cd", "ef"}));
    }

    void deleteLineWithCtrlY()
    {
        load({"a", "b", "c"});
        memo->SetPos(1, 3);
        key(Qt::Key_7, Qt::ControlModifier | Qt::ShiftModifier);
        memo->SetPos(1, 1);
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"b", "c"}));
        QCOMPARE(memo->Bookmark(7), 1);
        memo->SetPos(3, 2);
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"b", ""}));
        QCOMPARE(memo->GetPos(), QPoint(1, 2));
    }

    void blockIndentAndUnindent()
    {
        load({"a", " b", "", "c", "d"});
        memo->SetPos(1, 1);
        for (int i = 0; i < 4; ++i)
            key(Qt::Key_Down, Qt::ShiftModifier);
        // The selection ends in column 1 of line 5, so line 5 is not part of it.
        key(Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"  a", "   b", "  ", "  c", "d"}));
        key(Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"a", " b", "  ", "c", "d"}));
        key(Qt::Key_U, Qt::ControlModifier); // "a" has no indentation: nothing to remove
        QCOMPARE(memo->Lines(), (QStringList{"a", " b", "  ", "c", "d"}));
        key(Qt::Key_Tab); // Tab with a selection shifts the block too
        QCOMPARE(memo->Lines().at(0), QStringLiteral("  a"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("a"));
        // Without a selection Ctrl+I does nothing.
        key(Qt::Key_Right);
        key(Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("a"));
    }

    void navigationKeys()
    {
        load({"  alpha_1 := beta;  ", "x", "last one  "});
        memo->SetPos(5, 1);
        key(Qt::Key_End);
        QCOMPARE(memo->GetPos(), QPoint(19, 1));
        key(Qt::Key_Home);
        QCOMPARE(memo->GetPos(), QPoint(1, 1));
        key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(9, 3));
        key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(1, 1));
        memo->SetPos(4, 1);
        key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(14, 1)); // past alpha_1 and " := "
        key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(21, 1)); // stops at the line's end
        key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(21, 1));
        key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(14, 1));
        key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(3, 1));
        key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(1, 1));
        key(Qt::Key_Up);
        key(Qt::Key_Left);
        QCOMPARE(memo->GetPos(), QPoint(1, 1));
        memo->SetPos(1023, 3);
        key(Qt::Key_Right);
        key(Qt::Key_Right);
        key(Qt::Key_Down);
        QCOMPARE(memo->GetPos(), QPoint(1024, 3));
        // Shift extends from where the caret stood.
        memo->SetPos(3, 1);
        key(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
        key(Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(memo->GetSelText(), QStringLiteral("alpha_1 :="));
        key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(memo->GetSelText(), QStringLiteral("  alpha_1 := beta;  \nx\nlast one  "));
    }

    void pageKeysAndScrollBar()
    {
        QStringList lines;
        for (int i = 1; i <= 100; ++i)
            lines.append(QStringLiteral("line %1").arg(i));
        load(lines);
        const int visible = memo->VisibleLines();
        QVERIFY(visible > 3);
        QVERIFY(memo->verticalScrollBar()->isVisible());
        key(Qt::Key_PageDown);
        QCOMPARE(memo->GetPos(), QPoint(1, visible));
        QCOMPARE(memo->TopLine(), visible - 1);
        QCOMPARE(memo->verticalScrollBar()->value(), visible - 1);
        key(Qt::Key_PageDown, Qt::ShiftModifier);
        QCOMPARE(memo->GetPos(), QPoint(1, 2 * visible - 1));
        QCOMPARE(memo->GetSelText().count('\n'), visible - 1);
        key(Qt::Key_PageUp);
        key(Qt::Key_PageUp);
        key(Qt::Key_PageUp);
        QCOMPARE(memo->GetPos(), QPoint(1, 1));
        QCOMPARE(memo->TopLine(), 0);
        // The wheel scrolls the view one line per notch and leaves the caret.
        QWheelEvent wheel(QPointF(50, 50), memo->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -360),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(memo->viewport(), &wheel);
        QCOMPARE(memo->TopLine(), 3);
        QCOMPARE(memo->GetPos(), QPoint(1, 1));
        memo->verticalScrollBar()->setValue(10);
        QCOMPARE(memo->TopLine(), 10);
        // Placing the caret below the view scrolls it to the last visible line.
        memo->SetPos(1, 80);
        QCOMPARE(memo->TopLine(), 80 - visible);
        memo->SetText({"short"});
        QApplication::processEvents();
        QVERIFY(!memo->verticalScrollBar()->isVisible());
    }

    void bookmarks()
    {
        load({"a", "b", "c", "d"});
        memo->SetPos(1, 3);
        key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(memo->Bookmark(3), 2);
        key(Qt::Key_4, Qt::ControlModifier | Qt::ShiftModifier); // the line already holds 3
        QCOMPARE(memo->Bookmark(4), -1);
        memo->SetPos(1, 1);
        key(Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(memo->GetPos(), QPoint(1, 3));
        key(Qt::Key_4, Qt::ControlModifier); // unset: stays
        QCOMPARE(memo->GetPos(), QPoint(1, 3));
        key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(memo->Bookmark(3), -1);
        // Pasting two lines above moves the bookmark with its text.
        key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
        memo->SetPos(1, 2);
        QGuiApplication::clipboard()->setText(QStringLiteral("p\nq\n"));
        key(Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(memo->Lines(), (QStringList{"a", "p", "q", "b", "c", "d"}));
        QCOMPARE(memo->Bookmark(3), 4);
    }

    void clipboardKeys()
    {
        load({"one two", "three"});
        memo->SetPos(5, 1);
        key(Qt::Key_End, Qt::ShiftModifier);
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("two"));
        key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("one "));
        memo->SetPos(1, 2);
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(memo->Lines().at(1), QStringLiteral("twothree"));
        key(Qt::Key_End, Qt::ShiftModifier);
        key(Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("three"));
        key(Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(memo->Lines().at(1), QStringLiteral("two"));
        // Typing replaces the selection.
        key(Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(memo.get(), 'z');
        QCOMPARE(memo->Lines().at(1), QStringLiteral("z"));
    }

    void readOnlyRefusesChanges()
    {
        load({"abc", "def"});
        memo->SetReadOnly(true);
        memo->SetPos(2, 1);
        QTest::keyClicks(memo.get(), "xy");
        for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Tab})
            key(k);
        key(Qt::Key_Y, Qt::ControlModifier);
        key(Qt::Key_A, Qt::ControlModifier);
        key(Qt::Key_I, Qt::ControlModifier);
        key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(memo->Lines(), (QStringList{"abc", "def"}));
        QVERIFY(!memo->Modified());
    }

    void mouse()
    {
        load({"alpha beta", "gamma"});
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
        QCOMPARE(memo->GetPos(), QPoint(3, 2));
        QVERIFY(!memo->HasSelection());
        // Dragging selects.
        QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, cellCentre(2, 1));
        QMouseEvent move(QEvent::MouseMove, cellCentre(5, 1), memo->viewport()->mapToGlobal(cellCentre(5, 1)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(memo->viewport(), &move);
        QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, cellCentre(5, 1));
        QCOMPARE(memo->GetSelText(), QStringLiteral("lph"));
        // A double click selects the word under the pointer.
        QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, cellCentre(8, 1));
        QCOMPARE(memo->GetSelText(), QStringLiteral("beta"));
        // A click in the gutter goes to column 1.
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(5, cellCentre(1, 2).y()));
        QCOMPARE(memo->GetPos(), QPoint(1, 2));
    }

    void contextMenu()
    {
        load({"alpha beta"});
        memo->SetPos(1, 1);
        key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::mousePress(memo->viewport(), Qt::RightButton, {}, cellCentre(9, 1));
        QMenu *menu = memo->findChild<QMenu *>();
        QVERIFY(menu && menu->isVisible());
        QStringList captions;
        for (QAction *a : menu->actions())
            captions.append(a->text());
        QCOMPARE(captions, (QStringList{"Cut", "Copy", "Paste"}));
        // The built-in menu's press keeps the selection for the command.
        menu->actions().at(0)->trigger();
        menu->hide();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("alpha "));
        QCOMPARE(memo->Lines().at(0), QStringLiteral("beta"));
        menu->actions().at(2)->trigger();
        QCOMPARE(memo->Lines().at(0), QStringLiteral("alpha beta"));

        // With a menu of the host's own, a right press places the caret and shows that menu.
        QMenu own;
        own.addAction(QStringLiteral("x"));
        memo->SetPopupMenu(&own);
        QTest::mousePress(memo->viewport(), Qt::RightButton, {}, cellCentre(3, 1));
        QVERIFY(own.isVisible());
        QVERIFY(!menu->isVisible());
        QCOMPARE(memo->GetPos(), QPoint(3, 1));
        own.hide();
    }

    // Typing repaints the caret's line and the footer, not the view.
    void typingRepaintsOnlyTheChangedLine()
    {
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines.append(QStringLiteral("x := x + %1; // step").arg(i));
        load(lines, QSize(500, 400));
        memo->SetPos(5, 6);
        QApplication::processEvents();
        TPaintSpy spy;
        memo->viewport()->installEventFilter(&spy);
        QTest::keyClick(memo.get(), 'a');
        QApplication::processEvents();
        const int lh = memo->LineHeight();
        const QRect caretRow(0, 5 * lh, memo->viewport()->width(), lh);
        const QRect footer(0, memo->viewport()->height() - TqpSyntaxMemo::BarSize, memo->viewport()->width(),
                           TqpSyntaxMemo::BarSize);
        QVERIFY(!spy.painted.isEmpty());
        QCOMPARE(spy.painted - (QRegion(caretRow) + footer), QRegion());
        // Opening a comment repaints the lines it recolours.
        spy.painted = QRegion();
        QTest::keyClick(memo.get(), '{');
        QApplication::processEvents();
        QVERIFY(spy.painted.contains(QRect(40, memo->viewport()->height() - TqpSyntaxMemo::BarSize - lh, 1, 1)));
    }

    void drawing()
    {
        load({"begin x := 'str'; { note } end", "", "plain"}, QSize(500, 200));
        memo->SetPos(1, 2);
        QApplication::processEvents();
        const int lh = memo->LineHeight(), cw = memo->CharWidth(), gw = TqpSyntaxMemo::BarSize;
        auto cells = [&](int column, int count, int line) {
            return QRect(gw + (column - 1) * cw, (line - 1) * lh, count * cw, lh);
        };
        QImage image = memo->viewport()->grab().toImage();
        QVERIFY(countPixels(image, cells(1, 5, 1), isDark) > 20);       // begin
        QCOMPARE(countPixels(image, cells(1, 5, 1), isBluish), 0);
        QVERIFY(countPixels(image, cells(12, 5, 1), isBluish) > 10);    // 'str'
        QCOMPARE(countPixels(image, cells(12, 5, 1), isDark), 0);
        QVERIFY(countPixels(image, cells(19, 8, 1), isBluish) > 10);    // { note }
        QVERIFY(countPixels(image, cells(1, 5, 3), isDark) > 10);       // plain
        // The bold keyword is heavier than the same letters plain.
        memo->SetText({"begin", "BEGIX"});
        QApplication::processEvents();
        image = memo->viewport()->grab().toImage();
        QVERIFY(countPixels(image, cells(1, 4, 1), isDark) > countPixels(image, cells(1, 4, 2), isDark));

        // Gutter: a green bookmark box and the red active-line disc.
        memo->SetText({"a", "b", "c"});
        memo->SetPos(1, 3);
        key(Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
        memo->SetActiveLine(0);
        QApplication::processEvents();
        image = memo->viewport()->grab().toImage();
        QCOMPARE(QColor(image.pixel(3, 2 * lh + 10)), QColor(0, 128, 0));
        QCOMPARE(QColor(image.pixel(7, 7)), QColor(255, 0, 0));
        QCOMPARE(QColor(image.pixel(7, lh + 7)), QColor(0xF0, 0xF0, 0xF0));
        // A selection is drawn in the block colours across the view.
        key(Qt::Key_Up, Qt::ShiftModifier);
        key(Qt::Key_Up, Qt::ShiftModifier);
        QApplication::processEvents();
        image = memo->viewport()->grab().toImage();
        QCOMPARE(QColor(image.pixel(gw + 10 * cw, lh + lh / 2)), QColor(0, 0, 128));
        // Footer: a message on its maroon bar until the caret moves.
        memo->ShowMessage(QStringLiteral("Line 3/1: Need \"then\" here"));
        QApplication::processEvents();
        image = memo->viewport()->grab().toImage();
        const int bottom = memo->viewport()->height() - 2;
        QCOMPARE(QColor(image.pixel(2, bottom)), QColor(128, 0, 0));
        key(Qt::Key_Right);
        QCOMPARE(memo->FooterText(), QStringLiteral("1 : 2    "));
        QApplication::processEvents();
        image = memo->viewport()->grab().toImage();
        QCOMPARE(QColor(image.pixel(2, bottom)), QColor(0xF0, 0xF0, 0xF0));
    }

    // Another font is measured again and drawn cell by cell, so narrow and
    // wide letters keep to the same grid as the caret.
    void proportionalFontKeepsTheGrid()
    {
        load({"iiiiiiiiii", "WWWWWWWWWW", QString(60, 'W')}, QSize(700, 200));
        const int courierWidth = memo->CharWidth();
        memo->setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
        QVERIFY(memo->CharWidth() != courierWidth);
        memo->SetPos(2, 2);
        QApplication::processEvents();
        const QImage image = memo->viewport()->grab().toImage();
        const int lh = memo->LineHeight(), cw = memo->CharWidth(), gw = TqpSyntaxMemo::BarSize;
        auto lastDarkColumn = [&](int line) {
            int last = -1;
            for (int x = gw; x < image.width(); ++x)
                for (int y = (line - 1) * lh; y < line * lh; ++y)
                    if (isDark(image.pixel(x, y)) && x > gw + 2 * cw) // past the caret
                        last = x;
            return last;
        };
        QCOMPARE((lastDarkColumn(1) - gw) / cw, 9);
        QCOMPARE((lastDarkColumn(2) - gw) / cw, 9);
    }

    // Courier New is drawn a run at a time; its runs still advance one cell per character.
    void courierRunsKeepToTheGrid()
    {
        load({QString(60, 'W') + QStringLiteral("i")}, QSize(700, 100));
        memo->SetPos(1, 1);
        QApplication::processEvents();
        const QImage image = memo->viewport()->grab().toImage();
        const int cw = memo->CharWidth(), gw = TqpSyntaxMemo::BarSize;
        int last = -1;
        for (int x = gw; x < image.width(); ++x)
            for (int y = 0; y < memo->LineHeight(); ++y)
                if (isDark(image.pixel(x, y)))
                    last = x;
        QCOMPARE((last - gw) / cw, 60);
    }

    void shortcutsOfTheWindowDoNotStealKeys()
    {
        load({"abc"});
        QAction undoAll(memo.get());
        undoAll.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
        int fired = 0;
        connect(&undoAll, &QAction::triggered, [&] { ++fired; });
        memo->addAction(&undoAll);
        undoAll.setShortcutContext(Qt::WindowShortcut);
        memo->SetPos(4, 1);
        QTest::keyClick(memo.get(), 'd');
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fired, 0);
        QCOMPARE(memo->Lines().at(0), QStringLiteral("abc"));
    }
};

QTEST_MAIN(TestSyntaxMemo)
#include "test_syntax_memo.moc"
