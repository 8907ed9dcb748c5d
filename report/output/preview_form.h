#pragma once
// The preview window: the prepared pages of a report on screen, several to a
// row when they fit, at a chosen zoom, with paging, scrolling and panning,
// page links, opening and saving prepared-report files, export, printing and
// page setup. The window takes the report's prepared pages while it shows
// them and frees them when it is destroyed; an embeddable control
// (TqpPreview) can host its preview area inside another window.

#include "report/output/preview_search.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QFrame;
class QHideEvent;
class QKeyEvent;
class QLabel;
class QMenu;
class QMouseEvent;
class QPaintEvent;
class QScrollBar;
class QToolButton;
class TqpEMFPages;
class TqpPreview;
class TqpReport;

// Ids of the preview's texts.
enum qpPreviewMessageId : int {
    qpMsgPreviewCaption = 59500,
    qpMsgPreviewPage = 59501,
    qpMsgPreviewFileType = 59502,
    qpMsgPreviewZoom = 59503,
    qpMsgPreviewOpen = 59504,
    qpMsgPreviewSave = 59505,
    qpMsgPreviewPrint = 59506,
    qpMsgPreviewFind = 59507,
    qpMsgPreviewHelp = 59508,
    qpMsgPreviewClose = 59509,
    qpMsgPreviewPageWidth = 59510,
    qpMsgPreviewOnePage = 59511,
    qpMsgPreviewTwoPages = 59512,
    qpMsgPreviewEditPage = 59513,
    qpMsgPreviewNewPage = 59514,
    qpMsgPreviewDelPage = 59515,
    qpMsgPreviewPageSetup = 59516,
    qpMsgPreviewNoHelp = 59517, // %1 help topic
};

enum TqpScaleMode { mdNone = 0, mdPageWidth = 1, mdOnePage = 2, mdTwoPages = 3 };

// The zoom of the last preview, carried to the next one during the run.
extern double SavedZoom;
extern TqpScaleMode SavedZoomMode;

// An export format the save dialog offers after the prepared-report type.
// The export frame keeps this list in step with its filter table; Export
// runs the report's export through the filter into the named file.
struct TqpPreviewExport {
    QString Description;
    QString FileMask; // "*.txt"
    bool Default = false;
    std::function<void(TqpReport *report, const QString &fileName)> Export;
};
extern QList<TqpPreviewExport> qpPreviewExports;

class TqpPreviewForm : public QDialog {
    Q_OBJECT

public:
    explicit TqpPreviewForm(QWidget *parent = nullptr);
    ~TqpPreviewForm() override;

    // The toolbar.
    QWidget *Panel1;
    QToolButton *ZoomBtn, *LoadBtn, *SaveBtn, *PrintBtn, *PageSetupBtn, *FindBtn, *HelpBtn, *ExitBtn;
    QFrame *Separator1, *Separator2, *Separator3;
    // The preview area: the page box, the vertical bar with the paging
    // buttons on the right, the status fields and the horizontal bar below.
    QWidget *ScrollBox;
    QWidget *PBox;
    QWidget *RPanel;
    QScrollBar *VScrollBar;
    QToolButton *PgUp, *PgDown;
    QWidget *BPanel;
    QLabel *Label1, *Label2;
    QScrollBar *HScrollBar;
    // The zoom menu; its items carry their tags as data.
    QMenu *ProcMenu;
    QActionGroup *ZoomGroup;
    QAction *EditSeparator, *EditPageItem, *NewPageItem, *DelPageItem;

    // Connects, shows the first page and shows the window, modally when the
    // report's ModalPreview is set.
    void Show_Modal(TqpReport *report);
    void Connect(TqpReport *report);
    void ConnectBack();
    // Frees the pages the window holds; the report stays connected.
    void FreePages();
    void InitButtons();
    void SetGrayedButtons(bool grayed);
    void RedrawAll(bool reset);
    void FormResize();
    void SetToCurPage();
    void ShowPageNum();
    void LoadFromFile(const QString &fileName);
    void SaveToFile(const QString &fileName);

    void PgUpClick();
    void PgDownClick();
    void ZoomBtnClick();
    void N3Click(int tag);
    void LoadBtnClick();
    void SaveBtnClick();
    void PrintBtnClick();
    void PageSetupBtnClick();
    void ExitBtnClick();
    void HelpBtnClick();
    // The text search: the dialog, then the search from the first or the
    // current page; F3 goes on from the current page with the same text.
    void FindBtnClick();
    void FindNext();
    void FindText();
    const TqpSearchState &Search() const { return m_search; }
    // Where the last match is marked, in page box pixels; empty without one.
    QRect MarkRect() const;
    // Page editing: the current page in the designer, an empty page before
    // the current one, and removing the current page after confirmation.
    void EditBtnClick();
    void NewPageBtnClick();
    void DelPageBtnClick();

    TqpReport *Report() const;
    // The pages shown; none while the report holds them.
    TqpEMFPages *Pages() const { return m_pages.get(); }
    int PageCount() const;
    int CurrentPage() const { return m_curPage; }
    void SetCurrentPage(int page);
    double Scale() const { return m_scale; }
    TqpScaleMode ScaleMode() const { return m_mode; }
    void SetScale(double scale, TqpScaleMode mode);
    // Lines per wheel notch: 1 here, 3 when hosted.
    int WheelFactor = 1;
    void WheelScroll(int notches);
    // The control hosting the preview area; none for a window of its own.
    TqpPreview *Host = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    friend class TqpPBox;
    void paintPages(QPaintEvent *event);
    void pagePress(QMouseEvent *event);
    void pageMove(QMouseEvent *event);
    void pageDoubleClick(QMouseEvent *event);
    bool handleKey(QKeyEvent *event);
    void hScrolled(int position);
    void vScrolled(int position);
    // The page (0-based) under a point of the page box, or -1; `unitPoint`
    // receives the point in report units of that page.
    int pageAt(const QPoint &boxPoint, QPoint &unitPoint) const;
    void followLink(const QString &link);
    void markZoomItem(int tag);
    void showGrayed(QToolButton *button, bool grayed);
    QString placementKey() const;
    void releasePages();
    bool hasPrinters() const;
    void rebuild();
    void helpPress(QMouseEvent *event);
    void showEditItems();
    bool canEditPages() const;
    // A page whose objects cannot be read stays blank; its error is told once.
    void badPage(int index, const std::exception &error);
    void scrollToMark();

    QWidget *m_corner; // keeps the horizontal bar clear of the vertical one
    QPointer<TqpReport> m_report;
    std::shared_ptr<TqpEMFPages> m_pages;
    int m_curPage = 1;
    double m_scale = 1;
    TqpScaleMode m_mode = mdNone;
    int m_ofsX = 0, m_ofsY = 0;
    int m_prevX = 0, m_prevY = 0;
    bool m_ready = false;
    bool m_panning = false;
    QPoint m_panFrom;
    int m_clickedPage = 1;
    bool m_helpMode = false;
    bool m_grayed = false;
    QSet<int> m_badPages; // pages whose objects could not be read
    TqpSearchState m_search;
    std::unique_ptr<TqpPageSearcher> m_searcher;
    int m_markPage = -1; // 0-based page of the marked match, -1 for none
};
