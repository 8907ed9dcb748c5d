// The value type, the expression parser and the script interpreter.

#include "data/format_settings.h"
#include "report/core/code_page.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/core/variant.h"
#include "report/expr/expr_globals.h"
#include "report/expr/function_splitter.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/variables.h"

#include <QtTest>
#include <climits>
#include <iconv.h>

Q_DECLARE_METATYPE(Variant)

namespace {

Variant cur(double v) { return Variant::fromCurrency(v); }
Variant date(double v) { return Variant::fromDateTime(v); }
Variant str(const char *s) { return Variant(QString::fromUtf8(s)); }

QString describe(const Variant &v)
{
    return QLatin1String(Variant::kindName(v.kind())) + QLatin1Char(' ') +
           (v.kind() == Variant::Currency ? QString::number(v.currencyScaled()) + QLatin1String("e-4")
            : v.kind() == Variant::Real || v.kind() == Variant::DateTime ? QString::number(v.realValue(), 'g', 17)
                                                                          : v.toString());
}

// Which error an operation raised: "" none, else the class.
template <typename F>
QString errorOf(F f)
{
    try {
        f();
    } catch (const EVariantError &) {
        return QStringLiteral("variant");
    } catch (const EConvertError &) {
        return QStringLiteral("convert");
    } catch (const EDivByZero &) {
        return QStringLiteral("divzero");
    } catch (const EParserError &) {
        return QStringLiteral("parser");
    } catch (const EqpError &) {
        return QStringLiteral("other");
    }
    return QString();
}

// Control characters of postfix forms and compiled lines made readable.
QString visible(const QString &s)
{
    QString out;
    for (QChar c : s) {
        if (c.unicode() < 32)
            out += QStringLiteral("{%1}").arg(c.unicode());
        else
            out += c;
    }
    return out;
}

QString renderLine(const QString &line)
{
    const ushort code = line.isEmpty() ? 0 : line[0].unicode();
    auto addr = [&]() {
        const int a = (line[1].unicode() & 0xFF) | ((line[2].unicode() & 0xFF) << 8);
        return line[1] == QLatin1Char(' ') && line[2] == QLatin1Char(' ') ? QStringLiteral("?") : QString::number(a);
    };
    if (code == 1)
        return QStringLiteral("IFNOT ") + visible(line.mid(3)) + QStringLiteral(" GOTO ") + addr();
    if (code == 2)
        return QStringLiteral("GOTO ") + addr();
    if (code == 3)
        return QStringLiteral("CALL ") + visible(line.mid(1));
    return QStringLiteral("SET ") + visible(line);
}

QString render(const QStringList &lines)
{
    QStringList out;
    for (const QString &l : lines)
        out << renderLine(l);
    return out.join(QLatin1String(" | "));
}

// A script environment: names live in a list, a few functions write a log,
// arrays live in the list as Arr_<name>_<index> as the report keeps them.
class TestInterpretator : public TqpInterpretator {
public:
    TqpVariables values;
    QStringList log;

    void GetValue(const QString &name, Variant &value) override
    {
        if (values.IndexOf(name) >= 0)
            value = values.GetVariable(name);
    }
    void SetValue(const QString &name, const Variant &value) override { values.SetVariable(name, value); }
    void DoFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                    Variant &value) override
    {
        if (name == QLatin1String("SETARRAY")) {
            values.SetVariable(arrayName(p1, p2), Parser().Calc(p3.toString()));
        } else if (name == QLatin1String("GETARRAY")) {
            value = values.GetVariable(arrayName(p1, p2));
        } else {
            log << name + QLatin1Char('(') + p1.toString() + QLatin1Char('|') + p2.toString() + QLatin1Char('|') +
                       p3.toString() + QLatin1Char(')');
            value = Variant(int(log.size()));
        }
    }
    QString arrayName(const Variant &name, const Variant &index)
    {
        const Variant i = Parser().Calc(index.toString());
        return QStringLiteral("Arr_") + name.toString().trimmed() + QLatin1Char('_') +
               (i.isString() ? i.stringValue() : QString::number(i.toInt()));
    }
    QString state() const
    {
        QStringList out;
        for (int k = 0; k < values.Count(); ++k)
            out << values.GetName(k) + QLatin1Char('=') + values.GetValue(k).toString();
        return out.join(QLatin1Char(' '));
    }
};

}  // namespace

class TestExpr : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void variantArithmetic_data();
    void variantArithmetic();
    void variantComparison_data();
    void variantComparison();
    void variantStringForm_data();
    void variantStringForm();
    void textToNumber_data();
    void textToNumber();
    void textToDate_data();
    void textToDate();
    void roundingHalvesToEven_data();
    void roundingHalvesToEven();
    void codePageMatchesIconv();
    void messagesAndErrors();

    void postfixForm_data();
    void postfixForm();
    void evaluate_data();
    void evaluate();
    void badInput_data();
    void badInput();
    void namesAndFunctionsReachCallbacks();
    void withoutCallbacksNamesAreNull();
    void ifEvaluatesOnlyTheChosenBranch();
    void parserIsReentrant();
    void stackLimitIsKept();
    void lexicalHelpers();
    void bracketedVariable_data();
    void bracketedVariable();
    void hugeAndDeepInput();
    void fuzzRegressions_data();
    void fuzzRegressions();

    void variablesList();
    void functionSplitter_data();
    void functionSplitter();

    void compile_data();
    void compile();
    void compileErrors_data();
    void compileErrors();
    void runScripts_data();
    void runScripts();
    void scriptEdgeCases();
    void scriptLimits();
    void splitExpressions();
    void globals();
};

void TestExpr::initTestCase()
{
    // The fixed Turkish settings are the program's; tests rely on them.
    QCOMPARE(formatSettings().DecimalSeparator, QLatin1Char(','));
    QCOMPARE(formatSettings().ShortDateFormat, QStringLiteral("dd.MM.yyyy"));
}

// ---------------------------------------------------------------- Variant

