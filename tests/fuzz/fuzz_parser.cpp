// libFuzzer target: infix-to-postfix conversion and evaluation, and the
// evaluator on arbitrary postfix text. Any input must end in a value or an
// engine error: no crash, no hang, no out-of-bounds access.

#include "report/core/exceptions.h"
#include "report/core/variant.h"
#include "report/expr/parser.h"

#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

namespace {

// Names resolve to every kind of value, so the operators meet them all.
void value(const QString &name, Variant &v)
{
    switch (name.size() % 9) {
    case 0: v = Variant(int(name.size())); break;
    case 1: v = Variant(name.size() * 0.5); break;
    case 2: v = Variant(name); break;
    case 3: v = Variant::null(); break;
    case 4: v = Variant(); break;
    case 5: v = Variant(name.size() % 2 == 0); break;
    case 6: v = Variant::fromCurrencyScaled(int64_t(name.size()) * 12345); break;
    case 7: v = Variant::fromDateTime(36526.5); break;
    default: v = Variant(QStringLiteral("12,5")); break;
    }
}

}  // namespace

// The fuzz build carries no message resource; Qt's warnings about the
// placeholder texts would only slow the run down.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    TqpParser parser;
    parser.OnGetValue = value;
    parser.OnFunction = [&](const QString &, const Variant &p1, const Variant &, const Variant &, Variant &v) {
        // Functions evaluate their first argument, as the libraries do.
        v = parser.Calc(p1.toString());
    };
    try {
        const QString postfix = parser.Str2OPZ(text);
        parser.CalcOPZ(postfix);
    } catch (const EqpError &) {
    }
    try {
        parser.CalcOPZ(text);
    } catch (const EqpError &) {
    }
    return 0;
}
