// The designer's page canvas in a plain window, driven by real pointer and
// key events: insertion at the default size, band drags with and without
// their contents, handle flipping, edge splitting, rubber bands, grid
// alignment, undo and redo with their limits and pages, restrictions,
// pages that are large or hold objects without a proper size, repaints after
// a drag, and the font of new text.

#include "report/designer/band_type_form.h"
#include "report/designer/designer_page.h"
#include "report/designer/designer_state.h"
#include "report/designer/status_box.h"
#include "report/expr/expr_globals.h"
#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "canvas.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QDropEvent>
#include <QPaintEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <memory>

namespace {

struct Rect {
    int l, t, w, h;
};

// Collects what the canvas is asked to repaint.
class PaintSpy : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

} // namespace

class TestDesignerPage : public QObject {
    Q_OBJECT

    std::unique_ptr<TqpReport> report;
    std::unique_ptr<QScrollArea> window;
    TqpDesignerState *state = nullptr;
    TqpDesignerPage *canvas = nullptr;
    std::unique_ptr<TScriptedUi> ui;
    int editorCalls = 0;

    TqpPage *page() { return state->Page(); }

    TqpMemoView *memo(const QString &name, Rect r, int pageIndex = 0)
    {
        auto *v = static_cast<TqpMemoView *>(qpCreateObject(vkText, QString()));
        v->Name = name;
        v->SetBounds(r.l, r.t, r.w, r.h);
        v->Memo = QStringList{name};
        TqpPage *p = report->Pages.GetPages(pageIndex);
        v->OwnerPage = p;
        p->Items.append(v);
        return v;
    }

    TqpBandView *band(const QString &name, int type, int top, int height)
    {
        auto *b = static_cast<TqpBandView *>(qpCreateObject(vkBand, QString()));
        b->Name = name;
        b->SetBandType(type);
        b->SetBounds(0, top, page()->SheetWidth(), height);
        b->OwnerPage = page();
        page()->Items.append(b);
        state->ArrangeBands();
        return b;
    }