void TestExpr::variantArithmetic_data()
{
    QTest::addColumn<Variant>("a");
    QTest::addColumn<QString>("op");
    QTest::addColumn<Variant>("b");
    QTest::addColumn<Variant>("expected");
    QTest::addColumn<QString>("error");

    const Variant none;
    QTest::newRow("int+int stays int") << Variant(2) << "+" << Variant(3) << Variant(5) << "";
    QTest::newRow("int overflow + to real") << Variant(INT_MAX) << "+" << Variant(1) << Variant(2147483648.0) << "";
    QTest::newRow("int overflow - to real") << Variant(INT_MIN) << "-" << Variant(1) << Variant(-2147483649.0) << "";
    QTest::newRow("int overflow * to real") << Variant(65536) << "*" << Variant(65536) << Variant(4294967296.0) << "";
    QTest::newRow("int / int is real") << Variant(3) << "/" << Variant(4) << Variant(0.75) << "";
    QTest::newRow("int / 0 raises") << Variant(3) << "/" << Variant(0) << none << "divzero";
    QTest::newRow("null + int") << Variant::null() << "+" << Variant(1) << Variant::null() << "";
    QTest::newRow("string + null") << str("a") << "+" << Variant::null() << Variant::null() << "";
    QTest::newRow("empty + int raises") << none << "+" << Variant(1) << none << "variant";
    QTest::newRow("null + empty raises") << Variant::null() << "+" << none << none << "variant";
    QTest::newRow("string concat") << str("ab") << "+" << str("cd") << str("abcd") << "";
    QTest::newRow("string * string numeric") << str("2") << "*" << str("3,5") << Variant(7.0) << "";
    QTest::newRow("numeric string + int real") << str("2") << "+" << Variant(3) << Variant(5.0) << "";
    QTest::newRow("non-numeric string + int") << str("abc") << "+" << Variant(1) << none << "convert";
    QTest::newRow("point is no decimal sep in text") << str("1.5") << "+" << Variant(1) << none << "convert";
    QTest::newRow("true + 1 = 0") << Variant(true) << "+" << Variant(1) << Variant(0) << "";
    QTest::newRow("true * 2.5") << Variant(true) << "*" << Variant(2.5) << Variant(-2.5) << "";
    QTest::newRow("date + 1.5") << date(36526.0) << "+" << Variant(1.5) << date(36527.5) << "";
    QTest::newRow("1 + date") << Variant(1) << "+" << date(36526.25) << date(36527.25) << "";
    QTest::newRow("date - int") << date(36526.5) << "-" << Variant(2) << date(36524.5) << "";
    QTest::newRow("date - date is days") << date(36530.5) << "-" << date(36526.0) << Variant(4.5) << "";
    QTest::newRow("currency keeps 4 decimals") << cur(1.2345) << "+" << cur(0.0001) << cur(1.2346) << "";
    QTest::newRow("currency + int") << cur(1.5) << "+" << Variant(2) << cur(3.5) << "";
    QTest::newRow("currency * currency rounds to even")
        << Variant::fromCurrencyScaled(15) << "*" << Variant::fromCurrencyScaled(5000) << Variant::fromCurrencyScaled(8) << "";
    QTest::newRow("currency + real stays currency") << cur(1.0) << "+" << Variant(0.00004) << cur(1.0) << "";
    QTest::newRow("currency / int is real") << cur(1.0) << "/" << Variant(4) << Variant(0.25) << "";
    QTest::newRow("mod ints") << Variant(7) << "mod" << Variant(3) << Variant(1) << "";
    QTest::newRow("mod negative") << Variant(-7) << "mod" << Variant(3) << Variant(-1) << "";
    QTest::newRow("mod reals rounded") << Variant(7.6) << "mod" << Variant(3.0) << Variant(2) << "";
    QTest::newRow("mod by zero") << Variant(7) << "mod" << Variant(0) << none << "divzero";
    QTest::newRow("mod min by -1") << Variant(INT_MIN) << "mod" << Variant(-1) << Variant(0) << "";
    QTest::newRow("and bitwise") << Variant(6) << "and" << Variant(3) << Variant(2) << "";
    QTest::newRow("or bitwise") << Variant(6) << "or" << Variant(3) << Variant(7) << "";
    QTest::newRow("and booleans logical") << Variant(true) << "and" << Variant(false) << Variant(false) << "";
    QTest::newRow("or booleans logical") << Variant(true) << "or" << Variant(false) << Variant(true) << "";
    QTest::newRow("true and 5 bitwise") << Variant(true) << "and" << Variant(5) << Variant(5) << "";
    QTest::newRow("or null") << Variant::null() << "or" << Variant(1) << Variant::null() << "";
    QTest::newRow("negate int min to real") << Variant(INT_MIN) << "neg" << none << Variant(2147483648.0) << "";
    QTest::newRow("negate true") << Variant(true) << "neg" << none << Variant(1) << "";
    QTest::newRow("negate empty raises") << none << "neg" << none << none << "variant";
    QTest::newRow("negate null") << Variant::null() << "neg" << none << Variant::null() << "";
}

void TestExpr::variantArithmetic()
{
    QFETCH(Variant, a);
    QFETCH(QString, op);
    QFETCH(Variant, b);
    QFETCH(Variant, expected);
    QFETCH(QString, error);
    Variant r;
    const QString raised = errorOf([&] {
        if (op == QLatin1String("+")) r = a + b;
        else if (op == QLatin1String("-")) r = a - b;
        else if (op == QLatin1String("*")) r = a * b;
        else if (op == QLatin1String("/")) r = a / b;
        else if (op == QLatin1String("mod")) r = vMod(a, b);
        else if (op == QLatin1String("and")) r = vAnd(a, b);
        else if (op == QLatin1String("or")) r = vOr(a, b);
        else if (op == QLatin1String("neg")) r = -a;
    });
    QCOMPARE(raised, error);
    if (error.isEmpty())
        QVERIFY2(r.identical(expected), qPrintable(describe(r) + QLatin1String(" != ") + describe(expected)));
}

void TestExpr::variantComparison_data()
{
    QTest::addColumn<Variant>("a");
    QTest::addColumn<Variant>("b");
    QTest::addColumn<int>("sign");
    QTest::addColumn<QString>("error");

    QTest::newRow("null = null") << Variant::null() << Variant::null() << 0 << "";
    QTest::newRow("null < number") << Variant::null() << Variant(-5) << -1 << "";
    QTest::newRow("string > null") << str("") << Variant::null() << 1 << "";
    QTest::newRow("null < false") << Variant::null() << Variant(false) << -1 << "";
    QTest::newRow("int vs real") << Variant(2) << Variant(2.5) << -1 << "";
    QTest::newRow("int = real") << Variant(2) << Variant(2.0) << 0 << "";
    QTest::newRow("currency vs int") << cur(2.0001) << Variant(2) << 1 << "";
    QTest::newRow("string vs number as numbers") << str("10") << Variant(9) << 1 << "";
    QTest::newRow("string vs number decimal comma") << str("2,5") << Variant(2.5) << 0 << "";
    QTest::newRow("non-numeric string vs number") << str("abc") << Variant(1) << 0 << "convert";
    QTest::newRow("strings byte-wise, case matters") << str("B") << str("a") << -1 << "";
    QTest::newRow("prefix is less") << str("ab") << str("abc") << -1 << "";
    QTest::newRow("strings equal") << str("abc") << str("abc") << 0 << "";
    QTest::newRow("10 < 9 as strings") << str("10") << str("9") << -1 << "";
    // In the Turkish code page ğ is 0xF0 and ü 0xFC; UTF-16 would order them the other way.
    QTest::newRow("turkish letters by code page") << str("ğ") << str("ü") << -1 << "";
    QTest::newRow("dotless i after z") << str("ı") << str("z") << 1 << "";
    QTest::newRow("false < true") << Variant(false) << Variant(true) << -1 << "";
    QTest::newRow("true = -1") << Variant(true) << Variant(-1) << 0 << "";
    QTest::newRow("date vs number") << date(36526.5) << Variant(36526) << 1 << "";
    QTest::newRow("empty raises") << Variant() << Variant(0) << 0 << "variant";
}

void TestExpr::variantComparison()
{
    QFETCH(Variant, a);
    QFETCH(Variant, b);
    QFETCH(int, sign);
    QFETCH(QString, error);
    int c = 0;
    QCOMPARE(errorOf([&] { c = Variant::compare(a, b); }), error);
    if (error.isEmpty()) {
        QCOMPARE((c > 0) - (c < 0), sign);
        int back = Variant::compare(b, a);
        QCOMPARE((back > 0) - (back < 0), -sign);
    }
}

void TestExpr::variantStringForm_data()
{
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << Variant() << "";
    QTest::newRow("null") << Variant::null() << "";
    QTest::newRow("int") << Variant(-42) << "-42";
    QTest::newRow("real decimal comma") << Variant(0.75) << "0,75";
    QTest::newRow("real whole") << Variant(3.0) << "3";
    QTest::newRow("real 15 digits") << Variant(1.0 / 3.0) << "0,333333333333333";
    QTest::newRow("real small") << Variant(0.0001) << "0,0001";
    QTest::newRow("real smaller is scientific") << Variant(0.000015) << "1,5E-5";
    QTest::newRow("real 1E15") << Variant(1e15) << "1E15";
    QTest::newRow("real below 1E15") << Variant(123456789012345.0) << "123456789012345";
    QTest::newRow("real negative large") << Variant(-2.5e20) << "-2,5E20";
    QTest::newRow("currency trims zeros") << cur(1.5) << "1,5";
    QTest::newRow("currency four decimals") << cur(-0.0001) << "-0,0001";
    QTest::newRow("currency whole") << cur(12.0) << "12";
    QTest::newRow("boolean") << Variant(true) << "True";
    QTest::newRow("date only") << date(36526.0) << "01.01.2000";
    QTest::newRow("date and time") << date(36526.75) << "01.01.2000 18:00:00";
    QTest::newRow("zero date") << date(0.5) << "30.12.1899 12:00:00";
    QTest::newRow("before 1899, time counts forward") << date(-1.25) << "29.12.1899 06:00:00";
}

