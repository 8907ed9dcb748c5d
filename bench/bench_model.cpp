// A list-row text object (one bracketed field, Arial 10, one line) measured
// and written into a prepared page, as page formation does for every member
// of a list: CalcHeight followed by StreamOut.
#include "report/expr/expr_globals.h"
#include "report/model/memo_view.h"
#include "report/model/report_links.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

namespace {

// The report's value callback, reduced to handing back a short name.
class ListReport : public TqpReportBase {
public:
    TqpView *FindObject(const QString &) const override { return nullptr; }
    TqpObject *PageAt(int) const override { return nullptr; }
    void InternalOnGetValue(const QString &, QString &text) override { text = QStringLiteral("Ayşe Yılmaz"); }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qpInitExpressionGlobals();
    qpInitModelGlobals();
    ListReport report;
    CurReport = &report;
    DocMode = dmPrinting;

    TqpMemoView memo;
    memo.SetBounds(20, 0, 300, 17);
    memo.FrameTyp = 0x0F;
    memo.Memo = {QStringLiteral("[Uye.\"AdiSoyadi\"]")};
    memo.SaveMode = smQPP;

    QBuffer page;
    page.open(QIODevice::ReadWrite);
    const int rounds = 200000;
    int height = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        // Each page of a prepared report gets its own stream; restart it now and then.
        if ((i & 1023) == 0)
            page.seek(0);
        height += memo.CalcHeight();
        memo.StreamOut(page);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("text object CalcHeight+StreamOut (list row, one field, Arial 10): %.0f per second (%d rounds, height %d)\n",
                rounds / seconds, rounds, height / rounds);
    qpDoneModelGlobals();
    return 0;
}
