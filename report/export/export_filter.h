#pragma once
// The export frame: a filter is a component that registers its format (a
// description and a file mask) in the process-wide table qpFilters while it
// exists. TqpReport::ExportTo replays the prepared pages through it: the
// document begins, each chosen page begins, every object of the page comes
// as a whole (OnData) and, for text objects, line by line with position and
// frame (OnText), the page ends, the document ends. The filter writes what
// its format needs into Stream.

#include "report/model/report.h"

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TqpView;

enum TqpModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// One line of a text object, as filters that lay text out by lines collect it.
struct TqpTextRec {
    std::unique_ptr<TqpTextRec> Next; // the next record of the same line, in ascending x
    int X = 0;                        // for right-aligned text the right edge of the object
    int Y = 0;
    QString Text;
    QString FontName;
    int FontSize = 0;
    int FontStyle = 0;
    quint32 FontColor = 0;
    int FontCharset = 0;
    quint32 FillColor = 0;
    TRect DrawRect;
    int FrameTyp = 0; // 1 right, 2 bottom, 4 left, 8 top
    int Alignment = 0;
};

class TqpExportFilter : public QObject, public TqpExportTarget {
    Q_OBJECT

public:
    explicit TqpExportFilter(QObject *owner = nullptr);
    // Unregisters the filter.
    ~TqpExportFilter() override;

    // Published.
    bool ShowDialog = false;
    bool Default = false;
    // Fired before anything else; clearing the flag calls the export off.
    std::function<void(QString &fileName, bool &continueExport)> OnBeforeExport;
    // Fired after the file was written, with the name OnBeforeExport left.
    std::function<void(const QString &fileName)> OnAfterExport;

    QString FileName;
    // The output, from OnBeginDoc to OnEndDoc.
    QIODevice *Stream = nullptr;
    // The pages to export, as an operator types them ("1,3,5-12"); blank
    // for every page. Option dialogs and the command line set it.
    QString PageRange;
    // During an export: the report and the index of the prepared page being
    // replayed (from 0).
    TqpReport *Report = nullptr;
    int PageIndex = -1;

    // The line table: per line the head of a chain of text records.
    std::vector<std::unique_ptr<TqpTextRec>> Lines;
    virtual void ClearLines();

    // The options before an export; anything but mrOk calls it off. Without
    // a dialog the result is mrOk.
    virtual int ShowModal();
    virtual void OnBeginDoc() {}
    virtual void OnEndDoc() {}
    virtual void OnBeginPage() {}
    virtual void OnEndPage() {}
    // Off for a filter that draws whole pages itself (OnEndPage with
    // PageIndex): the page's objects are then not replayed one by one.
    virtual bool ReplaysObjects() const { return true; }
    void OnData(int x, int y, TqpView *view) override {}
    void OnText(const TRect &drawRect, int x, int y, const QString &text, int frameTyp, TqpView *view) override {}

protected:
    // The option dialog installed for the filter's class (qpExportDialogs);
    // mrOk without one, so a run without windows exports as set.
    int RunOptionDialog();
};

// Option dialogs by the class name of their filter. The export windows
// install them; the dialog fills itself from the filter and reads its
// values back whatever its result, which it returns.
extern QHash<QString, std::function<int(TqpExportFilter *filter)>> qpExportDialogs;

// An entry of the filter table.
struct TqpFilterEntry {
    TqpExportFilter *Filter = nullptr;
    QString Description; // "ASCII Text dosyasi (*.txt)"
    QString Mask;        // "*.txt"
};

// The registered filters in the order they registered.
extern QList<TqpFilterEntry> qpFilters;
// Called after every change of qpFilters (the preview's save dialog follows it).
extern std::function<void()> qpFiltersChanged;

// The order filters that place whole objects write them in: by top, then
// left, then the length of the text.
inline bool qpPlacedBefore(int top1, int left1, qsizetype length1, int top2, int left2, qsizetype length2)
{
    if (top1 != top2)
        return top1 < top2;
    return left1 != left2 ? left1 < left2 : length1 < length2;
}

// Adds the filter unless one of the same class is registered already.
void qpRegisterExportFilter(TqpExportFilter *filter, const QString &description, const QString &mask);
// Removes the filter's entry; a filter that did not get one leaves the table as it is.
void qpUnRegisterExportFilter(TqpExportFilter *filter);
// The registered filter writing files with that extension ("txt"), or none.
TqpExportFilter *qpFindExportFilter(const QString &extension);