void TestExpr::variantStringForm()
{
    QFETCH(Variant, value);
    QFETCH(QString, text);
    QCOMPARE(value.toString(), text);
}

void TestExpr::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");

    QTest::newRow("integer") << "42" << 42.0 << true;
    QTest::newRow("decimal comma") << "1,5" << 1.5 << true;
    QTest::newRow("blanks around") << "  -2,25 " << -2.25 << true;
    QTest::newRow("leading comma") << ",5" << 0.5 << true;
    QTest::newRow("exponent") << "1,5E3" << 1500.0 << true;
    QTest::newRow("point rejected") << "1.5" << 0.0 << false;
    QTest::newRow("two separators") << "1,2,3" << 0.0 << false;
    QTest::newRow("trailing letters") << "2abc" << 0.0 << false;
    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("sign only") << "-" << 0.0 << false;
    QTest::newRow("exponent without digits") << "1E" << 0.0 << false;
    QTest::newRow("huge") << "1E400" << 0.0 << false;
}

void TestExpr::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, ok);
    double v = 0;
    QCOMPARE(errorOf([&] { v = qpTextToFloat(text); }), ok ? QString() : QStringLiteral("convert"));
    if (ok)
        QCOMPARE(v, value);
}

void TestExpr::textToDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kind");  // date, time, datetime
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");

    QTest::newRow("full date") << "01.02.2000" << "date" << 36557.0 << true;
    QTest::newRow("short parts") << "1.2.2000" << "date" << 36557.0 << true;
    QTest::newRow("two-digit year recent") << "01.02.05" << "date" << 38384.0 << true;
    QTest::newRow("two-digit year past") << "15.03.99" << "date" << 36234.0 << true;
    QTest::newRow("no such day") << "31.02.2000" << "date" << 0.0 << false;
    QTest::newRow("letters") << "bugün" << "date" << 0.0 << false;
    QTest::newRow("trailing text") << "01.02.2000x" << "date" << 0.0 << false;
    QTest::newRow("time hh:mm") << "12:00" << "time" << 0.5 << true;
    QTest::newRow("time with seconds") << "18:00:00" << "time" << 0.75 << true;
    QTest::newRow("time pm") << "6:00 PM" << "time" << 0.75 << true;
    QTest::newRow("hour 24") << "24:00" << "time" << 0.0 << false;
    QTest::newRow("date and time") << "01.02.2000 12:00" << "datetime" << 36557.5 << true;
}

void TestExpr::textToDate()
{
    QFETCH(QString, text);
    QFETCH(QString, kind);
    QFETCH(double, value);
    QFETCH(bool, ok);
    double v = 0;
    const QString raised = errorOf([&] {
        v = kind == QLatin1String("date") ? qpStrToDate(text)
            : kind == QLatin1String("time") ? qpStrToTime(text)
                                            : qpStrToDateTime(text);
    });
    QCOMPARE(raised, ok ? QString() : QStringLiteral("convert"));
    if (ok)
        QCOMPARE(v, value);
}

void TestExpr::roundingHalvesToEven_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("rounded");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("2.5000001") << 2.5000001 << 3.0;
    QTest::newRow("-0.4") << -0.4 << 0.0;
}

void TestExpr::roundingHalvesToEven()
{
    QFETCH(double, x);
    QFETCH(double, rounded);
    QCOMPARE(qpRoundHalfEven(x), rounded);
    QCOMPARE(qpRound(x), int(rounded));
}

void TestExpr::codePageMatchesIconv()
{
    iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1254");
    QVERIFY(cd != iconv_t(-1));
    int checked = 0;
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char out[8] = {};
        char *pin = &in, *pout = out;
        size_t inLeft = 1, outLeft = sizeof out;
        if (iconv(cd, &pin, &inLeft, &pout, &outLeft) == size_t(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;  // a byte the code page leaves undefined
        }
        const QChar c(ushort(uchar(out[0]) | (uchar(out[1]) << 8)));
        QCOMPARE(qpAnsiToChar(uchar(b)), c);
        QCOMPARE(qpCharToAnsi(c), b);
        ++checked;
    }
    iconv_close(cd);
    QCOMPARE(checked, 249);  // 0x81, 0x8D-0x90, 0x9D, 0x9E are undefined
    QCOMPARE(qpCharToAnsi(QChar(0x4E2D)), -1);  // not in the code page
    QCOMPARE(qpCharToAnsi(QChar(0xD0)), -1);    // Latin-1 Ð gave its place to Ğ
}

void TestExpr::messagesAndErrors()
{
    QCOMPARE(qpLoadStr(qpMsgNeedThen), QStringLiteral("Need \"then\" here"));
    QCOMPARE(qpLoadStr(qpMsgGotoLabelNumber), QStringLiteral("\"goto\" label must be a number"));
    QCOMPARE(qpLoadStr(55439), QStringLiteral("Tanınmayan işaret"));
    QCOMPARE(qpLoadStr(12345), QStringLiteral("[message 12345]"));

    // The application's error handler catches std::exception and shows what().
    try {
        throw EConvertError(QStringLiteral("'ğüş' geçerli bir sayı değil"));
    } catch (const std::exception &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("'ğüş' geçerli bir sayı değil"));
    }
}

// ---------------------------------------------------------------- parser

void TestExpr::postfixForm_data()
{
    QTest::addColumn<QString>("expr");
    QTest::addColumn<QString>("postfix");

    QTest::newRow("precedence") << "1 + 2 * 3" << "1 2 3 *+";
    QTest::newRow("left to right") << "10 - 4 - 3" << "10 4 -3 -";
    QTest::newRow("parentheses") << "(1 + 2) * 3" << "1 2 +3 *";
    QTest::newRow("unary minus") << "-5 + 2" << "5 {9}2 +";
    QTest::newRow("unary plus") << "+5" << "5 {10}";
    QTest::newRow("two-char operators") << "a <> b >= c" << "a b {3}c {1}";
    QTest::newRow("or grouping") << "a = 1 OR b = 2" << "a 1 b {4}=2 =";
    QTest::newRow("keywords any case") << "not x mod 2" << "x {12}2 {13}";
    QTest::newRow("keyword before paren") << "INT(x)" << "x {6}";
    QTest::newRow("call kept as written") << "f(x, y) + 1" << "f(x, y)1 +";
    QTest::newRow("name with dot and quotes") << "Table1.\"Field name\" * 2" << "Table1.\"Field name\" 2 *";
    QTest::newRow("bracketed") << "[Price] * [Qty] + 1" << "[Price] [Qty] *1 +";
    QTest::newRow("index suffix") << "Items[3]" << "Items[3] ";
    QTest::newRow("string kept quoted") << "'It''s'" << "'It''s' ";
    QTest::newRow("percent rule") << "%d + 1" << "%d 1 +";
    QTest::newRow("tab becomes part of name") << "a\t+ b" << "a{9} b +";
    QTest::newRow("semicolon ends") << "1 + 2; 5" << "1 2 +";
    QTest::newRow("stray close paren ignored") << "1 + 2) * 3" << "1 2 3 *+";
    QTest::newRow("missing close paren") << "(1 + 2" << "1 2 +";
    QTest::newRow("carriage return separates") << "1\r+\r2" << "1 2 +";
}

