#include "report/expr/expr_globals.h"

#include "report/core/string_table.h"
#include "report/expr/database_functions.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/std_functions.h"
#include "report/expr/variables.h"

TqpParser *qpParser = nullptr;
TqpInterpretator *qpInterpretator = nullptr;
TqpVariables *qpVariables = nullptr;
TqpVariables *qpConsts = nullptr;
QStringList qpDateFormats, qpTimeFormats, qpBoolFormats;

const char *const qpColorNames[qpColorCount] = {
    "clWhite", "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray", "clSilver",
    "clRed", "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clTransparent",
    "clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption", "clMenu", "clWindow", "clWindowFrame",
    "clMenuText", "clWindowText", "clCaptionText", "clActiveBorder", "clInactiveBorder", "clAppWorkSpace",
    "clHighlight", "clHighlightText", "clBtnFace", "clBtnShadow", "clGrayText", "clBtnText",
    "clInactiveCaptionText", "clBtnHighlight", "cl3DDkShadow", "cl3DLight", "clInfoText", "clInfoBk"};

// Blue in the high byte, red in the low one; system colours are 0x80000000
// plus the index of the desktop's colour.
const quint32 qpColors[qpColorCount] = {
    0xFFFFFF, 0, 0x80, 0x8000, 0x8080, 0x800000, 0x800080, 0x808000, 0x808080, 0xC0C0C0,
    0xFF, 0xFF00, 0xFFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x1FFFFFFF,
    0x80000000, 0x80000001, 0x80000002, 0x80000003, 0x80000004, 0x80000005, 0x80000006,
    0x80000007, 0x80000008, 0x80000009, 0x8000000A, 0x8000000B, 0x8000000C,
    0x8000000D, 0x8000000E, 0x8000000F, 0x80000010, 0x80000011, 0x80000012,
    0x80000013, 0x80000014, 0x80000015, 0x80000016, 0x80000017, 0x80000018};

const char *const qpSpecFuncs[qpSpecFuncCount] = {
    "VALUE", "", "PAGE#", "DATE", "TIME", "LINE#", "LINETHROUGH#", "COLUMN#", "CURRENT#", "TOTALPAGES",
    "REPORTCOMMENT", "REPORTNAME", "REPORTAUTOR", "VMAJOR", "VMINOR", "VRELEASE", "VBUILD",
    "REPORTDATE", "REPORTLASTCHANGE", "CALCWIDTH"};

namespace {

enum { kFirstBoolFormat = 55170, kFirstDateFormat = 55175, kFirstTimeFormat = 55179, kFormatsPerTable = 4 };

void fillConstants(TqpVariables &c)
{
    for (int i = 0; i < qpColorCount; ++i)
        c.SetVariable(QLatin1String(qpColorNames[i]), Variant(int(qpColors[i])));
    struct Named {
        const char *name;
        int value;
    };
    static constexpr Named kNumbers[] = {
        {"mrNone", 0}, {"mrOk", 1}, {"mrCancel", 2}, {"mrYes", 6}, {"mrNo", 7},
        // Font styles as the engine stores them: italic is the lowest bit.
        {"fsBold", 2}, {"fsItalic", 1}, {"fsUnderline", 4}, {"fsStrikeOut", 8},
        {"qpftNone", 0}, {"qpftRight", 1}, {"qpftBottom", 2}, {"qpftLeft", 4}, {"qpftTop", 8},
        {"qptaLeft", 0}, {"qptaRight", 1}, {"qptaCenter", 2}, {"qptaVertical", 4}, {"qptaMiddle", 8},
        {"qptaDown", 16},
        {"baNone", 0}, {"baLeft", 1}, {"baRight", 2}, {"baCenter", 3}, {"baWidth", 4}, {"baBottom", 5},
        {"baTop", 6}, {"baRest", 7},
        {"psSolid", 0}, {"psDash", 1}, {"psDot", 2}, {"psDashDot", 3}, {"psDashDotDot", 4}, {"psDouble", 5},
        {"mb_Ok", 0}, {"mb_OkCancel", 1}, {"mb_YesNo", 4}, {"mb_YesNoCancel", 3}, {"mb_IconError", 16},
        {"mb_IconQuestion", 32}, {"mb_IconInformation", 64}, {"mb_IconWarning", 48}};
    for (const Named &n : kNumbers)
        c.SetVariable(QLatin1String(n.name), Variant(n.value));
    c.SetVariable(QStringLiteral("CRLF"), Variant(QStringLiteral("\r\n")));
    c.SetVariable(QStringLiteral("Null"), Variant::null());
}

QStringList loadTable(int firstId)
{
    QStringList table;
    for (int i = 0; i < kFormatsPerTable; ++i)
        table << qpLoadStr(firstId + i);
    return table;
}

} // namespace

void qpLoadFormatTables()
{
    qpBoolFormats = loadTable(kFirstBoolFormat);
    qpDateFormats = loadTable(kFirstDateFormat);
    qpTimeFormats = loadTable(kFirstTimeFormat);
}

void qpInitExpressionGlobals()
{
    if (!qpParser) {
        qpParser = new TqpParser;
        // Until a report connects itself, calls reach the function libraries.
        qpParser->OnFunction = qpCallFunctionLibraries;
    }
    if (!qpInterpretator)
        qpInterpretator = new TqpInterpretator;
    if (!qpVariables) {
        qpVariables = new TqpVariables;
        qpVariables->SetSorted(true);
    }
    if (!qpConsts) {
        qpConsts = new TqpVariables;
        qpConsts->SetSorted(true);
        fillConstants(*qpConsts);
    }
    if (qpDateFormats.isEmpty())
        qpLoadFormatTables();
    qpRegisterFunctionLibrary(qpLibraryClassOf<TqpStdFunctionLibrary>());
    qpRegisterFunctionLibrary(qpLibraryClassOf<TDatabaseFunctionLibrary>());
}

void qpDoneExpressionGlobals()
{
    qpUnRegisterFunctionLibrary(qpLibraryClassOf<TqpStdFunctionLibrary>());
    qpUnRegisterFunctionLibrary(qpLibraryClassOf<TDatabaseFunctionLibrary>());
    delete qpConsts;
    qpConsts = nullptr;
    delete qpVariables;
    qpVariables = nullptr;
    delete qpInterpretator;
    qpInterpretator = nullptr;
    delete qpParser;
    qpParser = nullptr;
    qpDateFormats.clear();
    qpTimeFormats.clear();
    qpBoolFormats.clear();
}
