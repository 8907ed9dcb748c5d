#pragma once
// TqpDesignerForm: the designer window around the page canvas: menus and
// toolbars, the page tabs over the scroll box, the status bar, the places
// of the inspector and the insert-fields window, and the file, page and
// option commands. It edits a report's template pages in place (full mode)
// or the objects page of one prepared page (page-edit mode).

#include "report/core/variant.h"
#include "report/designer/designer_options_form.h"
#include "report/designer/report_designer.h"

#include <QHash>
#include <functional>

class QAction;
class QActionGroup;
class QComboBox;
class QDockWidget;
class QLabel;
class QMainWindow;
class QMenu;
class QScrollArea;
class QStatusBar;
class QTabBar;
class QToolBar;
class TqpColorSelector;
class TqpDesignerCommands;
class TqpDesignerPage;
class TqpDesignerState;
class TqpInsFieldsForm;
class TqpInspForm;
class TqpLineStylePanel;
class TqpObject;
class TqpPage;
class TqpReport;
class TqpStatusBox;

class TqpDesignerForm : public TqpReportDesigner {
    Q_OBJECT
public:
    TqpDesignerForm(TqpReport *report, bool fullMode, QWidget *parent = nullptr);
    ~TqpDesignerForm() override;

    TqpReport *const Report;
    TqpDesignerState *State;
    QMainWindow *Frame; // holds the menu bar, toolbars and docks inside the dialog
    QScrollArea *ScrollBox;
    TqpDesignerPage *PageCanvas;
    QTabBar *Tab1;
    QStatusBar *StatusBar1;
    QLabel *StatusPanels[3];
    TqpStatusBox *StatusBox;
    QDockWidget *InspectorDock, *InsFieldsDock;
    QToolBar *StandardBar, *TextBar, *FrameBar, *ObjectsBar, *AlignBar, *ToolsBar;
    QMenu *ToolsMenu;
    QString CurDocName;
    TqpDesignerOptions Options;

    // Menu and toolbar commands by the names of their handlers.
    QAction *FileBtn1, *N23, *FileBtn2, *FileBtn3, *N20, *N42, *N8, *PgB3, *FileBtn4, *ExitB;
    QAction *UndoB, *RedoB, *CutB, *CopyB, *PasteB, *DeleteB, *SelectAllB, *EditB;
    QAction *PgB1, *PgB4, *PgB2, *BringToFrontB, *SendToBackB;
    QAction *GB1, *GB2, *GB3, *N14, *HelpContents, *HelpBtn, *AboutB, *CloseEditorB;
    QActionGroup *ToolGroup;
    QHash<int, QAction *> ToolActions; // by canvas tool

    // The editing commands and what drives them: the property toolbars'
    // buttons by tag, their boxes, the alignment palette by command, the
    // colour selector and line-style panel, the inspector, the page popup.
    TqpDesignerCommands *Commands;
    TqpInspForm *InspForm;
    TqpInsFieldsForm *InsFieldsForm;
    QAction *GrowInspB, *ShowInsFieldsB; // F11 and Ins, wherever the focus is in the window
    TqpColorSelector *ColorSelector;
    TqpLineStylePanel *LineStylePanel;
    QHash<int, QAction *> PropActions;
    QComboBox *FontNameBox = nullptr, *FontSizeBox = nullptr, *FrameWidthBox = nullptr;
    QHash<int, QAction *> AlignActions;
    QAction *HlB1, *FontB, *ClB1, *ClB2, *ClB3, *StB1, *InsFieldsB;
    QMenu *Popup1;

    // Rebuilds the page popup menu for the selection.
    void Popup1Popup();
    void InsFieldsClick();
    // F11: the inspector shown, unfolded and raised.
    void GrowInspector();
    // Ins on a report page: the insert-fields window shown with its field
    // list focused.
    void ShowInsFields();
    // A double click on the inspector's caption: folded when it is at
    // least 31 high, else unfolded.
    void InspectorCaptionDblClick();
    void HlB1Click();
    // The font dialog on the last selected text object's font.
    void C2DblClick();
    // A property button or box used: applied through the commands; a
    // refused value is shown and changes nothing.
    void PropertyClick(int tag, const Variant &value = Variant());

    // The toolbar button of a command that is also a menu item.
    QAction *ButtonOf(QAction *command);

    // Window operations.
    void SetCurPage(int index);
    void SetPageTitles();
    void SetCurDocName(const QString &name);
    // Appends a page and asks its options; false (page gone) on Cancel.
    bool AddPage();
    void RemovePage(int index);
    void SaveState();
    void RestoreState();

    // Commands; those that save return whether the save was done.
    void FileBtn1Click();   // new report
    void N23Click();        // new report from a template
    void FileBtn2Click();   // open
    bool FileBtn3Click();   // save
    bool N20Click();        // save as
    void FileBtn4Click();   // preview
    void N42Click();        // data dictionary
    void N8Click();         // report options
    bool PgB3Click();       // page options
    void PgB1Click();       // add page
    void PgB4Click();       // add dialog page
    void PgB2Click();       // delete page
    void ExitBClick();      // close
    void N14Click();        // designer options
    void N22Click();        // help contents
    // A page tab dragged onto another: the page moves there and the
    // sub-reports keep pointing at the pages they showed.
    void MovePage(int from, int to);

    // TqpReportDesigner
    bool GetModified() override;
    void SetModified(bool value) override;
    void BeforeChange() override;
    void AfterChange() override;
    void RedrawPage() override;
    void SelectObject(const QString &name) override;
    QString InsertDBField() override;
    QString InsertExpression() override;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void createToolbars();
    void createMenus();
    void createEditing();
    void createPropertyBars();
    // Enables the editing commands and shows the selection's properties on the toolbars.
    void updateEditing();
    void showColorSelector(QAction *button, int tag);
    void installEditingEditors();
    void FormShow();
    // Deals with a modified report before a command: false stops the command.
    bool CheckSave();
    // Writes through `save`; a failure is shown and leaves everything as it was.
    bool guarded(const std::function<void()> &work);
    void clearUndo();
    // A page appended to the report and named.
    TqpPage *newPage();
    void applyRestrictions();
    void updateSaveEnabled();
    void updateStatus();
    void unitsToStatus();
    bool allowed(int restriction) const;
    void setAvailable(QAction *action, bool available);
    // The inspector's dock follows its fold: only the caption bar when
    // folded, the height from before the fold when unfolded.
    void fitInspectorDock();

    bool m_shown = false;
    QHash<QAction *, QAction *> m_buttons;
    int m_selectorTag = 0;
    QAction *m_selectorButton = nullptr;
    int m_inspHeight = 0; // the inspector dock's height to unfold to
};

// Installs the designer as the report's designer and the designer class.
void qpInstallDesigner();