void TestExpr::postfixForm()
{
    QFETCH(QString, expr);
    QFETCH(QString, postfix);
    TqpParser p;
    QCOMPARE(visible(p.Str2OPZ(expr)), postfix);
}

namespace {

void testValues(const QString &name, Variant &v)
{
    static const QHash<QString, Variant> values = {
        {QStringLiteral("A"), Variant(1)},         {QStringLiteral("B"), Variant(2)},
        {QStringLiteral("PRICE"), Variant(2.5)},   {QStringLiteral("Price"), Variant(2.5)},
        {QStringLiteral("Qty"), Variant(4)},       {QStringLiteral("S"), Variant(QStringLiteral("x"))},
        {QStringLiteral("N"), Variant::null()},    {QStringLiteral("E"), Variant()},
        {QStringLiteral("D"), Variant::fromDateTime(36526.0)},
    };
    auto it = values.find(name);
    if (it != values.end())
        v = it.value();
}

}  // namespace

void TestExpr::evaluate_data()
{
    QTest::addColumn<QString>("expr");
    QTest::addColumn<Variant>("expected");

    QTest::newRow("empty is int 0") << "" << Variant(0);
    QTest::newRow("blank is int 0") << "   " << Variant(0);
    QTest::newRow("numbers are real") << "7" << Variant(7.0);
    QTest::newRow("point or comma") << "1.5 + 1,5" << Variant(3.0);
    QTest::newRow("1 + 2 * 3") << "1 + 2 * 3" << Variant(7.0);
    QTest::newRow("(1 + 2) * 3") << "(1 + 2) * 3" << Variant(9.0);
    QTest::newRow("10 - 4 - 3") << "10 - 4 - 3" << Variant(3.0);
    QTest::newRow("2 * 3 mod 4") << "2 * 3 mod 4" << Variant(2);
    QTest::newRow("a = 1 OR b = 2 groups oddly") << "a = 1 OR b = 2" << Variant(0);
    QTest::newRow("parenthesised conditions") << "(a = 1) OR (b = 2)" << Variant(1);
    QTest::newRow("NOT 0") << "NOT 0" << Variant(1);
    QTest::newRow("NOT 5") << "NOT 5" << Variant(0);
    QTest::newRow("comparison gives int") << "3 > 2" << Variant(1);
    QTest::newRow("not equal") << "3 <> 3" << Variant(0);
    QTest::newRow("greater equal") << "3 >= 3" << Variant(1);
    QTest::newRow("less equal strings") << "'a' <= 'B'" << Variant(0);
    QTest::newRow("-5 + 2") << "-5 + 2" << Variant(-3.0);
    QTest::newRow("times a negative number") << "2 * -3" << Variant(-6.0);
    QTest::newRow("minus a negative number") << "1 - -1" << Variant(2.0);
    QTest::newRow("and not") << "1 AND NOT 0" << Variant(1);
    QTest::newRow("(-5)") << "(-5)" << Variant(-5.0);
    QTest::newRow("INT(-2.5)") << "INT(-2.5)" << Variant(-2.0);
    QTest::newRow("INT snaps") << "INT(2.9999999999999)" << Variant(3.0);
    QTest::newRow("INT(2.9)") << "INT(2.9)" << Variant(2.0);
    QTest::newRow("FRAC(2.75)") << "FRAC(2.75)" << Variant(0.75);
    QTest::newRow("FRAC snaps") << "FRAC(1.99999999999999)" << Variant(0.0);
    QTest::newRow("ROUND(2.5)") << "ROUND(2.5)" << Variant(2.0);
    QTest::newRow("ROUND(3.5)") << "ROUND(3.5)" << Variant(4.0);
    QTest::newRow("STR of real") << "STR(0.75)" << Variant(QStringLiteral("0,75"));
    QTest::newRow("STR of null") << "STR(N)" << Variant(QString());
    QTest::newRow("5 / 0") << "5 / 0" << Variant(0);
    QTest::newRow("division real") << "3 / 4" << Variant(0.75);
    QTest::newRow("quote doubling") << "'It''s'" << Variant(QStringLiteral("It's"));
    QTest::newRow("concatenation") << "'a' + 'b' + S" << Variant(QStringLiteral("abx"));
    QTest::newRow("TRUE and FALSE literals") << "TRUE" << Variant(true);
    QTest::newRow("false any case") << "fAlSe" << Variant(false);
    QTest::newRow("true + 1") << "TRUE + 1" << Variant(0.0);
    QTest::newRow("COPY") << "COPY('abcdef', 2, 3)" << Variant(QStringLiteral("bcd"));
    QTest::newRow("COPY beyond end") << "COPY('abc', 5, 2)" << Variant(QString());
    QTest::newRow("COPY index below 1") << "copy('abc', 0, 2)" << Variant(QStringLiteral("ab"));
    QTest::newRow("IF false branch") << "IF(1 > 2, 'a', 'b')" << Variant(QStringLiteral("b"));
    QTest::newRow("IF true branch") << "IF(2 > 1, 'a', 'b')" << Variant(QStringLiteral("a"));
    QTest::newRow("IF on Boolean") << "IF(TRUE, 1, 2)" << Variant(1.0);
    QTest::newRow("STRTODATE plus 1.5") << "STRTODATE('01.02.2000') + 1.5" << Variant::fromDateTime(36558.5);
    QTest::newRow("STRTOTIME") << "STRTOTIME('12:00')" << Variant::fromDateTime(0.5);
    QTest::newRow("names via callback") << "[Price] * [Qty] + 1" << Variant(11.0);
    QTest::newRow("upper-cased bare name") << "price * 2" << Variant(5.0);
    QTest::newRow("null propagates") << "N + 1" << Variant::null();
    QTest::newRow("null less than number") << "N < 0" << Variant(1);
    QTest::newRow("date plus number") << "D + 1" << Variant::fromDateTime(36527.0);
    QTest::newRow("semicolon ends expression") << "1 + 2; 5" << Variant(3.0);
    QTest::newRow("stray paren ignored") << "1 + 2) * 3" << Variant(7.0);
    QTest::newRow("missing paren closed") << "(1 + 2" << Variant(3.0);
    QTest::newRow("deep parentheses") << QString(10000, QLatin1Char('(')) + "7" + QString(10000, QLatin1Char(')')) << Variant(7.0);
}

void TestExpr::evaluate()
{
    QFETCH(QString, expr);
    QFETCH(Variant, expected);
    TqpParser p;
    p.OnGetValue = testValues;
    const Variant v = p.Calc(expr);
    QVERIFY2(v.identical(expected), qPrintable(describe(v) + QLatin1String(" != ") + describe(expected)));
}

void TestExpr::badInput_data()
{
    QTest::addColumn<QString>("expr");
    QTest::addColumn<QString>("error");

    QTest::newRow("number 1.2.3") << "1.2.3" << "convert";
    QTest::newRow("number 2abc") << "2abc" << "convert";
    QTest::newRow("unterminated string") << "'abc" << "parser";
    QTest::newRow("unterminated bracket") << "[abc + 1" << "parser";
    QTest::newRow("unterminated index") << "a[1 + 2" << "parser";
    QTest::newRow("unbalanced argument list") << "f(1, (2)" << "parser";
    QTest::newRow("modulus by zero") << "5 mod 0" << "divzero";
    QTest::newRow("operation on empty value") << "E + 1" << "variant";
    QTest::newRow("comparison on empty value") << "E = 1" << "variant";
    QTest::newRow("string compared with number") << "'abc' > 1" << "convert";
    QTest::newRow("operator without operand") << "*" << "parser";
    QTest::newRow("prefix without operand") << "-" << "parser";
    QTest::newRow("INT of non-number") << "INT('x')" << "convert";
    QTest::newRow("COPY bad index") << "COPY('abc', 1.5, 1)" << "convert";
    QTest::newRow("STRTODATE bad text") << "STRTODATE('abc')" << "convert";
    QTest::newRow("null as real") << "INT(N)" << "variant";
}

