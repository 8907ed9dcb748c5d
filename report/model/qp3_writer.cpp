#include "report/model/qp3_writer.h"

#include "data/dataset.h"
#include "report/core/conversions.h"
#include "report/core/rounding.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/model/model_errors.h"
#include "report/model/report.h"
#include "report/model/stream_utils.h"

#include <QBuffer>
#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void writeBytes(QIODevice &s, const QByteArray &bytes)
{
    if (s.write(bytes) != bytes.size())
        throw EWriteError(s.errorString());
}

void writeText(QIODevice &s, const QString &text) { writeBytes(s, qpToAnsi(text)); }

void writeLine(QIODevice &s, const QString &line) { writeText(s, line + kCrLf); }

// The component-stream encoding of a property name or a short word.
void putName(QByteArray &b, const char *name)
{
    const QByteArray n(name);
    b.append(char(n.size()));
    b.append(n);
}

// A string value: marker 6 with a length byte, or 12 with a 32-bit length.
void putString(QByteArray &b, const QString &text)
{
    const QByteArray bytes = qpToAnsi(text);
    if (bytes.size() <= 255) {
        b.append(char(6));
        b.append(char(bytes.size()));
    } else {
        b.append(char(12));
        const quint32 n = quint32(bytes.size());
        for (int i = 0; i < 4; ++i)
            b.append(char((n >> (8 * i)) & 0xFF));
    }
    b.append(bytes);
}

// The list markers of the component-stream encoding.
constexpr char kList = 14, kEndOfList = 0;

// The report's data sets (none) and dictionary variables.
QByteArray variableBlock(const TqpReport &report)
{
    QByteArray b;
    putName(b, "Datasets");
    b.append(kList);
    b.append(kEndOfList);
    putName(b, "Variables");
    b.append(kList);
    const TqpVariables &vars = report.Dictionary.Variables;
    for (int i = 0; i < vars.Count(); ++i) {
        b.append(kList);
        putName(b, "Name");
        putString(b, vars.GetName(i));
        putName(b, "Value");
        putString(b, vars.GetValue(i).toString());
        b.append(kEndOfList);
    }
    b.append(kEndOfList);
    return b;
}

// A script as a procedure of the successor's script language; a script
// wrapped in its own begin and end keeps them as the procedure's body.
void addProcedure(QStringList &out, const QStringList &script, const QString &name)
{
    const qsizetype n = script.size();
    if (n == 0)
        return;
    out << QLatin1String("procedure ") + name + QLatin1String("OnBeforePrint(Sender: TqpComponent);")
        << QStringLiteral("begin") << QLatin1String("  with ") + name + QLatin1String(", Engine do")
        << QStringLiteral("  begin");
    if (script.first() != QLatin1String("begin")) {
        out << script;
        out << QStringLiteral("  end") << QStringLiteral("end;");
    } else {
        out << script.mid(1, n - 2);
        out << QStringLiteral("  end") << script.last() + QLatin1Char(';');
    }
    out << QString();
}

QString pageName(int index) { return QLatin1String("Page") + QString::number(index + 1); }

// Bands of the types the successor has no element for leave no trace.
bool writesElement(const TqpView *view)
{
    const auto *band = dynamic_cast<const TqpBandView *>(view);
    if (!band)
        return true;
    switch (band->GetBandType()) {
    case btOverlay:
    case btCrossHeader:
    case btCrossData:
    case btCrossFooter:
    case btNone: return false;
    default: return true;
    }
}

QString scriptText(const TqpReport &report)
{
    QStringList lines;
    for (int i = 0; i < report.Pages.GetCount(); ++i) {
        const TqpPage *page = report.Pages.GetPages(i);
        addProcedure(lines, page->Script, pageName(i));
        for (const TqpView *view : page->Items)
            if (writesElement(view))
                addProcedure(lines, view->Script, view->Name);
    }
    lines << QStringLiteral("begin") << QString() << QStringLiteral("end.");
    return lines.join(kCrLf) + kCrLf;
}

