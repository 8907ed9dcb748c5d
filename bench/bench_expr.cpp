// Expression and script figures: evaluations per second of a pre-converted
// postfix form as a report text holds it, and compilations per second of a
// 20-line script. One line per figure.

#include "report/core/variant.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"

#include <QStringList>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main()
{
    TqpParser parser;
    const Variant price(2.5), qty(4);
    parser.OnGetValue = [&](const QString &name, Variant &v) {
        v = name.size() == 5 ? price : qty;  // "Price" or "Qty"
    };
    const QString postfix = parser.Str2OPZ(QStringLiteral("[Price] * [Qty] + 1"));

    double sum = 0;
    long evaluations = 0;
    const auto t0 = Clock::now();
    double elapsed = 0;
    do {
        for (int k = 0; k < 100000; ++k)
            sum += parser.CalcOPZ(postfix).realValue();
        evaluations += 100000;
    } while ((elapsed = seconds(t0)) < 2.0);
    if (sum != 11.0 * double(evaluations)) {
        std::fprintf(stderr, "bench_expr: wrong result\n");
        return 1;
    }
    std::printf("expression evaluations per second ([Price] * [Qty] + 1, postfix): %.0f\n", evaluations / elapsed);

    const QStringList script = {
        QStringLiteral("begin"),
        QStringLiteral("  { totals of the band }"),
        QStringLiteral("  Total := Total + [Price] * [Qty];"),
        QStringLiteral("  Count := Count + 1;"),
        QStringLiteral("  if Total > 1000 then"),
        QStringLiteral("    Memo1.Font.Style := 1"),
        QStringLiteral("  else"),
        QStringLiteral("    Memo1.Font.Style := 0;"),
        QStringLiteral("  for i := 1 to 3 do"),
        QStringLiteral("    Arr[i] := i * 2;"),
        QStringLiteral("  while Count > 10 do Count := Count - 10;"),
        QStringLiteral("  repeat"),
        QStringLiteral("    n := n + 1"),
        QStringLiteral("  until n >= 5;"),
        QStringLiteral("  if (Count mod 2 = 0) and not Done then ShowBand(Band2);"),
        QStringLiteral("  Label := 'Toplam: ' + STR(Total); // caption"),
        QStringLiteral("  Inc(Pages);"),
        QStringLiteral("  10: if FreeSpace < 50 then NewPage;"),
        QStringLiteral("  x := IF(Count > 1, COPY('abcdef', 2, 3), 'none')"),
        QStringLiteral("end"),
    };
    TqpInterpretator intr;
    QStringList compiled, errors;
    long compilations = 0;
    const auto t1 = Clock::now();
    do {
        for (int k = 0; k < 1000; ++k)
            intr.PrepareScript(script, compiled, errors);
        compilations += 1000;
    } while ((elapsed = seconds(t1)) < 2.0);
    if (!errors.isEmpty() || compiled.size() < 20) {
        std::fprintf(stderr, "bench_expr: script did not compile: %s\n", qPrintable(errors.join(QLatin1Char(' '))));
        return 1;
    }
    std::printf("script compilations per second (20 lines, %d compiled lines): %.0f\n", int(compiled.size()),
                compilations / elapsed);
    return 0;
}