void TestExpr::badInput()
{
    QFETCH(QString, expr);
    QFETCH(QString, error);
    TqpParser p;
    p.OnGetValue = testValues;
    QCOMPARE(errorOf([&] { p.Calc(expr); }), error);
}

void TestExpr::namesAndFunctionsReachCallbacks()
{
    TqpParser p;
    QStringList names, calls;
    p.OnGetValue = [&](const QString &name, Variant &v) {
        QVERIFY(v.isNull());  // the slot is Null before the call
        names << name;
    };
    p.OnFunction = [&](const QString &name, const Variant &p1, const Variant &p2, const Variant &p3, Variant &v) {
        QVERIFY(v.isNull());
        QVERIFY(p1.isString() && p2.isString() && p3.isString());
        calls << name + QLatin1Char('<') + p1.stringValue() + QLatin1Char('|') + p2.stringValue() +
                     QLatin1Char('|') + p3.stringValue() + QLatin1Char('>');
        v = Variant(10);
    };
    QVERIFY(p.Calc(QStringLiteral("Total + [Total] + [a b]")).isNull());
    QCOMPARE(names, QStringList({"TOTAL", "Total", "a b"}));

    QCOMPARE(p.Calc(QStringLiteral("Items[3]")).toInt(), 10);
    QCOMPARE(p.Calc(QStringLiteral("f(a, b, c, d)")).toInt(), 10);
    QCOMPARE(p.Calc(QStringLiteral("sum(x*(1+2), 'a,b')")).toInt(), 10);
    QCOMPARE(p.Calc(QStringLiteral("g()")).toInt(), 10);
    QCOMPARE(p.Calc(QStringLiteral("h([a,b], \"c,d\")")).toInt(), 10);
    QCOMPARE(calls, QStringList({
                        "GETARRAY<Items| 3|>",          // index text joined with ", "
                        "F<a| c|>",                      // second and fourth arguments lost
                        "SUM<x*(1+2)| 'a,b'|>",          // quotes protect commas, pieces untrimmed
                        "G<||>",
                        "H<[a| \"c|>",                  // brackets and double quotes do not protect commas
                    }));
}

void TestExpr::withoutCallbacksNamesAreNull()
{
    TqpParser p;
    QVERIFY(p.Calc(QStringLiteral("Total")).isNull());
    QVERIFY(p.Calc(QStringLiteral("[Total]")).isNull());
    QVERIFY(p.Calc(QStringLiteral("Total + 1")).isNull());
    QVERIFY(p.Calc(QStringLiteral("f(1)")).isNull());
    // A callback that leaves the slot alone yields Null, not an earlier value.
    p.OnGetValue = [](const QString &name, Variant &v) {
        if (name == QLatin1String("ONE"))
            v = Variant(1);
    };
    QVERIFY(p.Calc(QStringLiteral("One + Two")).isNull());
}

void TestExpr::ifEvaluatesOnlyTheChosenBranch()
{
    TqpParser p;
    QStringList seen;
    p.OnGetValue = [&](const QString &name, Variant &v) {
        seen << name;
        v = Variant(1);
    };
    QCOMPARE(p.Calc(QStringLiteral("IF(0, Yes, No)")).toInt(), 1);
    QCOMPARE(seen, QStringList({"NO"}));
    seen.clear();
    p.Calc(QStringLiteral("IF(Cond, Yes, No)"));
    QCOMPARE(seen, QStringList({"COND", "YES"}));
}

void TestExpr::parserIsReentrant()
{
    TqpParser p;
    // A dictionary-style resolver: a name stands for another expression.
    p.OnGetValue = [&](const QString &name, Variant &v) {
        if (name == QLatin1String("TOTAL"))
            v = p.Calc(QStringLiteral("[Net] + 1"));
        else if (name == QLatin1String("Net"))
            v = p.Calc(QStringLiteral("2 * 3"));
    };
    QCOMPARE(p.Calc(QStringLiteral("Total * 2")).toReal(), 14.0);

    // Unbounded recursion through a callback ends in a clear error.
    TqpParser q;
    q.OnGetValue = [&](const QString &, Variant &v) { v = q.Calc(QStringLiteral("Loop")); };
    QCOMPARE(errorOf([&] { q.Calc(QStringLiteral("Loop")); }), QStringLiteral("parser"));
    QVERIFY(q.Calc(QStringLiteral("1")).identical(Variant(1.0)));  // still usable afterwards
}

void TestExpr::stackLimitIsKept()
{
    TqpParser p;
    auto nested = [](int values) {
        QString s;
        for (int k = 1; k < values; ++k)
            s += QStringLiteral("1+(");
        s += QLatin1Char('1');
        s += QString(values - 1, QLatin1Char(')'));
        return s;
    };
    QCOMPARE(p.Calc(nested(32)).toReal(), 32.0);
    QCOMPARE(errorOf([&] { p.Calc(nested(33)); }), QStringLiteral("parser"));
    // A postfix form handed in directly: 33 operands in a row.
    QString many;
    for (int k = 0; k < 33; ++k)
        many += QStringLiteral("1 ");
    QCOMPARE(errorOf([&] { p.CalcOPZ(many); }), QStringLiteral("parser"));
    QVERIFY(p.CalcOPZ(many.left(64)).identical(Variant(1.0)));  // 32 pending values fit; the first slot wins
}

void TestExpr::lexicalHelpers()
{
    TqpParser p;
    int i = 1;
    QCOMPARE(p.GetIdentify(QStringLiteral("  Table1.\"Field name\"+1"), i), QStringLiteral("Table1.\"Field name\""));
    QCOMPARE(i, 22);
    i = 1;
    QCOMPARE(p.GetIdentify(QStringLiteral("Üye;x:y'z[1]"), i), QStringLiteral("Üye;x:y'z"));
    QCOMPARE(i, 10);
    i = 1;
    QCOMPARE(p.GetIdentify(QStringLiteral("\"a(b\""), i), QStringLiteral("\"a(b\""));

    i = 3;
    QCOMPARE(p.GetString(QStringLiteral("x 'It''s' y"), i), QStringLiteral("'It''s'"));
    QCOMPARE(i, 10);

    QString s1, s2, s3;
    i = 2;
    p.Get3Parameters(QStringLiteral("f(a, (b, c), d) + 1"), i, s1, s2, s3);
    QCOMPARE(QStringList({s1, s2, s3}), QStringList({"a", " (b, c)", " d"}));
    QCOMPARE(i, 16);
    i = 2;
    p.Get3Parameters(QStringLiteral("f(1,2,3,4,5)"), i, s1, s2, s3);
    QCOMPARE(QStringList({s1, s2, s3}), QStringList({"1", "4", ""}));
    i = 2;
    QCOMPARE(errorOf([&] { p.Get3Parameters(QStringLiteral("f(a, (b)"), i, s1, s2, s3); }), QStringLiteral("parser"));
    i = 2;
    QCOMPARE(errorOf([&] { p.Get3Parameters(QStringLiteral("f(')')"), i, s1, s2, s3); }), QString());
    QCOMPARE(s1, QStringLiteral("')'"));
}

