#include "report/expr/std_functions.h"

#include "report/core/conversions.h"
#include "report/core/formatting.h"
#include "report/core/string_table.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"

#include "data/turkish_text.h"
#include "platform/modal_seam.h"

#include <QApplication>
#include <QInputDialog>

std::function<void(const TqpAggregateCall &call, Variant &value)> qpOnAggregate;

namespace {

// Function numbers: positions in List, alphabetical.
enum StdFunction {
    fnAvg, fnCount, fnDayOf, fnFormatDateTime, fnFormatFloat, fnFormatText, fnInput, fnLength, fnLowerCase,
    fnMax, fnMaxNum, fnMessageBox, fnMin, fnMinNum, fnMonthOf, fnNameCase, fnPos, fnSum, fnTrim, fnUpperCase,
    fnYearOf,
};

constexpr const char *kNames[] = {
    "AVG", "COUNT", "DAYOF", "FORMATDATETIME", "FORMATFLOAT", "FORMATTEXT", "INPUT", "LENGTH", "LOWERCASE",
    "MAX", "MAXNUM", "MESSAGEBOX", "MIN", "MINNUM", "MONTHOF", "NAMECASE", "POS", "SUM", "TRIM", "UPPERCASE",
    "YEAROF",
};

// Category message ids.
enum : int {
    catAggregate = 55349,
    catDateTime = 55350,
    catText = 55351,
    catOther = 55352,
    catMath = 55353,
    catLogical = 55354,
    catInterpreter = 55355,
    catReportInfo = 55622,
};

struct Desc {
    const char *name;
    int category;
    int description;
};

// The designer's list, in registration order: the library's functions, then
// the parser's forms and operators and the report's names and script
// functions, which have descriptions only.
constexpr Desc kDescriptions[] = {
    {"AVG", catAggregate, 55360}, {"COUNT", catAggregate, 55361}, {"DAYOF", catDateTime, 55362},
    {"FORMATDATETIME", catText, 55363}, {"FORMATFLOAT", catText, 55364}, {"FORMATTEXT", catText, 55416},
    {"INPUT", catOther, 55365}, {"LENGTH", catText, 55366}, {"LOWERCASE", catText, 55367},
    {"MAX", catAggregate, 55368}, {"MIN", catAggregate, 55369}, {"MONTHOF", catDateTime, 55370},
    {"NAMECASE", catText, 55371}, {"STRTODATE", catDateTime, 55372}, {"STRTOTIME", catDateTime, 55373},
    {"SUM", catAggregate, 55374}, {"TRIM", catText, 55375}, {"UPPERCASE", catText, 55376},
    {"YEAROF", catDateTime, 55377}, {"MAXNUM", catMath, 55412}, {"MINNUM", catMath, 55413},
    {"POS", catText, 55414}, {"MESSAGEBOX", catOther, 55415},

    {"IF", catOther, 55378}, {"COPY", catText, 55379}, {"MOD", catMath, 55380}, {"STR", catText, 55381},
    {"NOT", catLogical, 55382}, {"AND", catLogical, 55383}, {"OR", catLogical, 55384},
    {"ROUND", catMath, 55385}, {"FRAC", catMath, 55386}, {"INT", catMath, 55387},
    {"TRUE", catLogical, 55388}, {"FALSE", catLogical, 55389}, {"PAGE#", catOther, 55390},
    {"DATE", catDateTime, 55391}, {"TIME", catDateTime, 55392}, {"LINE#", catOther, 55393},
    {"LINETHROUGH#", catOther, 55394}, {"COLUMN#", catOther, 55395}, {"TOTALPAGES", catOther, 55396},
    {"REPORTCOMMENT", catReportInfo, 55623}, {"REPORTNAME", catReportInfo, 55624},
    {"REPORTAUTOR", catReportInfo, 55625}, {"VMAJOR", catReportInfo, 55626}, {"VMINOR", catReportInfo, 55627},
    {"VRELEASE", catReportInfo, 55628}, {"VBUILD", catReportInfo, 55629}, {"REPORTDATE", catReportInfo, 55630},
    {"REPORTLASTCHANGE", catReportInfo, 55631}, {"MROK", catInterpreter, 55397},
    {"MRCANCEL", catInterpreter, 55398}, {"CURY", catInterpreter, 55399}, {"FREESPACE", catInterpreter, 55400},
    {"FINALPASS", catInterpreter, 55401}, {"PAGEHEIGHT", catInterpreter, 55402},
    {"PAGEWIDTH", catInterpreter, 55403}, {"PROGRESS", catInterpreter, 55404},
    {"MODALRESULT", catInterpreter, 55405}, {"STOPREPORT", catInterpreter, 55406},
    {"NEWPAGE", catInterpreter, 55407}, {"NEWCOLUMN", catInterpreter, 55408}, {"SHOWBAND", catInterpreter, 55409},
    {"INC", catInterpreter, 55410}, {"DEC", catInterpreter, 55411},
};

Variant valueOf(const Variant &argument)
{
    return qpParser->Calc(argument.toString());
}

QString textOf(const Variant &argument)
{
    return valueOf(argument).toString();
}

// A missing argument evaluates to 0 elsewhere; a dialog would show that "0"
// as its title or default text, so here it is no text.
QString optionalTextOf(const Variant &argument)
{
    return argument.toString().trimmed().isEmpty() ? QString() : textOf(argument);
}

int datePart(const Variant &argument, const char *picture)
{
    return qpStrToInt(qpFormatDateTime(QLatin1String(picture), valueOf(argument).toDateTime()));
}

// Without blanks and control characters at either end.
QString trimControls(const QString &s)
{
    qsizetype from = 0, to = s.size();
    while (from < to && s.at(from).unicode() <= ' ')
        ++from;
    while (to > from && s.at(to - 1).unicode() <= ' ')
        --to;
    return s.mid(from, to - from);
}

QString nameCase(const QString &s)
{
    QString out = turkishLower(s);
    if (!out.isEmpty())
        out[0] = turkishUpper(out.at(0));
    return out;
}

bool canShowDialogs()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

// Without a windowed application (the command-line tool) nobody can answer:
// the default text stands.
QString inputBox(const QString &prompt, const QString &defaultText)
{
    if (!canShowDialogs())
        return defaultText;
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QString());
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    return UiSeam::ShowModal(&dialog) == QDialog::Accepted ? dialog.textValue() : defaultText;
}

