// The script editor on a 10 000-line script: time from a key event to the end
// of the repaint it causes, and how much of the view that repaint covered.
// Runs offscreen unless QT_QPA_PLATFORM names another platform.

#include "syntax_memo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

// The control as shipped, with the end of every repaint noted.
class TTimedMemo : public TqpSyntaxMemo {
public:
    QElapsedTimer clock;
    qint64 lastPaintEnd = -1;
    QRegion painted;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        TqpSyntaxMemo::paintEvent(event);
        lastPaintEnd = clock.nsecsElapsed();
        painted += event->region();
    }
};

QStringList script(int lines)
{
    QStringList out;
    out.reserve(lines);
    out.append(QStringLiteral("begin"));
    for (int i = 1; out.size() < lines - 1; ++i) {
        out.append(QStringLiteral("  // step %1 of the running total").arg(i));
        out.append(QStringLiteral("  if [Table1.\"Aidat\"] > %1 then Total := Total + [Table1.\"Aidat\"] else").arg(i));
        out.append(QStringLiteral("    Memo%1.Font.Color := 'clRed'; { warn the reader }").arg(i % 50));
        out.append(QStringLiteral("  while Count < %1 do begin Count := Count + 1; end;").arg(i % 7));
    }
    while (out.size() > lines - 1)
        out.removeLast();
    out.append(QStringLiteral("end"));
    return out;
}

struct TFigures {
    double median = 0, p95 = 0, max = 0, cpuMax = 0, paintedShare = 0;
};

// Processor time of this thread, which other programs on the machine do not add to.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Presses `key` `count` times (text typed when `text` is set) and times each
// press from the key event to the end of its repaint. `before` runs untimed
// ahead of each press, its repaint done first.
TFigures measure(TTimedMemo &memo, int count, Qt::Key key, const QString &text,
                 const std::function<void(int)> &before = {})
{
    QList<double> times;
    double cpuMax = 0;
    double paintedArea = 0;
    const double viewArea = double(memo.viewport()->width()) * memo.viewport()->height();
    for (int i = 0; i < count; ++i) {
        if (before) {
            before(i);
            QApplication::processEvents();
        }
        memo.painted = QRegion();
        memo.lastPaintEnd = -1;
        const qint64 start = memo.clock.nsecsElapsed();
        const double cpuStart = threadCpuMs();
        QTest::sendKeyEvent(QTest::Click, &memo, key, text, Qt::NoModifier);
        while (memo.lastPaintEnd < 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        times.append((memo.lastPaintEnd - start) / 1e6);
        cpuMax = std::max(cpuMax, threadCpuMs() - cpuStart);
        qint64 area = 0;
        for (const QRect &r : memo.painted)
            area += qint64(r.width()) * r.height();
        paintedArea += area / viewArea;
    }
    std::sort(times.begin(), times.end());
    TFigures f;
    f.median = times.at(times.size() / 2);
    f.p95 = times.at(std::min<qsizetype>(times.size() - 1, times.size() * 95 / 100));
    f.max = times.last();
    f.cpuMax = cpuMax;
    f.paintedShare = 100.0 * paintedArea / count;
    return f;
}

void print(const char *what, const TFigures &f)
{
    std::printf("syntax memo, 10000-line script, %s: key to painted median %.2f ms, p95 %.2f ms, max %.2f ms "
                "(processor time at most %.2f ms); repainted %.1f%% of the view\n",
                what, f.median, f.p95, f.max, f.cpuMax, f.paintedShare);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TTimedMemo memo;
    memo.resize(1000, 800);
    QElapsedTimer load;
    load.start();
    memo.SetText(script(10000));
    const double loadMs = load.nsecsElapsed() / 1e6;
    memo.show();
    if (!QTest::qWaitForWindowExposed(&memo))
        return 1;
    memo.setFocus();
    memo.clock.start();
    memo.SetPos(40, 5000);
    QApplication::processEvents();
    std::printf("syntax memo: loading and colouring a 10000-line script %.1f ms\n", loadMs);

    // Typing within the view, as an operator does: a run of characters on one
    // line, then the next line.
    print("typing a character",
          measure(memo, 300, Qt::Key_X, QStringLiteral("x"), [&](int i) {
              if (i % 30 == 0)
                  memo.SetPos(30, 4990 + i / 30);
          }));
    print("backspace", measure(memo, 100, Qt::Key_Backspace, QString()));

    // A "(*" that opens a comment recolours everything below it, and deleting
    // its star recolours it back: the worst single keystroke.
    memo.SetPos(1, 5100);
    memo.SetPos(1, 5001); // at the top of the view, the recoloured lines below it
    QTest::keyClick(&memo, '(');
    TFigures comment = measure(memo, 100, Qt::Key_Asterisk, QStringLiteral("*"), [&](int i) {
        if (i > 0)
            QTest::keyClick(&memo, Qt::Key_Backspace);
    });
    print("typing the star that comments out the 5000 lines below", comment);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QTest::keyClick(&memo, Qt::Key_Backspace);

    memo.SetPos(1, 6000);
    print("Return (lines move down)", measure(memo, 100, Qt::Key_Return, QString()));
    memo.SetPos(1, 1);
    print("Page Down (whole view)", measure(memo, 50, Qt::Key_PageDown, QString()));
    return 0;
}
