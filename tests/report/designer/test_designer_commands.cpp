// The designer's editing commands on a real canvas: the system clipboard
// in both directions, pasting places and names, unique bands, z-order,
// every alignment and spacing command with the reference object and
// restrictions, band packing, fit to grid, and undo of each.

#include "designer_fixture.h"
#include "report/core/exceptions.h"
#include "report/designer/designer_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>

class TestDesignerCommands : public QObject {
    Q_OBJECT

    TDesignerFixture f;
    std::unique_ptr<TqpDesignerCommands> cmd;

    static QPoint pos(const TqpView *v) { return {v->Left, v->Top}; }

private slots:
    void init()
    {
        DesignerRestrictions = 0;
        qpDesignerClipboard.clear();
        QGuiApplication::clipboard()->clear();
        f.open(2);
        cmd = std::make_unique<TqpDesignerCommands>(f.state);
    }

    void cleanup()
    {
        cmd.reset();
        f.close();
    }

    void selectAllTakesBands()
    {
        f.band(QStringLiteral("Band1"), btMasterData, 100, 40);
        f.text(QStringLiteral("Memo1"), {10, 10, 50, 20});
        QSignalSpy changed(f.state, &TqpDesignerState::selectionChanged);
        cmd->SelectAll();
        QCOMPARE(f.state->SelCount(), 2);
        QVERIFY(changed.count() >= 1);
        QVERIFY(f.state->CornerObject);
    }