void TestExpr::bracketedVariable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("i");
    QTest::addColumn<int>("j");
    QTest::addColumn<QString>("result");

    QTest::newRow("simple") << "x [Total] y" << 3 << 9 << "Total";
    QTest::newRow("nested") << "[a[1]+b]" << 1 << 8 << "a[1]+b";
    QTest::newRow("single quotes protect") << "[x + ']' + y]" << 1 << 13 << "x + ']' + y";
    QTest::newRow("double quotes protect") << "[T.\"a]b\"]" << 1 << 9 << "T.\"a]b\"";
    QTest::newRow("apostrophe inside double quotes") << "[\"it's\"]" << 1 << 8 << "\"it's\"";
    QTest::newRow("unclosed stops at end") << "[abc" << 1 << 4 << "ab";
    QTest::newRow("last char not bracket") << "ab" << 2 << 2 << "";
    QTest::newRow("beyond end") << "ab" << 5 << 5 << "";
    QTest::newRow("empty text") << "" << 1 << 1 << "";
}

void TestExpr::bracketedVariable()
{
    QFETCH(QString, text);
    QFETCH(int, i);
    QFETCH(int, j);
    QFETCH(QString, result);
    int ii = i, jj = -1;
    QCOMPARE(GetBrackedVariable(text, ii, jj), result);
    QCOMPARE(jj, j);
    QCOMPARE(ii, i);
}

void TestExpr::hugeAndDeepInput()
{
    TqpParser p;
    QString seen;
    p.OnGetValue = [&](const QString &name, Variant &v) {
        seen = name;
        v = Variant(1);
    };
    const QString longName(70000, QLatin1Char('n'));
    QCOMPARE(p.Calc(longName).toInt(), 1);
    QCOMPARE(seen.size(), 70000);
    QCOMPARE(p.Calc(QLatin1Char('[') + longName + QLatin1Char(']')).toInt(), 1);

    // Deeply nested built-in forms recurse through Calc: a clear error, no stack overflow.
    QString deepIf;
    for (int k = 0; k < 10000; ++k)
        deepIf += QStringLiteral("IF(1,");
    deepIf += QLatin1Char('1') + QString(10000, QLatin1Char(')'));
    QCOMPARE(errorOf([&] { p.Calc(deepIf); }), QStringLiteral("parser"));

    QString unbalanced(10000, QLatin1Char('('));
    QCOMPARE(p.Calc(unbalanced + QLatin1Char('2')).toReal(), 2.0);
    QCOMPARE(p.Calc(QString(10000, QLatin1Char(')')) + QLatin1Char('2')).toReal(), 2.0);
}

void TestExpr::fuzzRegressions_data()
{
    QTest::addColumn<QString>("postfix");
    // Postfix texts that can make an evaluator stand still (an operand that
    // reads nothing) or read past the end; each must end, with a value or a
    // clear error.
    QTest::newRow("stray close paren after percent") << "%) ";
    QTest::newRow("lone close paren") << ")";
    QTest::newRow("bracket at end") << "[";
    QTest::newRow("unclosed call") << "f(";
    QTest::newRow("index at end") << "a[";
    QTest::newRow("operator codes only") << QString(QChar(1)) + QChar(9) + QChar(13);
    QTest::newRow("quote at end") << "'";
}

void TestExpr::fuzzRegressions()
{
    QFETCH(QString, postfix);
    TqpParser p;
    const QString raised = errorOf([&] { p.CalcOPZ(postfix); });
    QVERIFY(raised.isEmpty() || raised == QLatin1String("parser"));
    const QString raised2 = errorOf([&] { p.Calc(postfix); });
    QVERIFY(raised2.isEmpty() || raised2 == QLatin1String("parser"));
}

// ---------------------------------------------------------------- lists

void TestExpr::variablesList()
{
    TqpVariables v;
    v.SetVariable(QStringLiteral("Zeta"), Variant(1));
    v.SetVariable(QStringLiteral("alpha"), Variant(2));
    v.SetVariable(QStringLiteral("ZETA"), Variant(3));  // same name, replaces
    QCOMPARE(v.Count(), 2);
    QCOMPARE(v.GetName(0), QStringLiteral("Zeta"));
    QCOMPARE(v.GetVariable(QStringLiteral("zeta")).toInt(), 3);
    QVERIFY(v.GetVariable(QStringLiteral("missing")).isNull());
    QVERIFY(v.GetValue(5).identical(Variant(0)));
    QCOMPARE(v.GetName(-1), QString());
    v.SetValue(7, Variant(9));  // out of range: nothing
    v.Delete(7);
    QCOMPARE(v.Count(), 2);

    v.SetSorted(true);
    QCOMPARE(v.GetName(0), QStringLiteral("alpha"));
    v.SetVariable(QStringLiteral("Beta"), Variant(4));
    v.SetVariable(QStringLiteral("a0"), Variant(5));
    QCOMPARE(v.GetName(0), QStringLiteral("a0"));
    QCOMPARE(v.GetName(2), QStringLiteral("Beta"));
    QCOMPARE(v.IndexOf(QStringLiteral("BETA")), 2);
    QCOMPARE(v.IndexOf(QStringLiteral("gamma")), -1);

    TqpVariables u;
    u.SetVariable(QStringLiteral("x"), Variant(QStringLiteral("old")));
    u.Insert(0, QStringLiteral("first"));
    QCOMPARE(u.GetName(0), QStringLiteral("first"));
    QVERIFY(u.GetValue(0).identical(Variant(0)));
    u.Assign(v);
    QCOMPARE(u.Count(), 4);
    QCOMPARE(u.GetName(3), QStringLiteral("Zeta"));
    QCOMPARE(u.GetVariable(QStringLiteral("Beta")).toInt(), 4);
    u.Clear();
    QCOMPARE(u.Count(), 0);
}

void TestExpr::functionSplitter_data()
{
    QTest::addColumn<QString>("expr");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("call") << "SUM([A]) + 1" << QStringList({"SUM([A])"});
    QTest::newRow("leading blank kept") << "x + SUM(y)" << QStringList({" SUM(y)"});
    QTest::newRow("innermost first") << "max(sum(a), 2)" << QStringList({"sum(a)", "max(sum(a), 2)"});
    QTest::newRow("inside brackets") << "[SUM(a) * 2]" << QStringList({"SUM(a)"});
    QTest::newRow("through a variable") << "Total * 2" << QStringList({"SUM(Price)"});
    QTest::newRow("bracketed variable") << "[Total]" << QStringList({"SUM(Price)"});
    QTest::newRow("self-referencing variable ends") << "Loop" << QStringList({" COUNT(b)"});
    QTest::newRow("string literal yields nothing") << "'SUM(a)'" << QStringList();
    QTest::newRow("unknown call") << "f(1) + g(2)" << QStringList();
    QTest::newRow("empty") << "   " << QStringList();
}

void TestExpr::functionSplitter()
{
    QFETCH(QString, expr);
    QFETCH(QStringList, found);
    const QStringList match = {QStringLiteral("SUM"), QStringLiteral("MAX"), QStringLiteral("COUNT")};
    TqpVariables vars;
    vars.SetVariable(QStringLiteral("Total"), Variant(QStringLiteral("SUM(Price)")));
    vars.SetVariable(QStringLiteral("Loop"), Variant(QStringLiteral("Loop + COUNT(b)")));
    QStringList out;
    TqpFunctionSplitter splitter(&match, &out, &vars);
    splitter.Split(expr);
    QCOMPARE(out, found);
}

// ---------------------------------------------------------------- interpreter

