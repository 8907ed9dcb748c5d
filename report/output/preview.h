#pragma once
// The embeddable preview: a panel that shows a report's prepared pages
// inside another window. It owns a hidden preview window and, when
// connected, takes that window's preview area (and, with ShowToolbar, its
// toolbar) into itself; everything else is the window's own behaviour.

#include <QFrame>
#include <functional>
#include <memory>

class QMenu;
class QVBoxLayout;
class TqpPreviewForm;
class TqpReport;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TqpPreview : public QFrame {
    Q_OBJECT

public:
    explicit TqpPreview(QWidget *parent = nullptr);
    ~TqpPreview() override;

    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle style);
    bool ShowToolbar() const { return m_showToolbar; }
    void SetShowToolbar(bool show);
    // Runs whenever the current page is shown, before the page number.
    std::function<void(TqpPreview *preview, int pageNo)> OnPageChanged;
    // The menu the right button pops up instead of the zoom menu; not owned.
    QMenu *PopupMenu = nullptr;

    void Connect(TqpReport *report);
    void Disconnect();
    int GetPage() const;
    void SetPage(int page); // 1 to the page count; others are ignored
    int GetZoom() const;    // percent
    void SetZoom(int percent);
    int GetAllPages() const;
    void OnePage();
    void TwoPages();
    void PageWidth();
    void First();
    void Next();
    void Prev();
    void Last();
    void SaveToFile();
    void LoadFromFile();
    void Print();
    void PageSetupDlg();
    void Find();
    // Frees the pages and hides the preview area.
    void Clear();
    // Loads the prepared-report file when it exists, else clears.
    void LoadFile(const QString &fileName);

    TqpPreviewForm *Window() const { return m_window.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyScrollBars();

    std::unique_ptr<TqpPreviewForm> m_window;
    QVBoxLayout *m_layout;
    QWidget *m_wheelSource = nullptr;
    TScrollStyle m_scrollBars = ssBoth;
    bool m_showToolbar = false;
};