    // Opens the canvas on a report with `pages` empty template pages.
    void open(int pages = 1)
    {
        window.reset();
        report = std::make_unique<TqpReport>();
        CurReport = report.get();
        for (int i = 0; i < pages; ++i)
            report->Pages.Add();
        window = std::make_unique<QScrollArea>();
        window->resize(900, 700);
        state = new TqpDesignerState(report.get(), window.get());
        canvas = new TqpDesignerPage(state, window.get());
        state->SetCurPage(0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // A pointer move with no button down, as when the operator hovers.
    void hover(QPoint p, Qt::KeyboardModifiers mods = {})
    {
        QMouseEvent me(QEvent::MouseMove, p, canvas->mapToGlobal(p), Qt::NoButton, Qt::NoButton, mods);
        QApplication::sendEvent(canvas, &me);
    }

    void press(QPoint p, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(canvas, Qt::LeftButton, mods, p);
    }

    void move(QPoint p, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseEvent(QTest::MouseMove, canvas, Qt::NoButton, mods, p);
    }

    void release(QPoint p, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseRelease(canvas, Qt::LeftButton, mods, p);
    }

    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
    {
        hover(from);
        press(from);
        move(to, mods);
        release(to, mods);
    }

    void click(QPoint p, Qt::KeyboardModifiers mods = {})
    {
        hover(p, mods);
        press(p, mods);
        release(p, mods);
    }

    static Rect rectOf(const TqpView *v) { return {v->Left, v->Top, v->Width, v->Height}; }

    static void compareRect(const TqpView *v, Rect r)
    {
        QCOMPARE(v->Left, r.l);
        QCOMPARE(v->Top, r.t);
        QCOMPARE(v->Width, r.w);
        QCOMPARE(v->Height, r.h);
    }

private slots:
    void initTestCase()
    {
        qpPrinterStartup();
        qpInitExpressionGlobals();
        qpInitModelGlobals();
        qpMemoEditor = [this](TqpObject *) { ++editorCalls; };
    }

    void init()
    {
        ui = std::make_unique<TScriptedUi>();
        DesignerRestrictions = 0;
        editorCalls = 0;
        open();
    }

    void cleanup()
    {
        window.reset();
        report.reset();
        CurReport = nullptr;
        CurPage = nullptr;
        qpDesignerPage = nullptr;
        ui.reset();
    }

    void cleanupTestCase()
    {
        qpMemoEditor = nullptr;
        qpDoneModelGlobals();
        qpDoneExpressionGlobals();
        qpPrinterShutdown();
    }

    void textToolClickInsertsDefaultSize_data()
    {
        QTest::addColumn<int>("grid");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("grid 4") << 4 << 10 << QPoint(101, 53) << QRect(100, 52, 96, 20);
        QTest::newRow("grid 18") << 18 << 10 << QPoint(101, 53) << QRect(90, 36, 108, 18);
        QTest::newRow("grid 8, font 14") << 8 << 14 << QPoint(101, 53) << QRect(96, 48, 96, 24);
    }

    void textToolClickInsertsDefaultSize()
    {
        QFETCH(int, grid);
        QFETCH(int, fontSize);
        QFETCH(QPoint, at);
        QFETCH(QRect, expected);
        state->SetGridSize(grid);
        state->Defaults.FontSize = fontSize;
        canvas->SetTool(dtText);
        click(at);
        QCOMPARE(page()->Items.size(), 1);
        auto *v = dynamic_cast<TqpMemoView *>(page()->Items.first());
        QVERIFY(v);
        compareRect(v, {expected.x(), expected.y(), expected.width(), expected.height()});
        QCOMPARE(v->Name, QStringLiteral("Memo1"));
        QCOMPARE(v->Font.Size, fontSize);
        QVERIFY(v->Selected);
        QCOMPARE(editorCalls, 1); // edit after insert
        QCOMPARE(canvas->Tool, int(dtSelect));
        QCOMPARE(state->UndoBuffer.Count(), 1);
        QCOMPARE(state->UndoBuffer.At(0).Action, acInsert);
        // Undoing the insertion removes it; redoing brings the same object back.
        state->Undo(state->UndoBuffer);
        QVERIFY(page()->Items.isEmpty());
        state->Undo(state->RedoBuffer);
        QCOMPARE(page()->Items.size(), 1);
        QCOMPARE(page()->Items.first()->Name, QStringLiteral("Memo1"));
    }

    void insertionDragUsesOutlineAndShiftKeepsTool()
    {
        canvas->SetTool(dtPicture, true);
        drag(QPoint(40, 40), QPoint(121, 83));
        QCOMPARE(page()->Items.size(), 1);
        compareRect(page()->Items.at(0), {40, 40, 80, 40});
        QCOMPARE(canvas->Tool, int(dtPicture));
        // A click takes the outline that followed the pointer...
        click(QPoint(301, 302));
        QCOMPARE(page()->Items.size(), 2);
        compareRect(page()->Items.at(1), {300, 300, 96, 20});
        // ...a drag without width gets the size of a picture.
        drag(QPoint(500, 500), QPoint(500, 540));
        QCOMPARE(page()->Items.size(), 3);
        compareRect(page()->Items.at(2), {500, 500, 36, 36});
    }

    void bandDragCarriesObjectsUnlessAlt_data()
    {
        QTest::addColumn<bool>("alt");
        QTest::newRow("carries") << false;
        QTest::newRow("alone with Alt") << true;
    }

    void bandDragCarriesObjectsUnlessAlt()
    {
        QFETCH(bool, alt);
        TqpBandView *b = band(QStringLiteral("MasterData1"), btMasterData, 100, 40);
        TqpMemoView *inside = memo(QStringLiteral("In"), {20, 110, 50, 20});
        TqpMemoView *edge = memo(QStringLiteral("Edge"), {100, 100, 50, 40}); // edges inclusive
        TqpMemoView *across = memo(QStringLiteral("Across"), {200, 130, 50, 20});
        hover(QPoint(400, 120));
        press(QPoint(400, 120));
        move(QPoint(400, 136), alt ? Qt::AltModifier : Qt::KeyboardModifiers());
        release(QPoint(400, 136));
        QCOMPARE(b->Top, 116);
        QCOMPARE(inside->Top, alt ? 110 : 126);
        QCOMPARE(edge->Top, alt ? 100 : 116);
        QCOMPARE(across->Top, 130);
        // One drag is one undo step, carried objects included.
        QCOMPARE(state->UndoBuffer.Count(), 1);
        state->Undo(state->UndoBuffer);
        auto *b2 = dynamic_cast<TqpBandView *>(page()->Items.at(0));
        QCOMPARE(b2->Top, 100);
        QCOMPARE(page()->Items.at(1)->Top, 110);
    }

    void bottomRightHandleFlipsPastTopLeft()
    {
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 100, 40, 20});
        click(QPoint(110, 110));
        QVERIFY(v->Selected);
        hover(QPoint(140, 120));
        QCOMPARE(canvas->CursorKind, dcNWSE);
        press(QPoint(140, 120));
        move(QPoint(60, 60));
        compareRect(v, {60, 60, 40, 40}); // flipped back to a positive size
        move(QPoint(52, 52)); // now dragging the top-left corner
        compareRect(v, {52, 52, 48, 48});
        release(QPoint(52, 52));
        compareRect(v, {52, 52, 48, 48});
        QCOMPARE(state->UndoBuffer.Count(), 1);
    }

