// What a name in an expression means to a report and how a computed value
// becomes the text a text object shows.

#include "report/model/report.h"

#include "data/format_settings.h"
#include "report/core/code_page.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/formatting.h"
#include "report/core/string_table.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/function_library.h"
#include "report/expr/parser.h"
#include "report/expr/report_dataset.h"
#include "report/expr/variables.h"
#include "report/model/memo_view.h"
#include "report/model/property_path.h"

#include <algorithm>

namespace {

// Display format word: separator (bits 0-7), decimals (8-15), variant
// (16-23), category (24-27).
enum TqpFormatCategory { fcText = 0, fcNumber = 1, fcDate = 2, fcTime = 3, fcBoolean = 4 };
constexpr int kCustomVariant = 4, kLongDateVariant = 3;
constexpr quint32 kHideZeros = 0x40;

constexpr quint32 formatWord(int category, int variant) { return quint32(category) << 24 | quint32(variant) << 16; }

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int builtInIndex(const QString &name)
{
    for (int i = 0; i < qpSpecFuncCount; ++i)
        if (i != 1 && name == QLatin1String(qpSpecFuncs[i]))
            return i;
    return -1;
}

// CALCWIDTH expands the text object it is read in; a CALCWIDTH inside that
// expansion has no width to give yet (and would otherwise recurse without
// end). The lines the object already shows are left as they were.
bool calculatingWidth = false;

class WidthScope {
public:
    explicit WidthScope(TqpMemoView *memo) : m_memo(memo), m_shown(memo->ExpandedMemo) { calculatingWidth = true; }
    ~WidthScope()
    {
        m_memo->ExpandedMemo = m_shown;
        calculatingWidth = false;
    }
    WidthScope(const WidthScope &) = delete;
    WidthScope &operator=(const WidthScope &) = delete;

private:
    TqpMemoView *m_memo;
    QStringList m_shown;
};

Variant calcWidth()
{
    if (!CurView || calculatingWidth)
        return Variant(0);
    auto *memo = dynamic_cast<TqpMemoView *>(CurView);
    if (!memo)
        return Variant(CurView->Width);
    const WidthScope scope(memo);
    memo->ExpandMemoVariables();
    return Variant(memo->CalcWidth(memo->ExpandedMemo));
}

// Turns the text after " #" into a format word and picture; see
// InternalOnGetValue.
void parseInlineFormat(QString f, quint32 &format, QString &formatStr)
{
    const QChar c = f.isEmpty() ? QChar() : f.at(0);
    if (isDigit(c) || c == QLatin1Char('N') || c == QLatin1Char('n')) {
        if (isDigit(c))
            f.prepend(QLatin1Char('N'));
        const bool fixed = f.size() > 1 && isDigit(f.at(1));
        format = formatWord(fcNumber, fixed ? 1 : 0);
        for (qsizetype i = f.size() - 1; i >= 1; --i) {
            const QChar s = f.at(i);
            if (s != QLatin1Char(',') && s != QLatin1Char('-') && s != QLatin1Char('.'))
                continue;
            format |= quint32(s.unicode());
            f[i] = QLatin1Char('.');
            if (fixed) {
                qsizetype end = i + 1;
                while (end < f.size() && isDigit(f.at(end)))
                    ++end;
                // The decimals field holds a byte; more places than that mean "as many as fit".
                const QString digits = f.mid(i + 1, end - i - 1);
                const int decimals = digits.size() > 3 ? 255 : std::min(digits.toInt(), 255);
                format |= quint32(decimals) << 8;
            }
            break;
        }
        if (!fixed) {
            f.remove(0, 1);
            format |= formatWord(0, kCustomVariant);
        }
    } else if (c == QLatin1Char('D') || c == QLatin1Char('T') || c == QLatin1Char('d') || c == QLatin1Char('t')) {
        format = formatWord(fcDate, kCustomVariant);
        f.remove(0, 1);
    } else if (c == QLatin1Char('B') || c == QLatin1Char('b')) {
        format = formatWord(fcBoolean, kCustomVariant);
        f.remove(0, 1);
    }
    formatStr = f;
}

// A date-time outside the calendar cannot be shown as a date; formatting it
// counts as a formatting error.
double calendarDate(const Variant &value)
{
    const double dt = value.toDateTime();
    QDate date;
    QTime time;
    qpDecodeDateTime(dt, date, time);
    if (!date.isValid())
        throw EConvertError(value.toString());
    return dt;
}

QString formatNumber(double x, int variant, int decimals, const QString &formatStr)
{
    switch (variant) {
    case 0: return qpFormatFloat(QLatin1String("##0.") + QString(decimals, QLatin1Char('#')), x);
    case 1: return qpFloatToStrF(x, ffFixed, 15, decimals);
    case 2: return qpFormatFloat(QLatin1String("#,##0.") + QString(decimals, QLatin1Char('#')), x);
    case 3: return qpFloatToStrF(x, ffNumber, 15, decimals);
    case kCustomVariant: return qpFormatFloat(formatStr, x);
    default: return QString();
    }
}

// The platform decimal separator is switched only for the one call.
class DecimalSeparatorScope {
public:
    explicit DecimalSeparatorScope(QChar separator) : m_saved(formatSettings().DecimalSeparator)
    {
        if (!separator.isNull())
            formatSettings().DecimalSeparator = separator;
    }
    ~DecimalSeparatorScope() { formatSettings().DecimalSeparator = m_saved; }
    DecimalSeparatorScope(const DecimalSeparatorScope &) = delete;
    DecimalSeparatorScope &operator=(const DecimalSeparatorScope &) = delete;

private:
    QChar m_saved;
};

// Clears the recursion guard however the evaluation ends.
struct GuardScope {
    explicit GuardScope(const QString &name) { qpRecursionGuard = name; }
    ~GuardScope() { qpRecursionGuard.clear(); }
};

} // namespace