// flags: the buttons in the low four bits and the icon above them, as the
// mb_ constants give them; the result is the code of the pressed button.
int messageBox(const QString &text, const QString &title, int flags)
{
    using B = QMessageBox;
    B::StandardButtons buttons;
    switch (flags & 0x0F) {
    case 1: buttons = B::Ok | B::Cancel; break;
    case 2: buttons = B::Abort | B::Retry | B::Ignore; break;
    case 3: buttons = B::Yes | B::No | B::Cancel; break;
    case 4: buttons = B::Yes | B::No; break;
    case 5: buttons = B::Retry | B::Cancel; break;
    default: buttons = B::Ok; break;
    }
    B::Icon icon = B::NoIcon;
    switch (flags & 0xF0) {
    case 16: icon = B::Critical; break;
    case 32: icon = B::Question; break;
    case 48: icon = B::Warning; break;
    case 64: icon = B::Information; break;
    default: break;
    }
    B::StandardButton pressed;
    if (canShowDialogs())
        pressed = UiSeam::MessageBox(QApplication::activeWindow(), icon, title, text, buttons);
    else  // nobody to ask: OK when offered, else the cautious answer
        pressed = (buttons & B::Ok) ? B::Ok : (buttons & B::Cancel) ? B::Cancel : (buttons & B::No) ? B::No : B::Abort;
    switch (pressed) {
    case B::Ok: return 1;
    case B::Abort: return 3;
    case B::Retry: return 4;
    case B::Ignore: return 5;
    case B::Yes: return 6;
    case B::No: return 7;
    default: return 2;  // closed without a choice counts as cancelled
    }
}

void aggregate(TqpAggregateCode code, const Variant &p1, const Variant &p2, const Variant &p3, Variant &value)
{
    TqpAggregateCall call;
    call.Code = code;
    call.Expression = p1.toString();
    if (code == qpAggCount) {
        call.BandName = p1.toString();
        call.CountInvisible = p2.toString();
    } else {
        call.BandName = p2.toString();
        call.CountInvisible = p3.toString();
    }
    if (qpOnAggregate)
        qpOnAggregate(call, value);
}

} // namespace

TqpStdFunctionLibrary::TqpStdFunctionLibrary()
{
    for (const char *name : kNames)
        List.append(QLatin1String(name));
    for (const Desc &d : kDescriptions)
        AddFunctionDesc(QLatin1String(d.name), qpLoadStr(d.category), qpLoadStr(d.description));
}

void TqpStdFunctionLibrary::DoFunction(int functionNo, const Variant &p1, const Variant &p2, const Variant &p3,
                                       Variant &value)
{
    value = Variant(QStringLiteral("0"));
    switch (functionNo) {
    case fnAvg: aggregate(qpAggAvg, p1, p2, p3, value); break;
    case fnCount: aggregate(qpAggCount, p1, p2, p3, value); break;
    case fnMax: aggregate(qpAggMax, p1, p2, p3, value); break;
    case fnMin: aggregate(qpAggMin, p1, p2, p3, value); break;
    case fnSum: aggregate(qpAggSum, p1, p2, p3, value); break;
    case fnDayOf: value = datePart(p1, "d"); break;
    case fnMonthOf: value = datePart(p1, "m"); break;
    case fnYearOf: value = datePart(p1, "yyyy"); break;
    case fnFormatDateTime: {
        const QString picture = textOf(p1);
        value = qpFormatDateTime(picture, valueOf(p2).toDateTime());
        break;
    }
    case fnFormatFloat: {
        const QString picture = textOf(p1);
        value = qpFormatFloat(picture, valueOf(p2).toReal());
        break;
    }
    case fnFormatText: {
        // Literals not kept, blanks shown as spaces.
        const QString mask = textOf(p1) + QLatin1String(";0; ");
        value = qpFormatMaskText(mask, textOf(p2));
        break;
    }
    case fnInput: {
        const QString prompt = textOf(p1);
        value = inputBox(prompt, optionalTextOf(p2));
        break;
    }
    case fnLength: value = int(textOf(p1).size()); break;
    case fnLowerCase: value = turkishLower(textOf(p1)); break;
    case fnUpperCase: value = turkishUpper(textOf(p1)); break;
    case fnNameCase: value = nameCase(textOf(p1)); break;
    case fnTrim: value = trimControls(textOf(p1)); break;
    case fnMaxNum:
    case fnMinNum: {
        const Variant a = valueOf(p1);
        const Variant b = valueOf(p2);
        const int c = Variant::compare(a, b);
        value = (functionNo == fnMaxNum ? c > 0 : c < 0) ? a : b;
        break;
    }
    case fnMessageBox: {
        const QString text = textOf(p1);
        const QString title = optionalTextOf(p2);
        value = messageBox(text, title, valueOf(p3).toInt());
        break;
    }
    case fnPos: {
        const QString sub = textOf(p1);
        const QString text = textOf(p2);
        value = sub.isEmpty() ? 0 : int(text.indexOf(sub)) + 1;
        break;
    }
    default: break;
    }
}