void TestExpr::compile_data()
{
    QTest::addColumn<QStringList>("source");
    QTest::addColumn<QString>("compiled");

    QTest::newRow("empty script") << QStringList() << "";
    QTest::newRow("blank lines") << QStringList({"", "   "}) << "";
    QTest::newRow("begin two assignments") << QStringList({"begin x := 1; y := 2 end"}) << "SET x 1  | SET y 2 ";
    QTest::newRow("statements without begin") << QStringList({"x := 1; y := 2"}) << "SET x 1  | SET y 2 ";
    QTest::newRow("if else layout")
        << QStringList({"if a > 1 then b := 1 else b := 2"})
        << "IFNOT a 1 > GOTO 3 | SET b 1  | GOTO 4 | SET b 2 ";
    QTest::newRow("if without else") << QStringList({"if a then b := 1"}) << "IFNOT a  GOTO 2 | SET b 1 ";
    QTest::newRow("while") << QStringList({"while i < 3 do i := i + 1"})
                           << "IFNOT i 3 < GOTO 3 | SET i i 1 + | GOTO 0";
    QTest::newRow("for") << QStringList({"for i := 1 to 3 do s := s + i"})
                         << "SET i 1  | IFNOT i 3 {2} GOTO 5 | SET s s i + | SET i i 1 + | GOTO 1";
    QTest::newRow("repeat") << QStringList({"repeat i := i + 1 until i >= 5"})
                            << "SET i i 1 + | IFNOT i 5 {1} GOTO 0";
    QTest::newRow("call without arguments") << QStringList({"NewPage;"}) << "CALL NewPage(0)";
    QTest::newRow("call at end of text") << QStringList({"begin exit end"}) << "CALL exit(0)";
    QTest::newRow("call with arguments") << QStringList({"Inc(Count)"}) << "CALL Inc(Count)";
    QTest::newRow("indexed assignment") << QStringList({"A[2] := 5"}) << "CALL SETARRAY(A, 2, 5)";
    QTest::newRow("goto resolves label")
        << QStringList({"begin goto 10; x := 1; 10: y := 2; 10: z := 3 end"})
        << "GOTO 2 | SET x 1  | SET y 2  | SET z 3 ";
    QTest::newRow("goto to unknown label ends") << QStringList({"begin goto 7; x := 1 end"}) << "GOTO 65535 | SET x 1 ";
    QTest::newRow("comment braces") << QStringList({"begin { first } x := 1 {second}; y := 2 end"})
                                    << "SET x 1  | SET y 2 ";
    QTest::newRow("line comment") << QStringList({"begin x := 1; // y := 2", "z := 3 end"})
                                  << "SET x 1  | SET z 3 ";
    QTest::newRow("brace kept in literal that starts a word") << QStringList({"x := 'a{b}c'"}) << "SET x 'a{b}c' ";
    QTest::newRow("brace is comment when literal touches") << QStringList({"x:='a{b}c'"}) << "SET x 'ac' ";
    QTest::newRow("keywords any case, end;") << QStringList({"BEGIN If a Then Begin x := 1 End; y := 2 END"})
                                             << "IFNOT a  GOTO 2 | SET x 1  | SET y 2 ";
    QTest::newRow("multi-line expression") << QStringList({"x := 1 +", "  2"}) << "SET x 1 2 +";
    QTest::newRow("tabs are blanks") << QStringList({"begin\tx\t:=\t1\tend"}) << "SET x 1 ";
    QTest::newRow("empty statements") << QStringList({"begin ; x := 1;; end"}) << "SET x 1 ";
    QTest::newRow("property path") << QStringList({"Memo1.Font.Size := 10"}) << "SET Memo1.Font.Size 10 ";
}

void TestExpr::compile()
{
    QFETCH(QStringList, source);
    QFETCH(QString, compiled);
    TqpInterpretator intr;
    QStringList dest = {QStringLiteral("stale")}, errors = {QStringLiteral("stale")};
    intr.PrepareScript(source, dest, errors);
    QCOMPARE(errors, QStringList());
    QVERIFY(!intr.ErrorFlag());
    QCOMPARE(render(dest), compiled);
}

void TestExpr::compileErrors_data()
{
    QTest::addColumn<QStringList>("source");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<QString>("compiled");

    QTest::newRow("E2 then, position after blanks")
        << QStringList({"begin", "if a > 1", "  x := 1", "end"})
        << QStringList({"Line 3/3: Need \"then\" here"}) << "IFNOT a 1 > GOTO ?";
    QTest::newRow("E1") << QStringList({"begin x := 1 y := 2 end"}) << QStringList({"Line 1/14: Need \";\" or \"end\" here"})
                        << "SET x 1 ";
    QTest::newRow("E1 at the top") << QStringList({"x := 1 y := 2"}) << QStringList({"Line 1/8: Need \";\" or \"end\" here"})
                               << "SET x 1 ";
    QTest::newRow("E3") << QStringList({"repeat x := 1 x"}) << QStringList({"Line 1/15: Need \";\" or \"until\" here"})
                        << "SET x 1 ";
    QTest::newRow("E4 while") << QStringList({"while a x := 1"}) << QStringList({"Line 1/9: Need \"do\" here"})
                              << "IFNOT a  GOTO ?";
    QTest::newRow("E5") << QStringList({"for i := 1 do x"}) << QStringList({"Line 1/12: Need \"to\" here"}) << "SET i 1 ";
    QTest::newRow("E6") << QStringList({"goto x"}) << QStringList({"Line 1/6: \"goto\" label must be a number"}) << "";
    QTest::newRow("E7") << QStringList({"x = 1"}) << QStringList({"Line 1/3: Need \":=\" here"}) << "";
    QTest::newRow("E8") << QStringList({"x := (1 + 2"}) << QStringList({"Line 2/1: Need \")\" here"}) << "";
    QTest::newRow("E9 index") << QStringList({"x := a[1 y"}) << QStringList({"Line 1/10: Need \"]\" here"}) << "";
    QTest::newRow("E9 bracketed name") << QStringList({"x := [abc"}) << QStringList({"Line 2/1: Need \"]\" here"}) << "";
    QTest::newRow("E10") << QStringList({"x := f(1 2)"}) << QStringList({"Line 1/10: Need \",\" or \")\" here"}) << "";
    QTest::newRow("position counts removed comments")
        << QStringList({"begin {a long", "comment} x := 1 {c} y := 2 end"})
        << QStringList({"Line 2/21: Need \";\" or \"end\" here"}) << "SET x 1 ";
    QTest::newRow("unterminated string: flag, no message") << QStringList({"x := 'abc"}) << QStringList() << "";
    QTest::newRow("national first letter: flag, no message") << QStringList({"x := Üye"}) << QStringList() << "";
    QTest::newRow("parenthesis inside bracketed argument")
        << QStringList({"x := f([a(b])"}) << QStringList({"Line 1/6: Parametre listesinde kapanmamış parantez: f([a(b])"})
        << "SET x ";
}

void TestExpr::compileErrors()
{
    QFETCH(QStringList, source);
    QFETCH(QStringList, errors);
    QFETCH(QString, compiled);
    TqpInterpretator intr;
    QStringList dest, errs;
    intr.PrepareScript(source, dest, errs);
    QVERIFY(intr.ErrorFlag());
    QCOMPARE(errs, errors);
    QCOMPARE(render(dest), compiled);
}

