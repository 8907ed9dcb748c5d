// qpreport: the report engine without windows, for automation, tests and
// benchmarks. One subcommand per task; each returns the process exit status
// (0 success, 1 with a one-line message on stderr).

#include "dump.h"
#include "member_session.h"
#include "member_store.h"
#include "member_templates.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/variant.h"
#include "report/expr/expr_globals.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/variables.h"
#include "report/export/ole_excel_export.h"
#include "report/export/pdf_export.h"
#include "report/export/rtf_export.h"
#include "report/export/text_export.h"
#include "report/output/page_list.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/output/printer.h"

#include <QGuiApplication>
#include <QDate>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <exception>

namespace {

void printLine(const QString &s)
{
    std::fputs(s.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

int fail(const QString &message)
{
    // One line: newlines in a message would break callers that read lines.
    QString m = message;
    m.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    std::fputs(("qpreport: " + m).toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    return 1;
}

// Kind and value. Numbers are printed with a decimal point and dates in ISO
// form so the output reads the same whatever the display settings are;
// strings as they are.
QString describe(const Variant &v)
{
    const QString kind = QLatin1String(Variant::kindName(v.kind()));
    switch (v.kind()) {
    case Variant::Empty:
    case Variant::Null:
        return kind;
    case Variant::Real:
        return kind + QLatin1Char(' ') + qpFloatToStr(v.realValue(), QLatin1Char('.'));
    case Variant::Currency:
        return kind + QLatin1Char(' ') + qpCurrToStr(v.currencyScaled(), QLatin1Char('.'));
    case Variant::DateTime: {
        QDate d;
        QTime t;
        qpDecodeDateTime(v.realValue(), d, t);
        return kind + QLatin1Char(' ') + d.toString(Qt::ISODate) + QLatin1Char('T') + t.toString(QStringLiteral("HH:mm:ss.zzz"));
    }
    default:
        return kind + QLatin1Char(' ') + v.toString();
    }
}

// Scripts run from the command line keep their names in a plain list.
class CalcInterpretator : public TqpInterpretator {
public:
    TqpVariables values;
    void GetValue(const QString &name, Variant &value) override
    {
        if (values.IndexOf(name) >= 0)
            value = values.GetVariable(name);
    }
    void SetValue(const QString &name, const Variant &value) override { values.SetVariable(name, value); }
};

int calcUsage()
{
    return fail(QStringLiteral("usage: qpreport calc 'EXPRESSION' | qpreport calc --script FILE"));
}

int cmdCalc(const QStringList &args)
{
    if (args.size() == 1) {
        const Variant v = qpParser->Calc(args[0]);
        printLine(describe(v));
        return 0;
    }
    if (args.size() == 2 && args[0] == QLatin1String("--script")) {
        QFile f(args[1]);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return fail(QStringLiteral("cannot read %1: %2").arg(args[1], f.errorString()));
        QStringList source = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        if (!source.isEmpty() && source.last().isEmpty())
            source.removeLast();
        CalcInterpretator intr;
        QStringList compiled, errors;
        intr.PrepareScript(source, compiled, errors);
        if (!errors.isEmpty())
            return fail(errors.first());
        if (intr.ErrorFlag())
            return fail(QStringLiteral("script cannot be compiled"));
        intr.DoScript(compiled);
        for (int k = 0; k < intr.values.Count(); ++k)
            printLine(intr.values.GetName(k) + QLatin1String(" = ") + describe(intr.values.GetValue(k)));
        return 0;
    }
    return calcUsage();
}

// The engine's globals for the commands that load, build or draw reports.
struct EngineSession {
    EngineSession()
    {
        qpInitModelGlobals();
        qpPrinterStartup();
    }
    ~EngineSession()
    {
        qpPrinterShutdown();
        qpDoneModelGlobals();
    }
};

int cmdTemplates(const QStringList &args)
{
    if (args.size() != 1)
        return fail(QStringLiteral("usage: qpreport templates FOLDER"));
    EngineSession engine;
    // Laid out for the virtual printer, so the files do not depend on the
    // printers of the machine that writes them.
    Prn->SetPrinterIndex(Prn->VirtualPrinterIndex);
    qpWriteMemberTemplates(args[0]);
    return 0;
}

int cmdPrepare(const QStringList &args)
{
    const int data = int(args.indexOf(QStringLiteral("--data")));
    const int out = int(args.indexOf(QStringLiteral("-o")));
    if (args.size() != 5 || data < 0 || out < 0 || data + 1 >= args.size() || out + 1 >= args.size())
        return fail(QStringLiteral("usage: qpreport prepare TEMPLATE.qpf --data FOLDER -o OUT.qpp"));
    const QString folder = args.at(data + 1);
    const QString output = args.at(out + 1);
    QStringList rest = args;
    rest.removeAt(qMax(data, out) + 1);
    rest.removeAt(qMax(data, out));
    rest.removeAt(qMin(data, out) + 1);
    rest.removeAt(qMin(data, out));
    EngineSession engine;
    TMemberSession session(folder);
    const QString error = session.Prepare(rest.first());
    if (!error.isEmpty())
        return fail(error);
    session.qpReport1->SavePreparedReport(output);
    return 0;
}

// Writes the prepared report in a registered export format, without
// option dialogs.
int exportPrepared(const QString &input, const QString &format, const QString &pages, const QString &output)
{
    EngineSession engine;
    // Every filter registers its format; the command offers what is registered.
    TqpTextExport text;
    TqpRtfAdvExport rtf;
    TqpPdfExport pdf;
    TqpOLEExcelExport excel;
    TqpExportFilter *filter = qpFindExportFilter(format);
    if (!filter) {
        QStringList formats;
        for (const TqpFilterEntry &e : std::as_const(qpFilters))
            formats << e.Mask.mid(2);
        return fail(QStringLiteral("unknown format %1; formats: %2").arg(format, formats.join(QLatin1String(", "))));
    }
    TqpReport report;
    report.ShowProgress = false;
    report.LoadPreparedReport(input);
    const int count = report.GetEMFPages().GetCount();
    const TqpPageList chosen = TqpPageList::Parse(pages, count);
    if (!chosen.All && chosen.Pages.isEmpty())
        return fail(QStringLiteral("--pages %1 chooses none of the %2 pages").arg(pages).arg(count));
    filter->ShowDialog = false;
    filter->PageRange = pages;
    report.ExportTo(filter, output);
    return 0;
}

int cmdExport(const QStringList &args)
{
    QString format, pages, output;
    bool ok = !args.isEmpty() && !args[0].startsWith(QLatin1Char('-'));
    for (qsizetype i = 1; ok && i < args.size(); i += 2) {
        ok = i + 1 < args.size();
        if (!ok)
            break;
        if (args[i] == QLatin1String("--format"))
            format = args[i + 1];
        else if (args[i] == QLatin1String("--pages"))
            pages = args[i + 1];
        else if (args[i] == QLatin1String("-o"))
            output = args[i + 1];
        else
            ok = false;
    }
    if (!ok || format.isEmpty() || output.isEmpty())
        return fail(QStringLiteral("usage: qpreport export IN.qpp --format FORMAT [--pages LIST] -o FILE"));
    return exportPrepared(args[0], format, pages, output);
}

int cmdPdf(const QStringList &args)
{
    if (args.size() != 3 || args[1] != QLatin1String("-o"))
        return fail(QStringLiteral("usage: qpreport pdf IN.qpp -o OUT.pdf"));
    return exportPrepared(args[0], QStringLiteral("pdf"), QString(), args[2]);
}

int cmdQP3(const QStringList &args)
{
    if (args.size() != 3 || args[1] != QLatin1String("-o"))
        return fail(QStringLiteral("usage: qpreport qp3 TEMPLATE.qpf -o OUT.qp3"));
    if (!QFile::exists(args[0]))
        return fail(QStringLiteral("%1: no such file").arg(args[0]));
    EngineSession engine;
    // The template sits on the registration window's components, over empty
    // tables, so that objects bound to a member field name it as there.
    QTemporaryDir folder;
    if (!folder.isValid() || !MemberStore::PrepareWorkingFolder(folder.path()))
        return fail(QStringLiteral("no temporary folder for the member tables"));
    TMemberSession session(folder.path());
    // Loading reports its errors in a box and never throws; without one the
    // tool would write the empty page a failed load leaves.
    QString error;
    qpReportUi.ErrorBox = [&error](const QString &text, const QString &) { error = text; };
    session.qpReport1->LoadFromFile(args[0]);
    qpReportUi.ErrorBox = nullptr;
    if (!error.isEmpty())
        return fail(args[0] + QLatin1String(": ") + error);
    session.qpReport1->SaveToQP3File(args[2]);
    return 0;
}

struct Command {
    const char *name;
    int (*run)(const QStringList &args);
};

// Further subcommands (qp3) join this table.
constexpr Command kCommands[] = {
    {"calc", cmdCalc},
    {"dump", cmdDump},
    {"export", cmdExport},
    {"pdf", cmdPdf},
    {"prepare", cmdPrepare},
    {"qp3", cmdQP3},
    {"templates", cmdTemplates},
};

int usage()
{
    QStringList names;
    for (const Command &c : kCommands)
        names << QLatin1String(c.name);
    return fail(QStringLiteral("usage: qpreport COMMAND ...; commands: ") + names.join(QLatin1String(", ")));
}

}  // namespace

int main(int argc, char **argv)
{
    // Report objects measure text with fonts, which needs a GUI
    // application; the tool never shows a window, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty())
        return usage();
    const QString name = args.takeFirst();
    qpInitExpressionGlobals();
    int rc = -1;
    try {
        for (const Command &c : kCommands)
            if (name == QLatin1String(c.name))
                rc = c.run(args);
        if (rc < 0)
            rc = usage();
    } catch (const EqpError &e) {
        rc = fail(e.message().isEmpty() ? QStringLiteral("error") : e.message());
    } catch (const std::exception &e) {
        rc = fail(QString::fromUtf8(e.what()));
    }
    qpDoneExpressionGlobals();
    return rc;
}