QString TqpReport::FormatValue(const Variant &value, quint32 format, const QString &formatStr)
{
    if (value.isEmpty() || value.isNull() || value.isBlank() ||
        (value.isString() && value.stringValue().trimmed().isEmpty()))
        return QString();
    const int category = int(format >> 24) & 0x0F;
    const int variant = int(format >> 16) & 0xFF;
    try {
        switch (category) {
        case fcNumber: {
            // The value is read in the platform's own form before the
            // format's separator takes over.
            const double x = value.toReal();
            // A zero byte names no separator: the platform's stays.
            const QChar separator = (format & 0xFF) ? qpAnsiToChar(uchar(format & 0xFF)) : QChar();
            const DecimalSeparatorScope scope(separator);
            return formatNumber(x, variant, int(format >> 8) & 0xFF, formatStr);
        }
        case fcDate:
            if (variant == kCustomVariant)
                return qpFormatDateTime(formatStr, calendarDate(value));
            if (variant == kLongDateVariant)
                return qpFormatDateTime(formatSettings().LongDateFormat, calendarDate(value));
            return variant < qpDateFormats.size() ? qpFormatDateTime(qpDateFormats.at(variant), calendarDate(value))
                                                  : QString();
        case fcTime:
            if (variant == kCustomVariant)
                return qpFormatDateTime(formatStr, calendarDate(value));
            return variant < qpTimeFormats.size() ? qpFormatDateTime(qpTimeFormats.at(variant), calendarDate(value))
                                                  : QString();
        case fcBoolean: {
            const QString words = variant == kCustomVariant ? formatStr : qpBoolFormats.value(variant);
            const qsizetype semicolon = words.indexOf(QLatin1Char(';'));
            const QString shown = value.toInt() == 0 ? words.left(semicolon < 0 ? words.size() : semicolon)
                                                     : (semicolon < 0 ? QString() : words.mid(semicolon + 1));
            return shown.left(255);
        }
        default:
            // Text, and categories no format dialog writes: the value as it is.
            return value.toString();
        }
    } catch (const std::exception &) {
        return value.toString();
    }
}

void TqpReport::GetVariableValue(const QString &name, Variant &value)
{
    value = Variant();
    if (OnGetValue) {
        OnGetValue(name, value);
        if (!value.isEmpty())
            return;
    }
    value = Variant(0);
    if (Dictionary.IsVariable(name)) {
        value = Dictionary.GetValue(name);
        return;
    }
    switch (builtInIndex(name)) {
    case 0: value = qpCurValue; return;
    case 2: value = Variant(PageNo + 1); return;
    case 3: value = Variant::fromDateTime(qpStartDate); return;
    case 4: value = Variant::fromDateTime(qpStartTime); return;
    case 5: value = Variant(CurBand ? CurBand->LineNumber() : 0); return;
    case 6: value = Variant(CurBand ? CurBand->LineThroughNumber() : 0); return;
    case 7: value = Variant(CurPage ? CurPage->ColumnNo() : 0); return;
    case 8: value = Variant(CurPage ? CurPage->CurPosition() : 0); return;
    case 9: value = Variant(qpTotalPages); return;
    case 10: value = Variant(Description); return;
    case 11: value = Variant(ReportName); return;
    case 12: value = Variant(Author); return;
    case 13: value = Variant(VersionMajor); return;
    case 14: value = Variant(VersionMinor); return;
    case 15: value = Variant(VersionRelease); return;
    case 16: value = Variant(VersionBuild); return;
    case 17: value = Variant::fromDateTime(CreateDate); return;
    case 18: value = Variant::fromDateTime(LastChange); return;
    case 19: value = calcWidth(); return;
    default: break;
    }
    if (qpVariables && qpVariables->IndexOf(name) >= 0) {
        value = qpVariables->GetVariable(name);
        return;
    }
    value = Variant();
    GetIntrpValue(name, value);
    if (!value.isEmpty())
        return;
    // A name nothing knows may be an expression written as one bracketed
    // name ([Qty * Price]); evaluated once, it comes back here only when
    // none of its parts is known either.
    if (name != qpRecursionGuard && qpParser) {
        const GuardScope guard(name);
        value = qpParser->Calc(name);
        return;
    }
    if (!qpRegisteringAggregates)
        throw EParserError(qpLoadStr(qpMsgUnknownName) + QLatin1String(" \"") + name + QLatin1Char('"'));
    value = Variant();
}