void TestExpr::runScripts_data()
{
    QTest::addColumn<QStringList>("source");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("for counts and leaves i past the limit")
        << QStringList({"begin s := 0; for i := 1 to 3 do begin s := s + i; Log(i) end end"}) << "i=4 s=6"
        << QStringList({"LOG(i||)", "LOG(i||)", "LOG(i||)"});
    QTest::newRow("for limit evaluated before every pass")
        << QStringList({"begin n := 5; for i := 1 to n do n := n - 1 end"}) << "i=4 n=2" << QStringList();
    QTest::newRow("repeat runs at least once") << QStringList({"begin i := 10; repeat i := i + 1 until i >= 5 end"})
                                               << "i=11" << QStringList();
    QTest::newRow("repeat loops") << QStringList({"begin i := 0; repeat i := i + 1 until i >= 5 end"}) << "i=5"
                                  << QStringList();
    QTest::newRow("while") << QStringList({"begin i := 0; while i < 4 do i := i + 2 end"}) << "i=4" << QStringList();
    QTest::newRow("if then") << QStringList({"begin a := 2; if a > 1 then b := 1 else b := 2 end"}) << "a=2 b=1"
                             << QStringList();
    QTest::newRow("if else") << QStringList({"begin a := 0; if a > 1 then b := 1 else b := 2 end"}) << "a=0 b=2"
                             << QStringList();
    QTest::newRow("null condition counts as true") << QStringList({"if Missing then b := 1"}) << "b=1" << QStringList();
    QTest::newRow("TRUE is true") << QStringList({"if TRUE then b := 1 else b := 2"}) << "b=1" << QStringList();
    QTest::newRow("FALSE is false") << QStringList({"if FALSE then b := 1 else b := 2"}) << "b=2" << QStringList();
    QTest::newRow("call gets text 0") << QStringList({"NewPage;"}) << "" << QStringList({"NEWPAGE(0||)"});
    QTest::newRow("exit ends") << QStringList({"begin Log(1); exit; Log(2) end"}) << "" << QStringList({"LOG(1||)"});
    QTest::newRow("exit(0) ends") << QStringList({"begin Log(1); EXIT(0); Log(2) end"}) << "" << QStringList({"LOG(1||)"});
    QTest::newRow("exit( 0 ) does not end")
        << QStringList({"begin Log(1); exit( 0 ); Log(2) end"}) << ""
        << QStringList({"LOG(1||)", "EXIT( 0 ||)", "LOG(2||)"});
    QTest::newRow("arrays") << QStringList({"begin A[2] := 5; b := A[2] + 1 end"}) << "Arr_A_2=5 b=6" << QStringList();
    QTest::newRow("goto jumps after label, first definition wins")
        << QStringList({"begin goto 10; Log(1); 10: Log(2); 10: Log(3) end"}) << ""
        << QStringList({"LOG(2||)", "LOG(3||)"});
    QTest::newRow("goto loop") << QStringList({"begin i := 0; 1: i := i + 1; if i < 3 then goto 1 end"}) << "i=3"
                               << QStringList();
    QTest::newRow("unresolved goto ends the script") << QStringList({"begin Log(1); goto 5; Log(2) end"}) << ""
                                                     << QStringList({"LOG(1||)"});
    QTest::newRow("string assignment with comment braces") << QStringList({"x:='a{b}c'"}) << "x=ac" << QStringList();
}

void TestExpr::runScripts()
{
    QFETCH(QStringList, source);
    QFETCH(QString, state);
    QFETCH(QStringList, log);
    TestInterpretator intr;
    intr.values.SetSorted(true);
    QStringList compiled, errors;
    intr.PrepareScript(source, compiled, errors);
    QCOMPARE(errors, QStringList());
    intr.DoScript(compiled);
    QCOMPARE(intr.state(), state);
    QCOMPARE(intr.log, log);
    // Running a compiled list twice runs it twice, from the same start.
    if (!log.isEmpty()) {
        intr.log.clear();
        intr.DoScript(compiled);
        QCOMPARE(intr.log, log);
    }
}

void TestExpr::scriptEdgeCases()
{
    // Source and destination may be one list.
    TqpInterpretator intr;
    QStringList lines = {QStringLiteral("begin x := 1; y := 2 end")}, errors;
    intr.PrepareScript(lines, lines, errors);
    QCOMPARE(render(lines), QStringLiteral("SET x 1  | SET y 2 "));

    // Running errors propagate to the caller.
    TestInterpretator t;
    QStringList compiled;
    t.PrepareScript({QStringLiteral("x := 1 mod 0")}, compiled, errors);
    QVERIFY(errors.isEmpty());
    QCOMPARE(errorOf([&] { t.DoScript(compiled); }), QStringLiteral("divzero"));

    // The base interpreter knows no names: it runs without effect.
    TqpInterpretator base;
    base.PrepareScript({QStringLiteral("begin x := y + 1; f(1) end")}, compiled, errors);
    base.DoScript(compiled);

    // An empty compiled list does nothing; a damaged jump line ends the run.
    t.log.clear();
    t.DoScript({});
    t.DoScript({QString(QChar(2)), QString(QChar(3)) + QStringLiteral("Log(1)")});
    QVERIFY(t.log.isEmpty());
}

void TestExpr::scriptLimits()
{
    TqpInterpretator intr;
    QStringList dest, errors;

    // 100 000 characters do not fit the 32 000-character buffer.
    QStringList big;
    for (int k = 0; k < 10000; ++k)
        big << QStringLiteral("x := 1;  ");
    intr.PrepareScript(big, dest, errors);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith(QLatin1String("Line 3201/1: ")), qPrintable(errors[0]));
    QVERIFY(dest.isEmpty());

    // Exactly at the limit still compiles.
    QStringList fits = {QStringLiteral("x := 1") + QString(32000 - 7, QLatin1Char(' '))};
    intr.PrepareScript(fits, dest, errors);
    QCOMPARE(errors, QStringList());
    QCOMPARE(dest.size(), 1);

    // 101 labels fit, the 102nd does not.
    auto labels = [](int count) {
        QString s = QStringLiteral("begin ");
        for (int k = 1; k <= count; ++k)
            s += QStringLiteral("%1: x := %1; ").arg(k);
        return QStringList({s + QStringLiteral("end")});
    };
    intr.PrepareScript(labels(101), dest, errors);
    QCOMPARE(errors, QStringList());
    intr.PrepareScript(labels(102), dest, errors);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(qpLoadStr(qpMsgTooManyLabels)), qPrintable(errors[0]));

    // Deep nesting of statements and parentheses: an error line, no stack overflow.
    intr.PrepareScript({QString(8000, QLatin1Char('(')) + QLatin1Char('1')}, dest, errors);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(qpLoadStr(qpMsgScriptNestedTooDeep)));
    intr.PrepareScript({QStringLiteral("begin ").repeated(5000)}, dest, errors);
    QCOMPARE(errors.size(), 1);
    intr.PrepareScript({QStringLiteral("x := ") + QStringLiteral("-").repeated(20000) + QLatin1Char('1')}, dest, errors);
    QCOMPARE(errors.size(), 1);
}

void TestExpr::splitExpressions()
{
    TqpInterpretator intr;
    QStringList compiled, errors, out;
    intr.PrepareScript({QStringLiteral("begin if SUM(a) > 1 then x := MAX(b) else goto 1; f(COUNT(c)) end")},
                       compiled, errors);
    QCOMPARE(errors, QStringList());
    intr.SplitExpressions(compiled, {QStringLiteral("SUM"), QStringLiteral("MAX"), QStringLiteral("COUNT")}, out,
                          nullptr);
    QCOMPARE(out, QStringList({"SUM(a)", "MAX(b)", "COUNT(c)"}));
}

void TestExpr::globals()
{
    qpInitExpressionGlobals();
    QVERIFY(qpParser && qpInterpretator && qpVariables && qpConsts);
    QVERIFY(qpVariables->Sorted() && qpConsts->Sorted());
    QVERIFY(qpParser->Calc(QStringLiteral("1 + 1")).identical(Variant(2.0)));
    qpDoneExpressionGlobals();
    QVERIFY(!qpParser && !qpVariables);
}

QTEST_GUILESS_MAIN(TestExpr)
#include "test_expr.moc"