// Each character code lowered by ten, as the successor stores passwords.
QString lowered(const QString &password)
{
    QByteArray bytes = qpToAnsi(password);
    for (char &c : bytes)
        c = char(quint8(c) - 10);
    return qpFromAnsi(bytes);
}

void writeReportTag(QIODevice &s, TqpReport &report)
{
    qp3Begin(s, QStringLiteral("TqpReport"));
    qp3Attr(s, "ScriptLanguage", QStringLiteral("PascalScript"));
    qp3Text(s, "ScriptText.text", scriptText(report));
    qp3Attr(s, "Propdata", qpStreamToString(variableBlock(report)));
    qp3Text(s, "ReportOptions.Name", report.ReportName);
    qp3Text(s, "ReportOptions.Author", report.Author);
    qp3Text(s, "ReportOptions.Description.text", report.Description);
    qp3Real(s, "ReportOptions.CreateDate", report.CreateDate);
    qp3Real(s, "ReportOptions.LastChange", report.LastChange);
    qp3Text(s, "ReportOptions.VersionMajor", report.VersionMajor);
    qp3Text(s, "ReportOptions.VersionMinor", report.VersionMinor);
    qp3Text(s, "ReportOptions.VersionRelease", report.VersionRelease);
    qp3Text(s, "ReportOptions.VersionBuild", report.VersionBuild);
    qp3Text(s, "ReportOptions.Password", lowered(report.Password));
    writeLine(s, QStringLiteral(">"));
}

// The page's start tag, without its ending.
void writePageTag(QIODevice &s, const TqpPage &page, const QString &name)
{
    const bool scripted = !page.Script.isEmpty();
    if (page.PageType == ptDialog) {
        qp3Begin(s, QStringLiteral("TqpDialogPage"));
        qp3Attr(s, "Name", name);
        qp3Attr(s, "Height", page.Height);
        qp3Attr(s, "Left", page.Left);
        qp3Attr(s, "Top", page.Top);
        qp3Attr(s, "Width", page.Width);
        qp3Attr(s, "BorderStyle", page.BorderStyle);
        qp3Text(s, "Caption", page.Caption);
        qp3Attr(s, "Color", qint32(page.Color));
        qp3Attr(s, "Position", page.Position);
        if (scripted)
            qp3Attr(s, "OnActivate", name + QLatin1String("OnBeforePrint"));
        return;
    }
    const int sheetW = page.PrnInfo.SheetWidth, sheetH = page.PrnInfo.SheetHeight;
    qp3Begin(s, QStringLiteral("TqpReportPage"));
    qp3Attr(s, "Name", name);
    qp3Attr(s, "Orientation", page.Orientation == poLandscape ? QStringLiteral("poLandscape") : QStringLiteral("poPortrait"));
    qp3Attr(s, "PaperWidth", qpUnitsToMM(sheetW));
    qp3Attr(s, "PaperHeight", qpUnitsToMM(sheetH));
    qp3Attr(s, "PaperSize", page.PaperSize);
    qp3Attr(s, "LeftMargin", qpUnitsToMM(page.LeftMargin()));
    qp3Attr(s, "RightMargin", qpUnitsToMM(sheetW - page.RightMargin()));
    qp3Attr(s, "TopMargin", qpUnitsToMM(page.TopMargin()));
    qp3Attr(s, "BottomMargin", qpUnitsToMM(sheetH - page.BottomMargin()));
    qp3Attr(s, "Columns", page.ColCount);
    qp3Attr(s, "ColumnWidth", page.ColWidth);
    if (page.PrintToPrevPage)
        qp3Attr(s, "PrintOnPreviousPage", QStringLiteral("True"));
    if (scripted)
        qp3Attr(s, "OnBeforePrint", name + QLatin1String("OnBeforePrint"));
}

// Objects of a report page are placed from the page's left limit in the
// successor format; the object keeps its own position.
class LeftShift {
public:
    LeftShift(TqpView &view, int by) : m_view(view), m_by(by) { m_view.Left -= m_by; }
    ~LeftShift() { m_view.Left += m_by; }
    LeftShift(const LeftShift &) = delete;
    LeftShift &operator=(const LeftShift &) = delete;

private:
    TqpView &m_view;
    int m_by;
};