void TqpReport::GetIntrpValue(const QString &name, Variant &value)
{
    if (name == QLatin1String("CURY")) {
        value = Variant(CurPage ? CurPage->CurY() : 0);
    } else if (name == QLatin1String("FREESPACE")) {
        value = Variant(CurPage ? CurPage->CurBottomY() - CurPage->CurY() : 0);
    } else if (name == QLatin1String("FINALPASS")) {
        // Outside a build every pass there is, is the last one.
        value = Variant(!MasterReport || !MasterReport->CountingPass());
    } else if (name == QLatin1String("PAGEHEIGHT")) {
        value = Variant(CurPage ? CurPage->CurBottomY() : 0);
    } else if (name == QLatin1String("PAGEWIDTH")) {
        value = Variant(CurPage ? CurPage->RightMargin() : 0);
    } else {
        TqpObject *object = nullptr;
        QString prop;
        ResolvePropertyPath(name, object, prop);
        if (object && object->GetPropRec(prop))
            value = object->GetPropValue(prop);
        else if (qpConsts && qpConsts->IndexOf(name) >= 0)
            value = qpConsts->GetVariable(name);
    }
}

void TqpReport::InternalOnGetValue(const QString &name, QString &text)
{
    qpRecursionGuard.clear();
    quint32 format = CurView ? CurView->Format : 0;
    QString formatStr = CurView ? CurView->FormatStr : QString();
    QString expression = name;
    const qsizetype inlineAt = name.indexOf(QLatin1String(" #"));
    if (inlineAt >= 0) {
        expression = name.left(inlineAt);
        parseInlineFormat(name.mid(inlineAt + 2), format, formatStr);
    }
    qpCurValue = Variant(0);
    Variant value(0);
    GetVariableValue(expression, value);
    qpCurValue = value;
    if (CurView && (CurView->Flags & kHideZeros)) {
        try {
            if (!qpCurValue.isString() && qpCurValue == Variant(0))
                qpCurValue = Variant(QString());
        } catch (const std::exception &) {
            // A value that does not compare with 0 is no zero to hide.
        }
    }
    text = qpRegisteringAggregates ? QString() : FormatValue(qpCurValue, format, formatStr);
}

TDataSet *TqpReport::GetDefaultDataSet() const
{
    TqpDataset *source = Dataset;
    // While a report page is formed, names follow the data band the current
    // band belongs with.
    if (const auto *page = dynamic_cast<const TqpPage *>(CurPage);
        page && CurBand && page->PageType == ptReport && page->Formation) {
        source = nullptr;
        switch (CurBand->BandType()) {
        case btReportTitle:
        case btReportSummary:
        case btPageHeader:
        case btPageFooter:
        case btMasterHeader:
        case btMasterData:
        case btMasterFooter:
        case btGroupHeader:
        case btGroupFooter:
            source = page->Formation->BandDataSet(btMasterData);
            break;
        case btDetailData:
        case btDetailFooter:
            source = page->Formation->BandDataSet(btDetailData);
            break;
        case btSubDetailData:
        case btSubDetailFooter:
            source = page->Formation->BandDataSet(btSubDetailData);
            break;
        case btCrossData:
        case btCrossFooter:
            source = page->Formation->BandDataSet(btCrossData);
            break;
        default:
            break;
        }
    }
    auto *ds = qobject_cast<TqpDBDataSet *>(source);
    if (!ds)
        return nullptr;
    try {
        return ds->GetDataSet();
    } catch (const EDSError &) {
        return nullptr; // linked to nothing: names have no default table
    }
}

namespace {
TqpReport *connectedReport = nullptr;
}

void TqpReport::ConnectParserCallbacks()
{
    connectedReport = this;
    qpParser->OnGetValue = [this](const QString &name, Variant &value) { GetVariableValue(name, value); };
    qpParser->OnFunction = [this](const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                  Variant &value) { OnGetParsFunction(name, p1, p2, p3, value); };
    qpReportOwner = [this] { return parent(); };
    qpDefaultDataSet = [this] { return GetDefaultDataSet(); };
    qpUseDefaultDataSetName = [this] { return UseDefaultDataSetName; };
}

void TqpReport::DisconnectParserCallbacks()
{
    if (connectedReport != this)
        return;
    connectedReport = nullptr;
    if (qpParser) {
        qpParser->OnGetValue = nullptr;
        // Without a report, calls still reach the function libraries.
        qpParser->OnFunction = qpCallFunctionLibraries;
    }
    qpReportOwner = nullptr;
    qpDefaultDataSet = nullptr;
    qpUseDefaultDataSetName = nullptr;
}
