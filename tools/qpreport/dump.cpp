#include "dump.h"

#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/engine/prepared_pages.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include <QDateTime>
#include <QFile>
#include <cstdio>

namespace {

void out(const QString &s)
{
    std::fputs(s.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

QString dateText(double days)
{
    QDate d;
    QTime t;
    qpDecodeDateTime(days, d, t);
    return d.toString(Qt::ISODate) + QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss"));
}

// Lines one per output line, indented, so multi-line texts stay readable.
void outLines(const QString &indent, const QString &title, const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    out(indent + title + QLatin1Char(':'));
    for (const QString &line : lines)
        out(indent + QLatin1String("  | ") + line);
}

void dumpObject(TqpView *view)
{
    out(QStringLiteral("    object %1 (%2)").arg(view->Name, view->ClassName()));
    // The property list is the object's own description of its stored
    // settings; lists and scripts follow as lines.
    for (const TqpPropRec &rec : view->PropList()) {
        if (rec.PropName.compare(QLatin1String("Memo"), Qt::CaseInsensitive) == 0)
            continue;
        const Variant v = view->GetPropValue(rec.PropName);
        if (!v.isNull() && !v.isEmpty())
            out(QStringLiteral("      %1 = %2").arg(rec.PropName, v.toString()));
    }
    outLines(QStringLiteral("      "), QStringLiteral("Memo"), view->Memo);
    outLines(QStringLiteral("      "), QStringLiteral("Script"), view->Script);
}

void dumpPage(int index, TqpPage *page)
{
    const bool dialog = page->PageType == ptDialog;
    out(QStringLiteral("page %1 \"%2\" %3%4").arg(index).arg(page->Name, dialog ? QStringLiteral("dialog")
                                                                                 : QStringLiteral("report"),
                                                          page->Visible ? QString() : QStringLiteral(" hidden")));
    out(QStringLiteral("  paper %1, %2 x %3 (0.1 mm), %4, bin %5")
            .arg(page->PaperSize)
            .arg(page->PaperWidth)
            .arg(page->PaperHeight)
            .arg(page->Orientation == poLandscape ? QStringLiteral("landscape") : QStringLiteral("portrait"))
            .arg(page->PaperBin == qpDefaultBin ? QStringLiteral("default") : QString::number(page->PaperBin)));
    out(QStringLiteral("  margins %1 %2 %3 %4, use margins %5, columns %6 gap %7, print to previous page %8")
            .arg(page->Margins.Left)
            .arg(page->Margins.Top)
            .arg(page->Margins.Right)
            .arg(page->Margins.Bottom)
            .arg(page->UseMargins ? "yes" : "no")
            .arg(page->ColCount)
            .arg(page->ColGap)
            .arg(page->PrintToPrevPage ? "yes" : "no"));
    out(QStringLiteral("  window \"%1\" at %2,%3 size %4x%5, border %6, position %7, colour 0x%8")
            .arg(page->Caption)
            .arg(page->Left)
            .arg(page->Top)
            .arg(page->Width)
            .arg(page->Height)
            .arg(page->BorderStyle)
            .arg(page->Position)
            .arg(page->Color, 8, 16, QLatin1Char('0')));
    outLines(QStringLiteral("  "), QStringLiteral("script"), page->Script);
    for (TqpView *view : std::as_const(page->Items))
        dumpObject(view);
}

void dumpEntries(const char *title, const TqpVariables &entries)
{
    for (int i = 0; i < entries.Count(); ++i)
        out(QStringLiteral("  %1 \"%2\" = \"%3\"").arg(QLatin1String(title), entries.GetName(i),
                                                           entries.GetValue(i).toString()));
}

// A prepared report: per page its paper and the objects as they print.
void dumpPrepared(const QString &fileName)
{
    TqpReport report;
    TqpEMFPages &pages = report.GetEMFPages();
    pages.LoadFromFile(fileName);
    out(QStringLiteral("prepared report %1, %2 pages, printer \"%3\"")
            .arg(fileName)
            .arg(pages.GetCount())
            .arg(report.PrinterName));
    for (int i = 0; i < pages.GetCount(); ++i) {
        const TqpPageInfo &info = pages.GetPages(i);
        out(QStringLiteral("page %1").arg(i + 1));
        out(QStringLiteral("  paper %1, %2 x %3 (0.1 mm), %4, bin %5")
                .arg(info.PaperSize)
                .arg(info.PaperWidth)
                .arg(info.PaperHeight)
                .arg(info.Orientation == poLandscape ? QStringLiteral("landscape") : QStringLiteral("portrait"))
                .arg(info.PaperBin));
        out(QStringLiteral("  margins %1 %2 %3 %4, use margins %5, sheet %6 x %7")
                .arg(info.Margins.Left)
                .arg(info.Margins.Top)
                .arg(info.Margins.Right)
                .arg(info.Margins.Bottom)
                .arg(info.UseMargins ? "yes" : "no")
                .arg(info.PrnInfo.SheetWidth)
                .arg(info.PrnInfo.SheetHeight));
        // One page's objects at a time, so a long report is dumped in little memory.
        pages.ObjectsToPage(i);
        for (const TqpView *view : std::as_const(info.Page->Items)) {
            out(QStringLiteral("    object %1 (kind %2, %3) at %4,%5 size %6x%7")
                    .arg(view->Name)
                    .arg(view->Kind)
                    .arg(view->ClassName())
                    .arg(view->Left)
                    .arg(view->Top)
                    .arg(view->Width)
                    .arg(view->Height));
            if (!view->Tag.isEmpty())
                out(QStringLiteral("      Tag = %1").arg(view->Tag));
            outLines(QStringLiteral("      "), QStringLiteral("Memo"), view->Memo);
        }
        pages.ReleaseObjects(i);
    }
}

} // namespace

int cmdDump(const QStringList &args)
{
    if (args.size() != 1)
        throw EqpError(QStringLiteral("usage: qpreport dump FILE.qpf|FILE.qpp"));
    qpInitModelGlobals();
    qpPrinterStartup();
    if (args[0].endsWith(QLatin1String(".qpp"), Qt::CaseInsensitive)) {
        dumpPrepared(args[0]);
        return 0;
    }
    QFile file(args[0]);
    if (!file.open(QIODevice::ReadOnly))
        throw EqpError(QStringLiteral("cannot read %1: %2").arg(args[0], file.errorString()));
    // Read through memory: the dump shows a protected template without
    // asking, as the stored password is plain hexadecimal anyway.
    QBuffer bytes;
    bytes.setData(file.readAll());
    bytes.open(QIODevice::ReadOnly);
    QString error;
    qpReportUi.ErrorBox = [&error](const QString &text, const QString &) { error = text; };
    TqpReport report;
    report.LoadFromStream(bytes);
    if (!error.isEmpty())
        throw EqpError(args[0] + QLatin1String(": ") + error);
    out(QStringLiteral("template %1, version %2").arg(args[0]).arg(qpVersion));
    out(QStringLiteral("printer \"%1\"%2, two passes %3")
            .arg(report.PrinterName, report.PrintToDefault ? QStringLiteral(" (not switched to)") : QString(),
                 report.DoublePassReport ? QStringLiteral("yes") : QStringLiteral("no")));
    out(QStringLiteral("name \"%1\", author \"%2\", version %3.%4.%5.%6")
            .arg(report.ReportName, report.Author, report.VersionMajor, report.VersionMinor, report.VersionRelease,
                 report.VersionBuild));
    out(QStringLiteral("created %1, changed %2, password protected %3")
            .arg(dateText(report.CreateDate), dateText(report.LastChange),
                 report.PasswordProtected ? QStringLiteral("yes") : QStringLiteral("no")));
    outLines(QString(), QStringLiteral("description"), qpTextLines(report.Description));
    for (int i = 0; i < report.Pages.GetCount(); ++i)
        dumpPage(i, report.Pages.GetPages(i));
    out(QStringLiteral("dictionary"));
    dumpEntries("variable", report.Dictionary.Variables);
    dumpEntries("alias", report.Dictionary.FieldAliases);
    dumpEntries("band source", report.Dictionary.BandDatasources);
    return 0;
}
