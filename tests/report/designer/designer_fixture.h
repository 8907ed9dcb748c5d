#pragma once
// A template with pages and a designer state over it, shown on a real
// canvas in a scroll box, for the tests of the editing commands and the
// object inspector. Objects are put on pages by code; the tests then drive
// the canvas, the commands and the inspector with real events.

#include "report/designer/designer_page.h"
#include "report/designer/designer_state.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"

#include <QScrollArea>
#include <QTest>
#include <memory>

struct TDesignerFixture {
    std::unique_ptr<TqpReport> report;
    std::unique_ptr<QScrollArea> scrollBox;
    TqpDesignerState *state = nullptr;
    TqpDesignerPage *canvas = nullptr;

    // `owner`: the window whose components the report's data come from.
    void open(int pages = 1, QObject *owner = nullptr)
    {
        close();
        report = std::make_unique<TqpReport>(owner);
        CurReport = report.get();
        for (int i = 0; i < pages; ++i)
            report->Pages.Add();
        scrollBox = std::make_unique<QScrollArea>();
        scrollBox->resize(900, 700);
        state = new TqpDesignerState(report.get(), scrollBox.get());
        canvas = new TqpDesignerPage(state, scrollBox.get());
        state->SetCurPage(0);
        scrollBox->show();
        QVERIFY(QTest::qWaitForWindowExposed(scrollBox.get()));
    }

    void close()
    {
        scrollBox.reset();
        report.reset();
        state = nullptr;
        canvas = nullptr;
        CurReport = nullptr;
        CurPage = nullptr;
        qpDesignerPage = nullptr;
    }

    TqpPage *page(int index = 0) { return report->Pages.GetPages(index); }

    TqpView *put(TqpView *v, int pageIndex)
    {
        v->OwnerPage = page(pageIndex);
        page(pageIndex)->Items.append(v);
        state->ArrangeBands();
        state->Redraw();
        return v;
    }

    TqpMemoView *text(const QString &name, QRect r, int pageIndex = 0)
    {
        auto *v = static_cast<TqpMemoView *>(qpCreateObject(vkText, QString()));
        v->Name = name;
        v->SetBounds(r.x(), r.y(), r.width(), r.height());
        v->Memo = QStringList{QStringLiteral("text of ") + name};
        return static_cast<TqpMemoView *>(put(v, pageIndex));
    }

    TqpBandView *band(const QString &name, int type, int top, int height, int pageIndex = 0)
    {
        auto *b = static_cast<TqpBandView *>(qpCreateObject(vkBand, QString()));
        b->Name = name;
        b->SetBandType(type);
        b->SetBounds(0, top, page(pageIndex)->SheetWidth(), height);
        return static_cast<TqpBandView *>(put(b, pageIndex));
    }

    // Clicks an object on the canvas, with Shift to add it to the selection.
    void clickOn(const TqpView *v, Qt::KeyboardModifiers mods = {})
    {
        const QPoint p(v->Left + v->Width / 2, v->Top + v->Height / 2);
        QMouseEvent hover(QEvent::MouseMove, p, canvas->mapToGlobal(p), Qt::NoButton, Qt::NoButton, mods);
        QApplication::sendEvent(canvas, &hover);
        QTest::mousePress(canvas, Qt::LeftButton, mods, p);
        QTest::mouseRelease(canvas, Qt::LeftButton, mods, p);
    }

    // Selects the objects by clicks, the first alone, the others with Shift.
    void select(std::initializer_list<const TqpView *> views)
    {
        // A click on the empty bottom-left corner of the sheet first, since a
        // click on an object of the selection keeps the selection.
        const QPoint empty(2, page(state->CurPageIndex)->SheetHeight() - 3);
        QTest::mousePress(canvas, Qt::LeftButton, {}, empty);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, empty);
        bool first = true;
        for (const TqpView *v : views) {
            clickOn(v, first ? Qt::NoModifier : Qt::ShiftModifier);
            first = false;
        }
    }

    QStringList names(int pageIndex = 0)
    {
        QStringList list;
        for (const TqpView *v : std::as_const(page(pageIndex)->Items))
            list.append(v->Name);
        return list;
    }
};