    void copyPutsObjectsAndTextsOnTheSystemClipboard()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {100, 80, 50, 20});
        b->Memo = QStringList{QStringLiteral("Adı"), QStringLiteral("Soyadı")};
        f.select({a, b});
        cmd->Copy();
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime->hasFormat(QLatin1String(qpObjectsMimeType)));
        QCOMPARE(mime->text(), QStringLiteral("text of Memo1\nAdı\nSoyadı"));
        QCOMPARE(qpDesignerClipboard.size(), 2);
        QVERIFY(f.state->PasteEnabled());
    }

    void pasteTwiceGivesTwoCopiesWithNewNames()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {100, 80, 60, 24});
        f.select({a, b});
        cmd->Copy();
        cmd->Paste();
        cmd->Paste();
        QCOMPARE(f.names(), (QStringList{"Memo1", "Memo2", "Memo3", "Memo4", "Memo5", "Memo6"}));
        TqpPage *p = f.page();
        // Arranged as copied, the group's top-left corner at the page origin.
        for (int i : {2, 4}) {
            QCOMPARE(pos(p->Items.at(i)), QPoint(0, 0));
            QCOMPARE(pos(p->Items.at(i + 1)), QPoint(60, 20));
            QCOMPARE(p->Items.at(i + 1)->Width, 60);
            QCOMPARE(p->Items.at(i + 1)->Memo, QStringList{"text of Memo2"});
        }
        // The second paste's objects are the selection, and one undo takes them away.
        QCOMPARE(f.state->Selection(), (QList<TqpView *>{p->Items.at(4), p->Items.at(5)}));
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(f.names(), (QStringList{"Memo1", "Memo2", "Memo3", "Memo4"}));
        f.state->Undo(f.state->RedoBuffer);
        QCOMPARE(f.names(), (QStringList{"Memo1", "Memo2", "Memo3", "Memo4", "Memo5", "Memo6"}));
    }

    void pasteOntoAnotherPageKeepsNamesFreeThere()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        f.select({a});
        cmd->Copy();
        f.state->SetCurPage(1);
        cmd->Paste();
        // Names are unique in the whole report, not only on the page.
        QCOMPARE(f.names(1), QStringList{"Memo2"});
    }

    void pasteWhenScrolledLandsNearTheVisibleCorner()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        f.select({a});
        cmd->Copy();
        cmd->Paste(QPoint(-101, -37));
        TqpView *v = f.page()->Items.last();
        QCOMPARE(pos(v), QPoint(100, 36));
    }

    void pasteOntoSelectedBandPutsObjectsAtItsTop()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {40, 90, 50, 20});
        f.select({a, b});
        cmd->Copy();
        auto *band = f.band(QStringLiteral("Band1"), btMasterData, 300, 40);
        f.select({band});
        cmd->Paste();
        const QList<TqpView *> pasted = f.state->Selection();
        QCOMPARE(pasted.size(), 2);
        for (TqpView *v : pasted)
            QCOMPARE(v->Top, 300);
        QVERIFY(!band->Selected);
        // Undo takes the pasted objects away and leaves the band.
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(f.names(), (QStringList{"Band1", "Memo1", "Memo2"}));
    }

    void pasteDropsASecondUniqueBand()
    {
        auto *header = f.band(QStringLiteral("Band1"), btPageHeader, 20, 40);
        auto *a = f.text(QStringLiteral("Memo1"), {40, 30, 50, 20});
        f.select({header, a});
        cmd->Copy();
        f.state->Unselect();
        cmd->Paste();
        QCOMPARE(f.names(), (QStringList{"Band1", "Memo1", "Memo2"}));
        // A data band may come twice.
        auto *data = f.band(QStringLiteral("Band2"), btMasterData, 200, 40);
        f.select({data});
        cmd->Copy();
        cmd->Paste();
        QCOMPARE(f.page()->Items.at(2)->Name, QStringLiteral("Band3"));
    }

    void pasteOfForeignOrDamagedClipboard()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        f.select({a});
        cmd->Copy();
        // Another program's text replaces the system clipboard: our own copy stays.
        QGuiApplication::clipboard()->setText(QStringLiteral("from another program"));
        cmd->Paste();
        QCOMPARE(f.names(), (QStringList{"Memo1", "Memo2"}));
        // Our format with a cut-off stream pastes nothing and records nothing.
        auto *mime = new QMimeData;
        QByteArray packed;
        QDataStream out(&packed, QIODevice::WriteOnly);
        out << quint32(1) << QByteArray("\x00\x05\x00Me", 5);
        mime->setData(QLatin1String(qpObjectsMimeType), packed);
        QGuiApplication::clipboard()->setMimeData(mime);
        const int undo = f.state->UndoBuffer.Count();
        cmd->Paste();
        QCOMPARE(f.names(), (QStringList{"Memo1", "Memo2"}));
        QCOMPARE(f.state->UndoBuffer.Count(), undo);
    }

    void pasteRefusedWhenCreatingIsForbidden()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        f.select({a});
        cmd->Copy();
        DesignerRestrictions = 1u << qpdrDontCreateObj;
        cmd->Paste();
        QCOMPARE(f.names(), QStringList{"Memo1"});
    }

    void cutDeletesAndUndoBringsBack()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {40, 60, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {40, 90, 50, 20});
        b->Restrictions = rsNoDelete;
        f.select({a, b});
        cmd->Cut();
        // Both are on the clipboard; the protected one stays on the page.
        QCOMPARE(TqpDesignerCommands::ClipboardStreams().size(), 2);
        QCOMPARE(f.names(), QStringList{"Memo2"});
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(f.names(), (QStringList{"Memo1", "Memo2"}));
    }

    void zOrderKeepsRelativeOrder()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {10, 10, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {10, 40, 50, 20});
        f.text(QStringLiteral("Memo3"), {10, 70, 50, 20});
        auto *d = f.text(QStringLiteral("Memo4"), {10, 100, 50, 20});
        auto *band = f.band(QStringLiteral("Band1"), btMasterData, 300, 40);
        f.select({a, d, band});
        cmd->BringToFront();
        QCOMPARE(f.names(), (QStringList{"Band1", "Memo2", "Memo3", "Memo1", "Memo4"}));
        f.select({b, d});
        cmd->SendToBack();
        QCOMPARE(f.names(), (QStringList{"Band1", "Memo2", "Memo4", "Memo3", "Memo1"}));
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(f.names(), (QStringList{"Band1", "Memo2", "Memo3", "Memo1", "Memo4"}));
        // An object that may not move keeps its place in the list.
        d->Restrictions = rsNoMove;
        f.select({b, d});
        cmd->SendToBack();
        QCOMPARE(f.names(), (QStringList{"Band1", "Memo2", "Memo3", "Memo1", "Memo4"}));
    }

    void alignments_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<QPoint>>("expected");
        // Reference: the first object clicked, at (100, 50) sized 80 x 30.
        // Others: (20, 10) 40 x 10 and (300, 200) 21 x 51 (may not move: third row).
        QTest::newRow("left") << int(acAlignLeft) << QList<QPoint>{{100, 50}, {100, 10}};
        QTest::newRow("horizontal centre") << int(acAlignHCenter) << QList<QPoint>{{100, 50}, {120, 10}};
        QTest::newRow("right") << int(acAlignRight) << QList<QPoint>{{100, 50}, {140, 10}};
        QTest::newRow("top") << int(acAlignTop) << QList<QPoint>{{100, 50}, {20, 50}};
        QTest::newRow("vertical centre") << int(acAlignVCenter) << QList<QPoint>{{100, 50}, {20, 60}};
        QTest::newRow("bottom") << int(acAlignBottom) << QList<QPoint>{{100, 50}, {20, 70}};
    }

    void alignments()
    {
        QFETCH(int, command);
        QFETCH(QList<QPoint>, expected);
        auto *r = f.text(QStringLiteral("Memo1"), {100, 50, 80, 30});
        auto *o = f.text(QStringLiteral("Memo2"), {20, 10, 40, 10});
        auto *fixed = f.text(QStringLiteral("Memo3"), {300, 200, 21, 51});
        fixed->Restrictions = rsNoMove;
        f.select({r, o, fixed});
        QVERIFY(cmd->AlignEnabled(command));
        cmd->Align(command);
        QCOMPARE(pos(r), expected.at(0));
        QCOMPARE(pos(o), expected.at(1));
        QCOMPARE(pos(fixed), QPoint(300, 200));
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(pos(f.page()->Items.at(1)), QPoint(20, 10));
    }

    void referenceIsLatestInListWithoutAClickedOne()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {100, 50, 80, 30});
        auto *b = f.text(QStringLiteral("Memo2"), {20, 10, 40, 10});
        cmd->SelectAll();
        QCOMPARE(f.state->RefObject, nullptr);
        cmd->Align(acAlignLeft);
        QCOMPARE(a->Left, 20);
        QCOMPARE(b->Left, 20);
    }

    void spacingEqualises_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("horizontal") << int(acSpaceHorizontally);
        QTest::newRow("vertical") << int(acSpaceVertically);
    }

    void spacingEqualises()
    {
        QFETCH(int, command);
        const bool h = command == acSpaceHorizontally;
        const auto at = [h](int c) { return h ? QRect(c, 400, 16, 16) : QRect(400, c, 16, 16); };
        auto *last = f.text(QStringLiteral("Memo1"), at(100));
        auto *middle = f.text(QStringLiteral("Memo2"), at(30));
        auto *first = f.text(QStringLiteral("Memo3"), at(10));
        f.select({last, middle});
        QVERIFY(!cmd->AlignEnabled(command));
        f.select({last, middle, first});
        QCOMPARE(f.state->SelCount(), 3);
        cmd->Align(command);
        QCOMPARE(h ? middle->Left : middle->Top, 55);
        QCOMPARE(h ? first->Left : first->Top, 10);
        QCOMPARE(h ? last->Left : last->Top, 100);
    }

    void centreOnThePage()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {10, 20, 100, 30});
        f.select({a});
        cmd->Align(acCenterHorizontally);
        QCOMPARE(a->Left, (f.page()->SheetWidth() - 100) / 2);
        cmd->Align(acCenterVertically);
        QCOMPARE(a->Top, (f.page()->SheetHeight() - 30) / 2);
    }

    void alignmentRefusedWhenMovingIsForbidden()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {100, 50, 80, 30});
        auto *b = f.text(QStringLiteral("Memo2"), {20, 10, 40, 10});
        f.select({a, b});
        DesignerRestrictions = 1u << qpdrDontMoveObj;
        cmd->Align(acAlignLeft);
        QCOMPARE(b->Left, 20);
        QCOMPARE(f.state->UndoBuffer.Count(), 0);
    }

    void bandPackingTakesUnselectedObjectsAndUndoesThem()
    {
        auto *band = f.band(QStringLiteral("Band1"), btMasterData, 100, 40);
        auto *a = f.text(QStringLiteral("Memo1"), {300, 110, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {200, 104, 30, 20});
        auto *outside = f.text(QStringLiteral("Memo3"), {10, 130, 30, 20}); // reaches below the band
        const int lm = f.page()->LeftMargin(), rm = f.page()->RightMargin();
        f.select({band});
        cmd->Align(acAlignLeft);
        QCOMPARE(pos(b), QPoint(lm, 100));
        QCOMPARE(pos(a), QPoint(lm + 30, 100));
        QCOMPARE(pos(outside), QPoint(10, 130));
        cmd->Align(acAlignRight);
        QCOMPARE(pos(a), QPoint(rm - 50, 100));
        QCOMPARE(pos(b), QPoint(rm - 80, 100));
        f.state->Undo(f.state->UndoBuffer);
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(pos(a), QPoint(300, 110));
        QCOMPARE(pos(b), QPoint(200, 104));
    }

    void fitToGrid()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {5, 6, 3, 1});
        auto *b = f.text(QStringLiteral("Memo2"), {41, 42, 13, 15});
        b->Restrictions = rsNoResize;
        f.select({a, b});
        cmd->FitToGrid();
        QCOMPARE(QRect(a->Left, a->Top, a->Width, a->Height), QRect(4, 8, 4, 4));
        QCOMPARE(QRect(b->Left, b->Top, b->Width, b->Height), QRect(40, 40, 13, 15));
        f.state->Undo(f.state->UndoBuffer);
        a = static_cast<TqpMemoView *>(f.page()->Items.at(0));
        QCOMPARE(QRect(a->Left, a->Top, a->Width, a->Height), QRect(5, 6, 3, 1));
    }

    void propertyButtonsAndBoxes()
    {
        auto *a = f.text(QStringLiteral("Memo1"), {10, 10, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {10, 40, 50, 20});
        auto *fixed = f.text(QStringLiteral("Memo3"), {10, 70, 50, 20});
        fixed->Restrictions = rsNoModify;
        auto *band = f.band(QStringLiteral("Band1"), btMasterData, 300, 40);
        f.select({a, b, fixed, band});
        QSignalSpy selection(f.state, &TqpDesignerState::selectionChanged);
        cmd->DoClick(ptAllFrames);
        QCOMPARE(a->FrameTyp, quint16(15));
        QCOMPARE(b->FrameTyp, quint16(15));
        QCOMPARE(fixed->FrameTyp, quint16(0));
        QCOMPARE(band->FrameTyp, quint16(btMasterData));
        QCOMPARE(f.state->Defaults.FrameTyp, quint16(15));
        QCOMPARE(selection.count(), 1);
        cmd->DoClick(ptFrameLeft, Variant(false));
        QCOMPARE(a->FrameTyp, quint16(15 & ~qpftLeft));
        cmd->DoClick(ptBold, Variant(true));
        cmd->DoClick(ptItalic, Variant(true));
        cmd->DoClick(ptItalic, Variant(false));
        QCOMPARE(qpGetFontStyle(a->Font.Style), 2);
        QCOMPARE(fixed->Font.Style, 0);
        cmd->DoClick(ptFrameWidth, Variant(QStringLiteral("2.5")));
        QCOMPARE(b->FrameWidth, 2.5f);
        cmd->DoClick(ptFrameWidth, Variant(QStringLiteral("1,5")));
        QCOMPARE(b->FrameWidth, 1.5f);
        QCOMPARE(f.state->Defaults.FrameWidth, 1.5f);
        cmd->DoClick(ptFontSize, Variant(QStringLiteral("14")));
        QCOMPARE(a->Font.Size, 14);
        cmd->DoClick(ptAlignCenter);
        cmd->DoClick(ptVertical, Variant(int(qptaDown)));
        QCOMPARE(a->Alignment, qptaCenter | qptaDown);
        cmd->DoClick(ptLineStyle + 2);
        QCOMPARE(b->FrameStyle, quint16(2));
        cmd->DoClick(ptFontColor, Variant(0xFF));
        QCOMPARE(b->Font.Color, 0xFFu);
        // Each change is one undo step.
        const int steps = f.state->UndoBuffer.Count();
        QCOMPARE(steps, 12);
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(static_cast<TqpMemoView *>(f.page()->Items.at(2))->Font.Color, 0u);
    }

    void badBoxTextsAreRefused_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("font size letters") << int(ptFontSize) << "abc" << "'abc' geçerli bir tamsayı değil";
        QTest::newRow("font size nothing") << int(ptFontSize) << "0" << "Font.Size sıfırdan büyük olmalı";
        QTest::newRow("frame width letters") << int(ptFrameWidth) << "x1" << "'x1' geçerli bir sayı değil";
        QTest::newRow("frame width negative") << int(ptFrameWidth) << "-2" << "FrameWidth sıfırdan küçük olamaz";
    }

    void badBoxTextsAreRefused()
    {
        QFETCH(int, tag);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto *a = f.text(QStringLiteral("Memo1"), {10, 10, 50, 20});
        f.select({a});
        try {
            cmd->DoClick(tag, Variant(text));
            QFAIL("accepted");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(a->Font.Size, 10);
        QCOMPARE(a->FrameWidth, 1.0f);
        QCOMPARE(f.state->UndoBuffer.Count(), 0);
        QVERIFY(!f.state->GetModified());
    }
};

#include "test_designer_commands.moc"

int runDesignerCommandTests(int argc, char **argv)
{
    TestDesignerCommands t;
    return QTest::qExec(&t, argc, argv);
}
