// libFuzzer target: script compilation. Any source must compile to lines or
// to an error line without crashing; the function splitter then walks the
// compiled lines as the aggregate registration does.

#include "report/core/exceptions.h"
#include "report/expr/interpreter.h"

#include <QStringList>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

// The fuzz build carries no message resource; Qt's warnings about the
// placeholder texts would only slow the run down.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 40000)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList source = text.split(QLatin1Char('\n'));
    TqpInterpretator intr;
    QStringList compiled, errors, found;
    intr.PrepareScript(source, compiled, errors);
    try {
        intr.SplitExpressions(compiled, {QStringLiteral("SUM"), QStringLiteral("COUNT")}, found, nullptr);
    } catch (const EqpError &) {
    }
    return 0;
}