void writePage(QIODevice &s, TqpPage &page, const QString &name)
{
    writePageTag(s, page, name);
    if (page.Items.isEmpty()) {
        writeLine(s, QStringLiteral("/>"));
        return;
    }
    writeLine(s, QStringLiteral(">"));
    const int shift = page.PageType == ptReport ? page.LeftMargin() : 0;
    for (TqpView *view : std::as_const(page.Items)) {
        const qint64 before = s.pos();
        {
            LeftShift shifted(*view, shift);
            view->SaveToQP3Stream(s);
        }
        if (s.pos() != before)
            writeLine(s, QStringLiteral("/>"));
    }
    writeLine(s, page.PageType == ptDialog ? QStringLiteral("</TqpDialogPage>") : QStringLiteral("</TqpReportPage>"));
}

} // namespace

QString StrToXML(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 10:
        case 13:
        case '"':
        case '<':
        case '>':
        case '&': out += QLatin1String("&#") + QString::number(c.unicode()) + QLatin1Char(';'); break;
        default: out += c;
        }
    }
    return out;
}

QString qpStreamToString(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex().toUpper()); }

int qpUnitsToMM(int units) { return qpRound(units / 3.77953 * 1.0477419354838709677); }

void SaveToQP3Stream(TqpReport *report, QIODevice &stream)
{
    // Field references of data-bound objects resolve from the report's owner, as in a build.
    if (qpParser)
        report->ConnectParserCallbacks();
    QBuffer body;
    body.open(QIODevice::WriteOnly);
    writeReportTag(body, *report);
    for (int i = 0; i < report->Pages.GetCount(); ++i)
        writePage(body, *report->Pages.GetPages(i), pageName(i));
    writeLine(body, QStringLiteral("</TqpReport>"));

    const QByteArray &bytes = body.data();
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; });
    writeLine(stream, ascii ? QStringLiteral("<?xml version=\"1.0\"?>")
                            : QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1254\"?>"));
    writeBytes(stream, bytes);
}

void qp3Begin(QIODevice &stream, const QString &element) { writeText(stream, QLatin1Char('<') + element); }

void qp3Attr(QIODevice &stream, const char *name, const QString &value)
{
    writeText(stream, QLatin1Char(' ') + QLatin1String(name) + QLatin1String("=\"") + value + QLatin1Char('"'));
}

void qp3Attr(QIODevice &stream, const char *name, qint64 value) { qp3Attr(stream, name, QString::number(value)); }

void qp3Text(QIODevice &stream, const char *name, const QString &text) { qp3Attr(stream, name, StrToXML(text)); }

void qp3Real(QIODevice &stream, const char *name, double value) { qp3Attr(stream, name, qpFloatToStr(value)); }

void qp3Lines(QIODevice &stream, const char *name, const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + kCrLf;
    qp3Text(stream, name, text);
}

void qp3Flag(QIODevice &stream, const char *name, bool condition, bool value)
{
    if (condition)
        qp3Attr(stream, name, value ? QStringLiteral("True") : QStringLiteral("False"));
}

void qp3DataField(QIODevice &stream, const QStringList &memo)
{
    if (memo.isEmpty())
        return;
    // The field reference stands alone or in brackets, as the object binds it when printing.
    QString reference = memo.first();
    if (reference.startsWith(QLatin1Char('[')) && reference.endsWith(QLatin1Char(']')))
        reference = reference.mid(1, reference.size() - 2);
    TDataSet *dataSet = nullptr;
    QString field;
    qpGetDataSetAndField(reference, dataSet, field);
    if (!dataSet || field.isEmpty())
        return;
    const QString owner = dataSet->parent() ? dataSet->parent()->objectName() : QString();
    qp3Attr(stream, "DataSet", owner + QLatin1Char('.') + dataSet->objectName());
    qp3Text(stream, "DataField", field);
}