    void edgeHandles_data()
    {
        QTest::addColumn<QPoint>("handle");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("right edge") << QPoint(140, 110) << QPoint(160, 110) << int(dcWE) << QRect(100, 100, 60, 20);
        QTest::newRow("right edge, grabbed just outside") << QPoint(143, 110) << QPoint(163, 110) << int(dcWE)
                                                          << QRect(100, 100, 60, 20);
        QTest::newRow("left edge") << QPoint(100, 110) << QPoint(92, 110) << int(dcWE) << QRect(92, 100, 48, 20);
        QTest::newRow("bottom edge") << QPoint(120, 120) << QPoint(120, 132) << int(dcNS) << QRect(100, 100, 40, 32);
        QTest::newRow("top right") << QPoint(140, 100) << QPoint(148, 92) << int(dcNESW) << QRect(100, 92, 48, 28);
        QTest::newRow("bottom left") << QPoint(100, 120) << QPoint(92, 128) << int(dcNESW)
                                     << QRect(92, 100, 48, 28);
    }

    void edgeHandles()
    {
        QFETCH(QPoint, handle);
        QFETCH(QPoint, to);
        QFETCH(int, cursor);
        QFETCH(QRect, expected);
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 100, 40, 20});
        click(QPoint(110, 110));
        hover(handle);
        QCOMPARE(int(canvas->CursorKind), cursor);
        press(handle);
        move(to);
        release(to);
        compareRect(v, {expected.x(), expected.y(), expected.width(), expected.height()});
    }

    void splittingSharedEdge_data()
    {
        QTest::addColumn<int>("to");
        QTest::addColumn<QRect>("left");
        QTest::addColumn<QRect>("right");
        QTest::newRow("split") << 180 << QRect(100, 100, 80, 20) << QRect(180, 100, 40, 20);
        QTest::newRow("right width would be 0") << 220 << QRect(100, 100, 60, 20) << QRect(160, 100, 60, 20);
        QTest::newRow("left width would be negative") << 92 << QRect(100, 100, 60, 20) << QRect(160, 100, 60, 20);
    }

    void splittingSharedEdge()
    {
        QFETCH(int, to);
        QFETCH(QRect, left);
        QFETCH(QRect, right);
        TqpMemoView *a = memo(QStringLiteral("A"), {100, 100, 60, 20});
        TqpMemoView *b = memo(QStringLiteral("B"), {160, 100, 60, 20});
        click(QPoint(120, 110));
        click(QPoint(200, 110), Qt::ShiftModifier);
        QCOMPARE(state->SelCount(), 2);
        hover(QPoint(161, 110));
        QCOMPARE(canvas->CursorKind, dcSplitter);
        press(QPoint(161, 110));
        move(QPoint(to + 1, 110));
        release(QPoint(to + 1, 110));
        compareRect(a, {left.x(), left.y(), left.width(), left.height()});
        compareRect(b, {right.x(), right.y(), right.width(), right.height()});
        QCOMPARE(state->UndoBuffer.Count(), left.width() == 60 ? 0 : 1);
    }

    void rubberBandPrefersObjectsOverBands_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("bands only") << QPoint(10, 110) << QPoint(50, 200) << QStringList{"Header", "Data"};
        QTest::newRow("band and text") << QPoint(10, 110) << QPoint(320, 170)
                                       << QStringList{QStringLiteral("Text")};
        QTest::newRow("touching an edge") << QPoint(400, 150) << QPoint(360, 170)
                                          << QStringList{QStringLiteral("Text")};
    }

    void rubberBandPrefersObjectsOverBands()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QStringList, selected);
        band(QStringLiteral("Header"), btPageHeader, 100, 40);
        band(QStringLiteral("Data"), btMasterData, 180, 40);
        memo(QStringLiteral("Text"), {300, 150, 60, 20});
        // Ctrl starts a rubber band even over an object.
        press(from, Qt::ControlModifier);
        move(to);
        release(to);
        QStringList names;
        for (TqpView *v : state->Selection())
            names << v->Name;
        QCOMPARE(names, selected);
    }

    void rubberBandStartsOnEmptyPlace()
    {
        memo(QStringLiteral("A"), {100, 100, 40, 20});
        memo(QStringLiteral("B"), {200, 100, 40, 20});
        memo(QStringLiteral("C"), {300, 300, 40, 20});
        drag(QPoint(90, 90), QPoint(210, 130));
        QCOMPARE(state->SelCount(), 2);
        QVERIFY(state->CornerObject);
        QCOMPARE(state->CornerObject->Name, QStringLiteral("B"));
        QCOMPARE(state->GroupRect, QRect(QPoint(100, 100), QPoint(240, 120)));
    }

    void gridAlignmentAndAlt_data()
    {
        QTest::addColumn<bool>("gridAlign");
        QTest::addColumn<bool>("alt");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("expectedLeft");
        QTest::newRow("3 with grid 4") << true << false << 3 << 100;
        QTest::newRow("3 with grid 4 and Alt") << true << true << 3 << 103;
        QTest::newRow("7 with grid 4") << true << false << 7 << 104;
        QTest::newRow("-7 with grid 4") << true << false << -7 << 96;
        QTest::newRow("3 without grid") << false << false << 3 << 103;
        QTest::newRow("7 without grid, Alt aligns") << false << true << 7 << 104;
    }

    void gridAlignmentAndAlt()
    {
        QFETCH(bool, gridAlign);
        QFETCH(bool, alt);
        QFETCH(int, dx);
        QFETCH(int, expectedLeft);
        state->SetGridAlign(gridAlign);
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 100, 40, 20});
        click(QPoint(120, 110));
        press(QPoint(120, 110));
        move(QPoint(120 + dx, 110), alt ? Qt::AltModifier : Qt::KeyboardModifiers());
        release(QPoint(120 + dx, 110));
        QCOMPARE(v->Left, expectedLeft);
        QCOMPARE(state->UndoBuffer.Count(), expectedLeft == 100 ? 0 : 1);
    }

    void hundredAndFirstActionDropsTheFirst()
    {
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 100, 40, 20});
        click(QPoint(120, 110));
        for (int i = 0; i < 101; ++i)
            QTest::keyClick(canvas, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(v->Left, 201);
        QCOMPARE(state->UndoBuffer.Count(), 100);
        for (int i = 0; i < 100; ++i)
            state->Undo(state->UndoBuffer);
        QCOMPARE(state->UndoBuffer.Count(), 0);
        QCOMPARE(state->RedoBuffer.Count(), 100);
        QCOMPARE(page()->Items.at(0)->Left, 101); // the state after the first action
        state->Undo(state->UndoBuffer); // nothing left
        QCOMPARE(page()->Items.at(0)->Left, 101);
        for (int i = 0; i < 100; ++i)
            state->Undo(state->RedoBuffer);
        QCOMPARE(page()->Items.at(0)->Left, 201);
    }

    void undoBelongsToItsPage()
    {
        open(2);
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 100, 40, 20});
        click(QPoint(120, 110));
        QTest::keyClick(canvas, Qt::Key_Down, Qt::ShiftModifier); // one taller
        QCOMPARE(v->Height, 21);
        state->SetCurPage(1);
        state->Undo(state->UndoBuffer);
        QCOMPARE(state->UndoBuffer.Count(), 1);
        QCOMPARE(v->Height, 21);
        state->SetCurPage(0);
        state->Undo(state->UndoBuffer);
        QCOMPARE(state->UndoBuffer.Count(), 0);
        QCOMPARE(page()->Items.at(0)->Height, 20);
    }

    void bandInsertedWithClick_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::newRow("cross-tab data gets width 40") << int(btCrossData) << QStringLiteral("ÇaprazVerileri1") << 40;
        QTest::newRow("master data") << int(btMasterData) << QStringLiteral("MasterVerileri1") << 758;
        QTest::newRow("only a-z upper-cased") << int(btReportSummary) << QStringLiteral("Raporözeti1") << 758;
        QTest::newRow("one word") << int(btChild) << QStringLiteral("Çocuk1") << 758;
    }

    void bandInsertedWithClick()
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(int, width);
        ui->modalActions.append([type](QDialog *dialog) {
            auto *form = qobject_cast<TqpBandTypeForm *>(dialog);
            QVERIFY(form);
            QVERIFY(form->IsEnabled(type));
            const QList<QRadioButton *> options = dialog->findChildren<QRadioButton *>();
            QCOMPARE(options.size(), 22);
            options.at(type)->setChecked(true);
            dialog->accept();
        });
        canvas->SetTool(dtBand);
        click(QPoint(200, 300));
        QCOMPARE(page()->Items.size(), 1);
        auto *b = dynamic_cast<TqpBandView *>(page()->Items.first());
        QVERIFY(b);
        QCOMPARE(b->GetBandType(), type);
        QCOMPARE(b->Name, name);
        QCOMPARE(b->Width, width);
        // A page holds one band of a non-repeating type at most.
        TqpBandTypeForm again(report.get(), page());
        QCOMPARE(again.IsEnabled(type), type == btMasterData || type == btChild);
    }

    void bandTypeCancelCreatesNothing()
    {
        canvas->SetTool(dtBand);
        click(QPoint(200, 300)); // the scripted dialog closes unanswered
        QVERIFY(page()->Items.isEmpty());
        QCOMPARE(state->UndoBuffer.Count(), 0);
    }

    void bandOrder()
    {
        memo(QStringLiteral("Text"), {10, 10, 10, 10});
        band(QStringLiteral("Cross"), btCrossData, 0, 0);
        band(QStringLiteral("Data"), btMasterData, 100, 20);
        band(QStringLiteral("Overlay"), btOverlay, 200, 20);
        band(QStringLiteral("Title"), btReportTitle, 0, 20);
        QStringList names;
        for (TqpView *v : std::as_const(page()->Items))
            names << v->Name;
        QCOMPARE(names, (QStringList{"Overlay", "Data", "Title", "Cross", "Text"}));
    }

    void pencilDrawsLines()
    {
        canvas->SetTool(dtLine);
        hover(QPoint(50, 50));
        QCOMPARE(canvas->CursorKind, dcPencil);
        drag(QPoint(51, 51), QPoint(152, 60)); // starts at the nearest grid point, (52, 52)
        QCOMPARE(page()->Items.size(), 1);
        TqpView *line = page()->Items.first();
        QCOMPARE(line->Kind, quint8(vkLine));
        compareRect(line, {52, 52, 100, 8});
        QCOMPARE(line->FrameWidth, 2.0f);
        QCOMPARE(canvas->Tool, int(dtLine)); // the pencil stays
        drag(QPoint(300, 300), QPoint(200, 298)); // drawn leftwards: starts at its end
        compareRect(page()->Items.at(1), {200, 300, 100, 0});
    }

    void keyboard()
    {
        TqpMemoView *a = memo(QStringLiteral("A"), {100, 100, 40, 20});
        TqpMemoView *b = memo(QStringLiteral("B"), {200, 104, 40, 20});
        TqpMemoView *c = memo(QStringLiteral("C"), {100, 200, 40, 20});
        click(QPoint(110, 110));
        QTest::keyClick(canvas, Qt::Key_Right);
        QVERIFY(b->Selected && !a->Selected);
        QTest::keyClick(canvas, Qt::Key_Left, Qt::AltModifier); // snap against A
        QCOMPARE(b->Left, 140);
        QTest::keyClick(canvas, Qt::Key_Tab);
        QVERIFY(c->Selected && !b->Selected);
        QTest::keyClick(canvas, Qt::Key_Up);
        QVERIFY(a->Selected);
        QTest::keyClick(canvas, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(a->Width, 41);
        QTest::keyClick(canvas, Qt::Key_Return);
        QCOMPARE(editorCalls, 1);
        QTest::keyClick(canvas, Qt::Key_Delete);
        QCOMPARE(page()->Items.size(), 2);
        QTest::keyClick(canvas, Qt::Key_Escape);
        QCOMPARE(state->SelCount(), 0);
        state->Undo(state->UndoBuffer); // the deletion
        QCOMPARE(page()->Items.size(), 3);
        QCOMPARE(page()->Items.at(0)->Name, QStringLiteral("A"));
        QCOMPARE(page()->Items.at(0)->Width, 41);
    }

    void doubleClickAndRightClick()
    {
        int memoWindow = 0, pageEditor = 0;
        QList<QPoint> popups;
        state->MemoEditorWindow = [&memoWindow](TqpView *) {
            ++memoWindow;
            return true;
        };
        connect(canvas, &TqpDesignerPage::pageEditorRequested, this, [&pageEditor] { ++pageEditor; });
        connect(canvas, &TqpDesignerPage::popupRequested, this, [&popups](const QPoint &p) { popups << p; });
        memo(QStringLiteral("A"), {100, 100, 40, 20});
        band(QStringLiteral("Data"), btMasterData, 200, 40);
        // The platform sends press, release, double click, release.
        const auto doubleClick = [this](QPoint p, Qt::KeyboardModifiers mods) {
            click(p, mods);
            QTest::mouseDClick(canvas, Qt::LeftButton, mods, p);
            release(p, mods);
        };
        doubleClick(QPoint(110, 110), {});
        QCOMPARE(editorCalls, 1);
        doubleClick(QPoint(110, 110), Qt::ControlModifier);
        QCOMPARE(memoWindow, 1);
        QCOMPARE(editorCalls, 1);
        QCOMPARE(page()->Items.at(1)->Left, 100); // nothing moved on the way
        doubleClick(QPoint(600, 600), {});
        QCOMPARE(pageEditor, 1);
        // A right press selects what it hits and asks for the page menu there.
        QTest::mousePress(canvas, Qt::RightButton, {}, QPoint(300, 220));
        QTest::mouseRelease(canvas, Qt::RightButton, {}, QPoint(300, 220));
        QCOMPARE(popups, QList<QPoint>{canvas->mapToGlobal(QPoint(300, 220))});
        QCOMPARE(state->ContentText(), QStringLiteral("Data: ") + qpBandNames().at(btMasterData));
        QCOMPARE(state->SelStatus(), quint8(ssBand));
        click(QPoint(110, 110));
        QCOMPARE(state->ContentText(), QStringLiteral("A: A"));
        QCOMPARE(state->SelStatus(), quint8(ssMemo));
        QVERIFY(state->FontTypEnabled() && state->EditEnabled() && !state->PasteEnabled());
        state->SelectAll();
        QCOMPARE(state->ContentText(), QString());
        QCOMPARE(state->SelStatus(), quint8(ssMultiple));
        QVERIFY(!state->EditEnabled());
    }

    void restrictionsRefuseSilently_data()
    {
        QTest::addColumn<int>("restrictions");
        QTest::addColumn<int>("global");
        QTest::addColumn<QString>("action");
        QTest::newRow("no move: drag") << int(rsNoMove) << 0 << "drag";
        QTest::newRow("no move: Ctrl+arrow") << int(rsNoMove) << 0 << "ctrl-arrow";
        QTest::newRow("no resize: handle") << int(rsNoResize) << 0 << "handle";
        QTest::newRow("no resize: Shift+arrow") << int(rsNoResize) << 0 << "shift-arrow";
        QTest::newRow("no delete") << int(rsNoDelete) << 0 << "delete";
        QTest::newRow("no contents: Enter") << int(rsNoContents) << 0 << "enter";
        QTest::newRow("global no move") << 0 << (1 << qpdrDontMoveObj) << "drag";
        QTest::newRow("global no size") << 0 << (1 << qpdrDontSizeObj) << "handle";
        QTest::newRow("global no delete") << 0 << (1 << qpdrDontDeleteObj) << "delete";
        QTest::newRow("global no edit") << 0 << (1 << qpdrDontEditObj) << "enter";
        QTest::newRow("global no create") << 0 << (1 << qpdrDontCreateObj) << "insert";
    }

    void restrictionsRefuseSilently()
    {
        QFETCH(int, restrictions);
        QFETCH(int, global);
        QFETCH(QString, action);
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 100, 40, 20});
        v->Restrictions = quint8(restrictions);
        DesignerRestrictions = quint16(global);
        click(QPoint(120, 110));
        if (action == QLatin1String("drag"))
            drag(QPoint(120, 110), QPoint(140, 130));
        else if (action == QLatin1String("ctrl-arrow"))
            QTest::keyClick(canvas, Qt::Key_Right, Qt::ControlModifier);
        else if (action == QLatin1String("handle"))
            drag(QPoint(140, 120), QPoint(180, 140));
        else if (action == QLatin1String("shift-arrow"))
            QTest::keyClick(canvas, Qt::Key_Right, Qt::ShiftModifier);
        else if (action == QLatin1String("delete"))
            QTest::keyClick(canvas, Qt::Key_Delete);
        else if (action == QLatin1String("enter"))
            QTest::keyClick(canvas, Qt::Key_Return);
        else if (action == QLatin1String("insert")) {
            canvas->SetTool(dtText);
            click(QPoint(300, 300));
        }
        QCOMPARE(page()->Items.size(), 1);
        compareRect(page()->Items.first(), {100, 100, 40, 20});
        QCOMPARE(editorCalls, 0);
        QCOMPARE(state->UndoBuffer.Count(), 0);
        QVERIFY(!state->GetModified());
        QVERIFY(ui->boxes.isEmpty());
    }

    void restrictedObjectStaysWhileOthersMove()
    {
        TqpMemoView *fixed = memo(QStringLiteral("Fixed"), {100, 100, 40, 20});
        TqpMemoView *free = memo(QStringLiteral("Free"), {200, 100, 40, 20});
        fixed->Restrictions = rsNoMove;
        state->SelectAll();
        QTest::keyClick(canvas, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(fixed->Top, 100);
        QCOMPARE(free->Top, 101);
        QCOMPARE(state->UndoBuffer.At(0).Objects.size(), size_t(1));
    }

    void propertyChangeThroughTheDesignerIsUndone()
    {
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 100, 40, 20});
        click(QPoint(120, 110));
        state->BeforeChange();
        v->Memo = QStringList{QStringLiteral("yeni")};
        v->FillColor = 0xFF;
        state->AfterChange();
        QVERIFY(state->GetModified());
        state->Undo(state->UndoBuffer);
        auto *back = static_cast<TqpMemoView *>(page()->Items.first());
        QCOMPARE(back->Memo, QStringList{QStringLiteral("M")});
        QCOMPARE(back->FillColor, quint32(clNone));
        state->Undo(state->RedoBuffer);
        QCOMPARE(back->Memo, QStringList{QStringLiteral("yeni")});
        // A middle press changes nothing and leaves the marks shown.
        QTest::mousePress(canvas, Qt::MiddleButton, {}, QPoint(300, 300));
        QTest::mouseRelease(canvas, Qt::MiddleButton, {}, QPoint(300, 300));
        QCOMPARE(state->SelCount(), 0); // the undo reset the selection
        click(QPoint(120, 110));
        QTest::mousePress(canvas, Qt::MiddleButton, {}, QPoint(300, 300));
        QTest::mouseRelease(canvas, Qt::MiddleButton, {}, QPoint(300, 300));
        QCOMPARE(state->SelCount(), 1);
    }

    void undoOfDeleteBringsBackOnlyWhatWasDeleted()
    {
        TqpMemoView *kept = memo(QStringLiteral("Kept"), {100, 100, 40, 20});
        memo(QStringLiteral("Gone"), {200, 100, 40, 20});
        kept->Restrictions = rsNoDelete;
        state->SelectAll();
        QTest::keyClick(canvas, Qt::Key_Delete);
        QCOMPARE(page()->Items.size(), 1);
        QCOMPARE(page()->Items.first()->Name, QStringLiteral("Kept"));
        state->Undo(state->UndoBuffer);
        QStringList names;
        for (TqpView *v : std::as_const(page()->Items))
            names << v->Name;
        QCOMPARE(names, (QStringList{"Kept", "Gone"}));
    }

    void degenerateObjectsCanBeSelectedAndDeleted_data()
    {
        QTest::addColumn<QRect>("bounds"); // width and height may be 0 or negative
        QTest::addColumn<QPoint>("at");
        QTest::newRow("zero size") << QRect(200, 200, 0, 0) << QPoint(201, 202);
        QTest::newRow("negative size") << QRect(300, 300, -30, -10) << QPoint(285, 295);
        QTest::newRow("zero height") << QRect(100, 400, 80, 0) << QPoint(150, 402);
    }

    void degenerateObjectsCanBeSelectedAndDeleted()
    {
        QFETCH(QRect, bounds);
        QFETCH(QPoint, at);
        memo(QStringLiteral("Odd"), {bounds.x(), bounds.y(), bounds.width(), bounds.height()});
        canvas->repaint();
        click(at);
        QCOMPARE(state->SelCount(), 1);
        canvas->repaint(); // marks of an object without size
        QTest::keyClick(canvas, Qt::Key_Delete);
        QVERIFY(page()->Items.isEmpty());
        state->Undo(state->UndoBuffer);
        QCOMPARE(page()->Items.size(), 1);
        QCOMPARE(page()->Items.first()->Width, bounds.width());
    }

    void tenThousandObjectsOpenAndScroll()
    {
        open(1);
        for (int i = 0; i < 10000; ++i)
            memo(QStringLiteral("M%1").arg(i), {(i % 10) * 70, (i / 10) % 100 * 10, 60, 9});
        state->SetCurPage(0);
        canvas->repaint();
        QScrollBar *bar = window->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QTest::keyClick(canvas, Qt::Key_PageDown);
        QCOMPARE(bar->value(), std::min(200, bar->maximum()));
        canvas->repaint();
        click(QPoint(75, 5));
        QCOMPARE(state->SelCount(), 1);
        QCOMPARE(state->Selection().first()->Name, QStringLiteral("M9001")); // the topmost there
    }

    void dragFollowedByTheScrollBox()
    {
        TqpMemoView *v = memo(QStringLiteral("M"), {100, 600, 40, 20});
        QScrollBar *bar = window->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        click(QPoint(120, 610));
        press(QPoint(120, 610));
        move(QPoint(120, 900)); // below the visible part of the page
        QVERIFY(bar->value() > 0);
        // Scrolled by the excess: the pointer stands at the lower edge.
        QCOMPARE(canvas->mapTo(window->viewport(), QPoint(120, 900)).y(), window->viewport()->height());
        release(QPoint(120, 900));
        QCOMPARE(v->Top, 888); // 290 in whole grid steps
    }

    void suspendedDrawingShowsNothingOfThePage()
    {
        memo(QStringLiteral("M"), {100, 100, 40, 20});
        state->DrawingSuspended = true;
        canvas->repaint();
        QCOMPARE(canvas->grab().toImage().pixel(100, 100), QColor(Qt::white).rgb());
        state->DrawingSuspended = false;
        canvas->repaint();
        QVERIFY(canvas->grab().toImage().pixel(101, 100) != QColor(Qt::white).rgb()); // the corner stroke
    }

    void droppedFieldBecomesText()
    {
        state->EditAfterInsert = true;
        auto *data = new QMimeData;
        data->setData(QLatin1String(qpFieldMimeType), QByteArrayLiteral("qpDBDataSet1.\"AdiSoyadi\""));
        // The drag enters (which makes the canvas the drop target), then drops.
        QDragEnterEvent enter(QPoint(105, 59), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(105, 59), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &drop);
        delete data;
        QCOMPARE(page()->Items.size(), 1);
        auto *v = dynamic_cast<TqpMemoView *>(page()->Items.first());
        QVERIFY(v);
        QCOMPARE(v->Memo, QStringList{QStringLiteral("[qpDBDataSet1.\"AdiSoyadi\"]")});
        compareRect(v, {100, 52, 96, 20});
        QCOMPARE(editorCalls, 0); // no editor after a field drop
    }

    void statusBox()
    {
        TqpStatusBox box(canvas);
        TqpMemoView *v = memo(QStringLiteral("M"), {36, 72, 108, 18});
        click(QPoint(50, 80));
        box.Refresh();
        QCOMPARE(box.Position, QStringLiteral("36;72"));
        QCOMPARE(box.Size, QStringLiteral("108;18"));
        state->SetUnits(ruMM);
        box.Refresh();
        QCOMPARE(box.Position, QStringLiteral("10.00; 20.00"));
        QCOMPARE(box.Size, QStringLiteral("30.00; 5.00"));
        Q_UNUSED(v);
        // A group scaled by its corner handle shows its percentages.
        state->SetUnits(ruPixels);
        memo(QStringLiteral("N"), {144, 72, 36, 18});
        click(QPoint(160, 80), Qt::ShiftModifier);
        QCOMPARE(state->SelCount(), 2);
        hover(QPoint(180, 90));
        QCOMPARE(canvas->CursorKind, dcNWSE);
        press(QPoint(180, 90));
        move(QPoint(252, 90));
        box.Refresh();
        QCOMPARE(box.Scale, QStringLiteral("% 150,100"));
        release(QPoint(252, 90));
        compareRect(page()->Items.at(0), {36, 72, 162, 18});
        compareRect(page()->Items.at(1), {198, 72, 54, 18});
    }

    void paintsOnlyWhatChanged()
    {
        memo(QStringLiteral("A"), {100, 100, 40, 20});
        memo(QStringLiteral("B"), {500, 600, 40, 20});
        click(QPoint(120, 110));
        QApplication::processEvents();
        PaintSpy spy;
        canvas->installEventFilter(&spy);
        QTest::keyClick(canvas, Qt::Key_Right, Qt::ControlModifier);
        QApplication::processEvents();
        canvas->removeEventFilter(&spy);
        QCOMPARE(page()->Items.at(0)->Left, 101);
        QVERIFY(!spy.painted.isEmpty());
        QVERIFY(spy.painted.contains(QRect(100, 100, 41, 20)));
        QVERIFY(!spy.painted.intersects(QRect(480, 580, 80, 60)));
        QVERIFY(spy.painted.boundingRect().width() < 100);
    }

    // The repaint after a drag reaches into the neighbours' areas; what it
    // shows of them must be what a page drawn afresh shows: neither their
    // text drawn a second time over itself nor parts of them wiped.
    void dragLeavesTheCanvasAsDrawnAfresh()
    {
        // Earlier in the list than the dragged one, right of it within its marks' reach.
        memo(QStringLiteral("Ev Telefonu"), {164, 100, 100, 20});
        TqpMemoView *dragged = memo(QStringLiteral("Gsm"), {100, 100, 60, 20});
        // Later in the list, below it, its text reaching out of the area renewed.
        memo(QStringLiteral("Adres Bilgileri"), {100, 124, 140, 20});
        state->Redraw();
        canvas->repaint();
        drag(QPoint(130, 110), QPoint(130, 200));
        QCOMPARE(dragged->Top, 188);
        const QImage afterDrag = canvas->grab().toImage();
        state->Redraw();
        const QImage fresh = canvas->grab().toImage();
        QCOMPARE(afterDrag.size(), fresh.size());
        QRect differing;
        for (int y = 0; y < fresh.height(); ++y)
            for (int x = 0; x < fresh.width(); ++x)
                if (afterDrag.pixel(x, y) != fresh.pixel(x, y))
                    differing |= QRect(x, y, 1, 1);
        QCOMPARE(differing, QRect());
    }

    // New text takes "Arial", which the canvas draws in its installed twin.
    void newTextIsDrawnInArialsTwin()
    {
        QCOMPARE(state->Defaults.FontName, QStringLiteral("Arial"));
        canvas->SetTool(dtText);
        click(QPoint(101, 53));
        auto *v = dynamic_cast<TqpMemoView *>(page()->Items.value(0));
        QVERIFY(v);
        QCOMPARE(v->Font.Name, QStringLiteral("Arial"));
        QCOMPARE(drawnFontFamily(v->Font.Name), QStringLiteral("Liberation Sans"));
    }
};

QTEST_MAIN(TestDesignerPage)
#include "test_designer_page.moc"
