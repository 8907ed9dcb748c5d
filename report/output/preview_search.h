#pragma once
// Finding text on prepared pages: the search dialog, the search state the
// preview keeps between searches, and the walk over what a page actually
// draws. A page is rendered onto a recording canvas at one pixel per report
// unit; its text outputs, in drawing order, are compared one by one, so a
// text is found where one output holds it whole.

#include <QDialog>
#include <QRect>
#include <QString>
#include <memory>

class QCheckBox;
class QGroupBox;
class QImage;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TCanvas;
class TqpEMFPages;

// Ids of the search dialog's and the page editing's texts.
enum qpSearchMessageId : int {
    qpMsgSearchText = 59540,
    qpMsgSearchOptions = 59541,
    qpMsgSearchCase = 59542,
    qpMsgSearchStart = 59543,
    qpMsgSearchFromFirst = 59544,
    qpMsgSearchFromCurrent = 59545,
    qpMsgDeletePage = 59546,
    qpMsgConfirm = 59547,
};

class TqpPreviewSearchForm : public QDialog {
    Q_OBJECT

public:
    explicit TqpPreviewSearchForm(QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *Edit1;
    QGroupBox *GroupBox1, *GroupBox2;
    QCheckBox *CB1;
    QRadioButton *RB1, *RB2;
    QPushButton *Button1, *Button2;

protected:
    void showEvent(QShowEvent *event) override;
};

// What the preview remembers of the last search.
struct TqpSearchState {
    QString Text;               // upper-cased when the case does not count
    bool CaseSensitive = false;
    int Page = 0;               // 0-based page to search next
    int StartRecord = 0;        // first text output of that page that may match
    QRect Found;                // the last match, report units on its page
    bool FoundFlag = false;

    // Takes the dialog's text and case setting.
    void SetText(const QString &text, bool caseSensitive);
    // Where a search starts: the first page, or the current one (1-based),
    // where it goes on after the last match when that was on this page.
    void StartFromFirst();
    void StartFromCurrent(int currentPage);
};

// Renders prepared pages for the search and walks their text outputs.
class TqpPageSearcher {
public:
    TqpPageSearcher();
    ~TqpPageSearcher();
    TqpPageSearcher(const TqpPageSearcher &) = delete;
    TqpPageSearcher &operator=(const TqpPageSearcher &) = delete;

    // The first text output of page `index` at or after `startRecord` that
    // holds the state's text: its bounds go to `found` and the number of
    // the output after it is returned; -1 when none does. The page's
    // objects stay read.
    int FindInEMF(TqpEMFPages &pages, int index, const TqpSearchState &state, QRect &found);

private:
    void render(TqpEMFPages &pages, int index);

    std::unique_ptr<QImage> m_surface;
    std::unique_ptr<TCanvas> m_canvas;
};
