#pragma once
// The prepared pages of a built report: per page its paper settings and an
// object stream holding the printed objects in their printing form (texts
// already expanded), written one after another in drawing order. Drawing,
// hit-testing, export and editing read that stream back into a page of
// objects; the whole list is the prepared-report file (.qpp).
//
// Object stream of a page: one byte, the stream version (25), then per
// object its type code, for code 10 its class name, then its record.

#include "report/model/page.h"

#include <QBuffer>
#include <QIODevice>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TCanvas;
class TqpReport;
class TqpView;

// The stream version of prepared pages and of the .qpp file.
constexpr quint8 qpPreparedVersion = 25;

// Ids of the prepared-report messages.
enum qpPreparedMessageId : int {
    qpMsgPreparedDamaged = 59270,  // %1 what is wrong
    qpMsgPreparedPage = 59271,     // %1 page number, %2 what is wrong
    qpMsgPreparedBlockEnd = 59272,
    qpMsgPreparedCount = 59273,    // %1 count
    qpMsgPreparedObject = 59274,   // %1 type code
    qpMsgPreparedReach = 59275,    // %1 object name
    qpMsgPreparedPaper = 59276,    // %1 paper width, %2 paper height
};

// Cursor values handed to OnMouseOverObject and set for "URL" objects.
enum TqpCursor : int { crDefault = 0, crHandPoint = -21 };

// One prepared page.
struct TqpPageInfo {
    TRect PreviewRect;          // where the preview placed the page
    quint16 PaperSize = 0;
    qint32 PaperWidth = 0, PaperHeight = 0;
    quint8 Orientation = poPortrait;
    qint32 PaperBin = -1;
    bool UseMargins = false;    // the template page's margins are in use
    TRect Margins;              // left, top, right, bottom
    TqpPrnInfo PrnInfo;
    bool OnScreen = false;      // set by the preview for the pages it shows
    std::unique_ptr<QBuffer> Stream; // the page's objects; the band engine appends to it
    std::unique_ptr<TqpPage> Page;   // the objects read back, while the page is shown
};

// Opens the tag of a clicked "URL" object as a document or address. Tests
// replace it so that no browser starts.
extern std::function<void(const QString &target)> qpOpenDocument;

class TqpEMFPages {
public:
    explicit TqpEMFPages(TqpReport *parent);
    ~TqpEMFPages();
    TqpEMFPages(const TqpEMFPages &) = delete;
    TqpEMFPages &operator=(const TqpEMFPages &) = delete;

    TqpReport *const Parent;

    int GetCount() const { return int(m_pages.size()); }
    TqpPageInfo &GetPages(int index) const; // EListError outside the list
    // The stream of the last page, at its end, where the band engine writes its objects.
    QBuffer &CurrentStream() const;

    // Appends a record for the template page, then fires OnBeginPage.
    void Add(TqpPage *page);
    // Appends when the index is at or past the end.
    void Insert(int index, TqpPage *page);
    void Delete(int index);
    void Clear();
    // Moves every page of the other report's prepared pages to the end.
    void AddFrom(TqpReport *report);

    // Reads the page's stream into its objects page, once.
    void ObjectsToPage(int index);
    // Writes the (edited) objects page back into the stream.
    void PageToObjects(int index);
    // Frees the objects page; the stream stays.
    void ReleaseObjects(int index);
    // Draws the page's objects scaled into `dest`; a page not on screen
    // releases its objects page instead.
    void Draw(int index, TCanvas *canvas, const TRect &dest);
    // Replays the page's objects through the report's current export filter.
    void ExportData(int index);
    // Hit-tests `pt` (page coordinates) from the topmost object down and
    // fires OnObjectClick (click) or OnMouseOverObject (hover) for the first hit.
    bool DoClick(int index, const QPoint &pt, QString &hint, int &cursor, bool click);

    // The .qpp format. A missing stream loads nothing; a damaged one raises
    // EReadError and leaves the list empty.
    void LoadFromStream(QIODevice *stream);
    void SaveToStream(QIODevice &stream);
    void LoadFromFile(const QString &fileName);
    void SaveToFile(const QString &fileName);

private:
    std::unique_ptr<TqpPageInfo> &record(int index) const;
    void loadCurrentFormat(QIODevice &stream, int version, quint8 compressed);
    void loadOldFormat(QIODevice &stream);
    TqpPageInfo &appendLoadedRecord();
    void readObjects(TqpPageInfo &info, const std::function<void(std::unique_ptr<TqpView>)> &take);

    std::vector<std::unique_ptr<TqpPageInfo>> m_pages;
};
