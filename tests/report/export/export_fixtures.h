#pragma once
// Prepared reports built here in code for the export tests: A4 pages
// (758 by 1071 report units under the virtual printer) holding the objects
// a test sets up, written into the pages' streams as page formation does.

#include "report/engine/prepared_pages.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

#include <QFile>
#include <QProcess>
#include <QTextDocument>
#include <QStringList>
#include <functional>
#include <memory>

// A text object with the font Arial 10 and no frame or fill.
inline std::unique_ptr<TqpMemoView> memoAt(int left, int top, int width, int height, const QString &text)
{
    auto view = std::make_unique<TqpMemoView>();
    view->SetBounds(left, top, width, height);
    view->Memo = text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
    view->Font.Name = QStringLiteral("Arial");
    view->Font.Size = 10;
    return view;
}

// Appends a prepared page (A4, portrait unless asked) with the objects.
inline void addPage(TqpReport &report, const std::vector<TqpView *> &objects, bool landscape = false)
{
    TqpEMFPages &pages = report.GetEMFPages();
    TqpPage paper(9, 2100, 2970, -1, landscape ? poLandscape : poPortrait);
    pages.Add(&paper);
    for (TqpView *view : objects) {
        view->SaveMode = smQPP;
        view->ExpandedMemo = view->Memo;
        view->WriteEntry(pages.CurrentStream());
        view->SaveMode = smQPF;
    }
}

// A report of `count` pages, each with one text "Sayfa n" at (60, 60).
inline std::unique_ptr<TqpReport> numberedReport(int count)
{
    auto report = std::make_unique<TqpReport>();
    report->ShowProgress = false;
    for (int i = 1; i <= count; ++i) {
        auto memo = memoAt(60, 60, 300, 20, QStringLiteral("Sayfa %1").arg(i));
        addPage(*report, {memo.get()});
    }
    return report;
}

inline QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// unrtf's reading of an RTF file as plain text. Its HTML output keeps every
// character of the Turkish code page, its text output does not.
inline QString unrtf(const QString &fileName)
{
    QProcess p;
    p.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), fileName});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("unrtf failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(p.readAllStandardOutput()));
    return doc.toPlainText();
}
