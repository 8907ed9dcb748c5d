#include "report/designer/designer_form.h"

#include "platform/modal_seam.h"
#include "platform/window_position.h"
#include "report/core/exceptions.h"
#include "report/core/settings_store.h"
#include "report/core/string_table.h"
#include "report/designer/color_selector.h"
#include "report/designer/designer_commands.h"
#include "report/designer/designer_component.h"
#include "report/designer/designer_options_form.h"
#include "report/designer/designer_page.h"
#include "report/designer/designer_state.h"
#include "report/designer/dict_form.h"
#include "report/designer/expression_form.h"
#include "report/designer/field_chooser.h"
#include "report/designer/font_dialog.h"
#include "report/designer/highlight_form.h"
#include "report/designer/ins_fields_form.h"
#include "report/designer/insert_fields_form.h"
#include "report/designer/insp_form.h"
#include "report/designer/line_style_panel.h"
#include "report/designer/object_editors.h"
#include "report/designer/page_options_form.h"
#include "report/designer/report_options_form.h"
#include "report/designer/status_box.h"
#include "report/designer/template_forms.h"
#include "report/model/model_globals.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"

#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QLineEdit>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>
#include <utility>

namespace {

constexpr int kCaption = 59800, kConfirm = 59801, kOr = 59802, kDeletePage = 59803, kNoHelp = 59927,
              kUntitled = 55209, kSaveChanges = 55306, kPage = 59501, kForm = 55213, kTemplate = 55214,
              kDictionary = 55215, kQP3Form = 55481;
constexpr int kUnitNames[] = {59804, 59805, 59806};

const QString kSettingsKey = QStringLiteral("/Form/TqpDesignerForm/");

// A glyph of our own for a button without a picture: its letters on a small face.
QIcon letterIcon(const QString &letters)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(235, 238, 245));
    p.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
    QFont f = p.font();
    f.setPixelSize(letters.size() > 1 ? 9 : 12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 50, 110));
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, letters);
    return QIcon(pm);
}

QIcon resourceIcon(const char *name) { return QIcon(QStringLiteral(":/quillpress/icons/%1.png").arg(QLatin1String(name))); }

QString fileFilter(int id, const char *pattern) { return qpLoadStr(id) + QLatin1Char(' ') + QLatin1String(pattern); }

} // namespace

TqpDesignerForm::TqpDesignerForm(TqpReport *report, bool fullMode, QWidget *parent)
    : TqpReportDesigner(fullMode, parent), Report(report)
{
    setObjectName(QStringLiteral("TqpDesignerForm"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    State = new TqpDesignerState(report, this);
    Commands = new TqpDesignerCommands(State);
    Frame = new QMainWindow(this);
    // A main window is always made as a window; this one lives inside the dialog.
    Frame->setWindowFlags(Qt::Widget);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Frame);

    auto *centre = new QWidget;
    auto *centreLayout = new QVBoxLayout(centre);
    centreLayout->setContentsMargins(0, 0, 0, 0);
    centreLayout->setSpacing(0);
    Tab1 = new QTabBar;
    Tab1->setObjectName(QStringLiteral("Tab1"));
    Tab1->setShape(QTabBar::RoundedSouth);
    Tab1->setExpanding(false);
    Tab1->setContextMenuPolicy(Qt::CustomContextMenu);
    Tab1->setMovable(true);
    ScrollBox = new QScrollArea;
    ScrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox->setBackgroundRole(QPalette::Dark);
    PageCanvas = new TqpDesignerPage(State, ScrollBox);
    centreLayout->addWidget(ScrollBox, 1);
    centreLayout->addWidget(Tab1);
    Frame->setCentralWidget(centre);

    StatusBar1 = new QStatusBar;
    StatusBar1->setSizeGripEnabled(true);
    for (QLabel *&panel : StatusPanels)
        panel = new QLabel;
    StatusPanels[0]->setFixedWidth(75);
    StatusBox = new TqpStatusBox(PageCanvas);
    StatusBox->setFixedSize(230, 18);
    StatusBar1->addWidget(StatusPanels[0]);
    StatusBar1->addWidget(StatusBox);
    StatusBar1->addWidget(StatusPanels[2], 1);
    StatusPanels[0]->installEventFilter(this);
    Frame->setStatusBar(StatusBar1);

    // The inspector gets its contents with the editing commands.
    InspectorDock = new QDockWidget(qpLoadStr(59780), Frame);
    InspectorDock->setObjectName(QStringLiteral("TqpInspForm"));
    InspectorDock->setWidget(new QWidget);
    InspectorDock->setFloating(false);
    Frame->addDockWidget(Qt::RightDockWidgetArea, InspectorDock);
    InsFieldsDock = new QDockWidget(qpLoadStr(59848), Frame);
    InsFieldsDock->setObjectName(QStringLiteral("TqpInsFieldsForm"));
    InsFieldsForm = new TqpInsFieldsForm(State);
    InsFieldsDock->setWidget(InsFieldsForm);
    Frame->addDockWidget(Qt::RightDockWidgetArea, InsFieldsDock);
    if (!FullMode)
        InsFieldsDock->hide();

    createActions();
    createToolbars();
    createMenus();
    createEditing();

    connect(Tab1, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index != State->CurPageIndex)
            SetCurPage(index);
    });
    connect(Tab1, &QTabBar::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (!FullMode)
            return;
        QMenu menu;
        menu.addAction(PgB1);
        menu.addAction(PgB4);
        menu.addAction(PgB2);
        menu.addAction(PgB3);
        menu.exec(Tab1->mapToGlobal(pos));
    });
    connect(Tab1, &QTabBar::tabMoved, this, &TqpDesignerForm::MovePage);
    connect(State, &TqpDesignerState::modifiedChanged, this, [this] { updateSaveEnabled(); });
    // Pages made current or added from the canvas or an editor (a sub-report
    // opened, one inserted, an insertion undone): the tabs follow.
    // Inspector edits end here too; a report opened or a dictionary loaded
    // brings new data sets to the insert-fields window.
    connect(State, &TqpDesignerState::pageChanged, this, [this] {
        Page = State->Page();
        SetPageTitles();
        InsFieldsForm->Refresh();
        Tab1->blockSignals(true);
        Tab1->setCurrentIndex(State->CurPageIndex);
        Tab1->blockSignals(false);
    });
    connect(State, &TqpDesignerState::selectionChanged, this, &TqpDesignerForm::updateStatus);
    connect(State, &TqpDesignerState::undoChanged, this, &TqpDesignerForm::updateStatus);
    // An editor changed the object: its first line in the status bar follows.
    connect(State, &TqpDesignerState::positionChanged, this, &TqpDesignerForm::updateStatus);
    connect(PageCanvas, &TqpDesignerPage::statusChanged, StatusBox, &TqpStatusBox::Refresh);
    // After an insertion the canvas goes back to the selection tool by itself.
    connect(PageCanvas, &TqpDesignerPage::toolChanged, this, [this](int tool) {
        if (QAction *a = ToolActions.value(tool))
            a->setChecked(true);
    });
    connect(PageCanvas, &TqpDesignerPage::pageEditorRequested, this, [this] {
        if (State->Page() && State->Page()->PageType == ptReport)
            PgB3Click();
    });
    resize(1000, 720);
}

TqpDesignerForm::~TqpDesignerForm()
{
    clearUndo();
    delete Commands;
    SaveState();
    if (FullMode)
        Report->FileName = CurDocName == qpLoadStr(kUntitled) ? QString() : CurDocName;
    if (qpDesigner == this) {
        qpDesigner = nullptr;
        qpRemoveObjectEditors();
        qpFontEditor = qpHighlightEditor = nullptr;
    }
    if (qpDesignerPage == State->Page())
        qpDesignerPage = nullptr;
}

// ---------------------------------------------------------------- building

void TqpDesignerForm::createActions()
{
    const auto make = [this](int captionId, const QIcon &icon, const QKeySequence &key, auto handler) {
        auto *a = new QAction(icon, qpLoadStr(captionId), this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    FileBtn1 = make(59856, resourceIcon("document-new"), {}, [this] { FileBtn1Click(); });
    FileBtn1->setIcon(letterIcon(QStringLiteral("+")));
    N23 = make(59811, QIcon(), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { N23Click(); });
    FileBtn2 = make(59812, resourceIcon("document-open"), QKeySequence(Qt::CTRL | Qt::Key_O), [this] { FileBtn2Click(); });
    FileBtn3 = make(59813, resourceIcon("document-save"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { FileBtn3Click(); });
    N20 = make(59814, QIcon(), {}, [this] { N20Click(); });
    N42 = make(59815, QIcon(), {}, [this] { N42Click(); });
    N8 = make(59816, QIcon(), {}, [this] { N8Click(); });
    PgB3 = make(59817, resourceIcon("document-page-setup"), {}, [this] { PgB3Click(); });
    FileBtn4 = make(59818, resourceIcon("document-print"), QKeySequence(Qt::CTRL | Qt::Key_P), [this] { FileBtn4Click(); });
    ExitB = make(59819, resourceIcon("application-exit"), {}, [this] { ExitBClick(); });

    UndoB = make(59821, letterIcon(QStringLiteral("↶")), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] {
        State->Undo(State->UndoBuffer);
        updateStatus();
    });
    RedoB = make(59822, letterIcon(QStringLiteral("↷")), QKeySequence(Qt::CTRL | Qt::Key_Y), [this] {
        State->Undo(State->RedoBuffer);
        updateStatus();
    });
    CutB = make(59823, letterIcon(QStringLiteral("✂")), QKeySequence(Qt::CTRL | Qt::Key_X),
                [this] { guarded([this] { Commands->Cut(); }); });
    CopyB = make(59824, letterIcon(QStringLiteral("⎘")), QKeySequence(Qt::CTRL | Qt::Key_C),
                 [this] { guarded([this] { Commands->Copy(); }); });
    PasteB = make(59825, letterIcon(QStringLiteral("⎀")), QKeySequence(Qt::CTRL | Qt::Key_V),
                  [this] { guarded([this] { Commands->Paste(PageCanvas->pos()); }); });
    BringToFrontB = make(59832, letterIcon(QStringLiteral("▲")), {}, [this] { Commands->BringToFront(); });
    SendToBackB = make(59833, letterIcon(QStringLiteral("▼")), {}, [this] { Commands->SendToBack(); });
    DeleteB = make(59826, QIcon(), QKeySequence(Qt::Key_Delete), [this] { State->DeleteObjects(); });
    SelectAllB = make(59827, letterIcon(QStringLiteral("A")), QKeySequence(Qt::CTRL | Qt::Key_A),
                      [this] { Commands->SelectAll(); });
    EditB = make(59828, QIcon(), {}, [this] { State->ShowEditor(); });
    PgB1 = make(59829, letterIcon(QStringLiteral("+P")), {}, [this] { PgB1Click(); });
    PgB4 = make(59830, letterIcon(QStringLiteral("+F")), {}, [this] { PgB4Click(); });
    PgB2 = make(59831, letterIcon(QStringLiteral("−P")), {}, [this] { PgB2Click(); });

    GB1 = make(59804, letterIcon(QStringLiteral("#")), {}, [this](bool on) { State->SetGridShow(on); });
    GB1->setCheckable(true);
    GB2 = make(59869, letterIcon(QStringLiteral("⌗")), {}, [this](bool on) { State->SetGridAlign(on); });
    GB2->setCheckable(true);
    GB3 = make(59870, letterIcon(QStringLiteral("↕")), {}, [this] { Commands->FitToGrid(); });
    N14 = make(59837, QIcon(), {}, [this] { N14Click(); });
    HelpContents = make(59839, resourceIcon("help-browser"), QKeySequence(Qt::Key_F1), [this] { N22Click(); });
    HelpBtn = make(59840, letterIcon(QStringLiteral("?")), QKeySequence(Qt::SHIFT | Qt::Key_F1), [this] { N22Click(); });
    AboutB = make(59841, QIcon(), {}, [] { UiSeam::ShowMessage(qpLoadStr(kCaption) + QLatin1String(" - Quillpress")); });
    CloseEditorB = make(59509, QIcon(), {}, [] {});
    CloseEditorB->setToolTip(qpLoadStr(59871));
    CloseEditorB->setEnabled(false);

    // Hints of the toolbar buttons where they differ from the menu captions.
    const std::pair<QAction *, int> hints[] = {{FileBtn1, 59856}, {FileBtn2, 59857}, {FileBtn3, 59858},
                                               {FileBtn4, 59859}, {CutB, 59860},     {CopyB, 59861},
                                               {PasteB, 59862},   {UndoB, 59863},    {RedoB, 59864},
                                               {BringToFrontB, 59865}, {SendToBackB, 59866}, {SelectAllB, 59867},
                                               {PgB1, 59514},     {PgB4, 59868},     {PgB2, 59515},
                                               {PgB3, 59516},     {GB1, 59804},      {GB2, 59869},
                                               {GB3, 59870},      {HelpBtn, 59508}};
    for (const auto &[a, id] : hints)
        a->setToolTip(qpLoadStr(id));

    ToolGroup = new QActionGroup(this);
    ToolGroup->setExclusive(true);
    const std::pair<int, std::pair<int, const char *>> tools[] = {
        {dtSelect, {59872, "↖"}}, {dtText, {59873, "T"}},     {dtBand, {59874, "B"}},
        {dtPicture, {59875, "R"}}, {dtSubReport, {59876, "S"}}, {dtLine, {59877, "/"}}};
    for (const auto &[tool, text] : tools) {
        auto *a = new QAction(letterIcon(QString::fromUtf8(text.second)), qpLoadStr(text.first), ToolGroup);
        a->setCheckable(true);
        a->setData(tool);
        ToolActions.insert(tool, a);
        connect(a, &QAction::triggered, this, [this, tool] {
            PageCanvas->SetTool(tool, QApplication::keyboardModifiers() & Qt::ShiftModifier);
        });
    }
    ToolActions.value(dtSelect)->setChecked(true);
}

void TqpDesignerForm::createToolbars()
{
    const auto bar = [this](int titleId, const char *name, Qt::ToolBarArea area) {
        auto *b = new QToolBar(qpLoadStr(titleId), Frame);
        b->setObjectName(QLatin1String(name));
        b->setIconSize(QSize(20, 20));
        Frame->addToolBar(area, b);
        return b;
    };
    StandardBar = bar(59850, "StandardBar", Qt::TopToolBarArea);
    const QList<QList<QAction *>> groups{{FileBtn1, ButtonOf(FileBtn2), ButtonOf(FileBtn3), ButtonOf(FileBtn4)},
                                         {ButtonOf(CutB), ButtonOf(CopyB), ButtonOf(PasteB)},
                                         {ButtonOf(UndoB), ButtonOf(RedoB)},
                                         {ButtonOf(BringToFrontB), ButtonOf(SendToBackB), ButtonOf(SelectAllB)},
                                         {ButtonOf(PgB1), ButtonOf(PgB4), ButtonOf(PgB2), ButtonOf(PgB3)},
                                         {GB1, GB2, GB3},
                                         {ButtonOf(HelpBtn)},
                                         {CloseEditorB}};
    for (const QList<QAction *> &group : groups) {
        if (group != groups.first())
            StandardBar->addSeparator();
        StandardBar->addActions(group);
    }

    TextBar = bar(59851, "TextBar", Qt::TopToolBarArea);
    FrameBar = bar(59852, "FrameBar", Qt::TopToolBarArea);
    ObjectsBar = bar(59853, "ObjectsBar", Qt::LeftToolBarArea);
    for (int tool : {int(dtSelect), int(dtText), int(dtBand), int(dtPicture), int(dtSubReport), int(dtLine)})
        ObjectsBar->addAction(ToolActions.value(tool));
    AlignBar = bar(59854, "AlignBar", Qt::RightToolBarArea);
    createPropertyBars();
    ToolsBar = bar(59855, "ToolsBar", Qt::TopToolBarArea);
    ToolsBar->hide(); // holds no tool yet
    // The text and frame bars take a second row, so that on a usual screen
    // no button hides behind the overflow arrow.
    Frame->insertToolBar(TextBar, ToolsBar);
    Frame->insertToolBarBreak(TextBar);
}

void TqpDesignerForm::createMenus()
{
    QMenuBar *mb = Frame->menuBar();
    QMenu *file = mb->addMenu(qpLoadStr(59810));
    for (QAction *a : {N23, FileBtn2, FileBtn3, N20})
        file->addAction(a);
    file->addSeparator();
    file->addAction(N42);
    file->addSeparator();
    for (QAction *a : {N8, PgB3, FileBtn4})
        file->addAction(a);
    file->addSeparator();
    file->addAction(ExitB);

    QMenu *edit = mb->addMenu(qpLoadStr(59820));
    edit->addAction(UndoB);
    edit->addAction(RedoB);
    edit->addSeparator();
    for (QAction *a : {CutB, CopyB, PasteB, DeleteB, SelectAllB, EditB})
        edit->addAction(a);
    edit->addSeparator();
    for (QAction *a : {PgB1, PgB4, PgB2})
        edit->addAction(a);
    edit->addSeparator();
    edit->addAction(BringToFrontB);
    edit->addAction(SendToBackB);

    ToolsMenu = mb->addMenu(qpLoadStr(59834));
    QMenu *bars = ToolsMenu->addMenu(qpLoadStr(59835));
    const std::pair<int, QWidget *> toggles[] = {{59842, StandardBar}, {59843, TextBar},     {59844, FrameBar},
                                                 {59845, ObjectsBar},  {59846, AlignBar},    {59836, ToolsBar},
                                                 {59847, InspectorDock}, {59848, InsFieldsDock}};
    for (const auto &[id, widget] : toggles) {
        QAction *a = bars->addAction(qpLoadStr(id));
        a->setCheckable(true);
        QWidget *w = widget;
        connect(a, &QAction::triggered, this, [w](bool on) { w->setVisible(on); });
        connect(bars, &QMenu::aboutToShow, a, [a, w] { a->setChecked(w->isVisible()); });
    }
    InsFieldsDock->setProperty("fullModeOnly", true);
    ToolsMenu->addAction(N14);

    QMenu *help = mb->addMenu(qpLoadStr(59838));
    help->addAction(HelpContents);
    help->addAction(HelpBtn);
    help->addSeparator();
    help->addAction(AboutB);
}

// ---------------------------------------------------------------- showing

void TqpDesignerForm::showEvent(QShowEvent *event)
{
    TqpReportDesigner::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TqpDesignerForm::FormShow()
{
    qpDesigner = this;
    qpInstallObjectEditors(State, this);
    installEditingEditors();
    applyRestrictions();
    clearUndo();
    SetModified(false);
    if (Report->Pages.GetCount() == 0)
        newPage();
    SetCurDocName(FullMode && !Report->FileName.isEmpty() ? Report->FileName : qpLoadStr(kUntitled));
    RestoreState();
    InspForm->SetLocalizedNames(Options.LocalizedPropNames);
    State->SyntaxHighlight = Options.SyntaxHighlight;
    FillScreenWhenMaximized(this);
    SetCurPage(0);
    PageCanvas->SetTool(dtSelect);
    ToolActions.value(dtSelect)->setChecked(true);
    if (qpDesignerComponent && qpDesignerComponent->OnShow)
        qpDesignerComponent->OnShow(this);
}

bool TqpDesignerForm::allowed(int restriction) const
{
    return !qpDesignerRestricted(TqpDesignerRestriction(restriction));
}

QAction *TqpDesignerForm::ButtonOf(QAction *command)
{
    if (QAction *button = m_buttons.value(command))
        return button;
    // A toolbar button of its own, so that hiding it leaves the menu item.
    auto *button = new QAction(command->icon(), command->text(), this);
    button->setToolTip(command->toolTip());
    button->setEnabled(command->isEnabled());
    connect(button, &QAction::triggered, command, &QAction::trigger);
    connect(command, &QAction::changed, button, [button, command] { button->setEnabled(command->isEnabled()); });
    m_buttons.insert(command, button);
    return button;
}

void TqpDesignerForm::setAvailable(QAction *action, bool available)
{
    action->setEnabled(available);
    const bool hide = qpDesignerComponent && qpDesignerComponent->HideDisabledButtons;
    // Menus keep the item, disabled; only toolbar buttons disappear.
    QAction *button = m_buttons.value(action, action->parent() == ToolGroup || action == FileBtn1 ? action : nullptr);
    if (button)
        button->setVisible(available || !hide);
}

void TqpDesignerForm::applyRestrictions()
{
    const bool composite = dynamic_cast<TqpCompositeReport *>(Report) != nullptr;
    setAvailable(FileBtn1, FullMode && allowed(qpdrDontCreateReport));
    setAvailable(N23, FullMode && allowed(qpdrDontCreateReport));
    setAvailable(FileBtn2, FullMode && allowed(qpdrDontLoadReport));
    setAvailable(N20, allowed(qpdrDontSaveReport));
    setAvailable(FileBtn4, FullMode && !composite && allowed(qpdrDontPreviewReport));
    setAvailable(ToolActions.value(dtBand), FullMode);
    setAvailable(ToolActions.value(dtSubReport), FullMode);
    setAvailable(PgB1, FullMode && allowed(qpdrDontCreatePage));
    setAvailable(PgB4, FullMode && allowed(qpdrDontCreatePage));
    setAvailable(PgB2, FullMode && allowed(qpdrDontDeletePage));
    setAvailable(PgB3, FullMode && allowed(qpdrDontEditPage));
    setAvailable(N42, FullMode && allowed(qpdrDontEditVariables));
    setAvailable(N8, FullMode && allowed(qpdrDontChangeReportOptions));
    updateSaveEnabled();
}

void TqpDesignerForm::updateSaveEnabled()
{
    // Only the restriction hides the save button; an unmodified report just
    // greys it, so the buttons beside it do not move under the pointer.
    setAvailable(FileBtn3, allowed(qpdrDontSaveReport));
    FileBtn3->setEnabled(FileBtn3->isEnabled() && GetModified());
}

void TqpDesignerForm::updateStatus()
{
    updateEditing();
    StatusPanels[2]->setText(State->ContentText());
    DeleteB->setEnabled(State->DelEnabled());
    EditB->setEnabled(State->EditEnabled());
    UndoB->setEnabled(State->UndoBuffer.Count() > 0);
    RedoB->setEnabled(State->RedoBuffer.Count() > 0);
    StatusBox->Refresh();
}

void TqpDesignerForm::unitsToStatus() { StatusPanels[0]->setText(qpLoadStr(kUnitNames[State->Units])); }

bool TqpDesignerForm::eventFilter(QObject *watched, QEvent *event)
{
    // A double click on the font name opens the font dialog; Enter in a
    // property box applies its text, typed or not in the list.
    if (FontNameBox && watched == FontNameBox->lineEdit() && event->type() == QEvent::MouseButtonDblClick) {
        C2DblClick();
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched->property("propertyTag").isValid()) {
        const int k = static_cast<QKeyEvent *>(event)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            PropertyClick(watched->property("propertyTag").toInt(),
                          Variant(static_cast<QLineEdit *>(watched)->text()));
            return true;
        }
    }
    // A double click on the inspector's caption folds it instead of
    // floating the dock.
    if (watched == InspectorDock && event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && mouse->position().y() < InspForm->y()) {
            InspectorCaptionDblClick();
            return true;
        }
    }
    // A double click on the units panel switches to the next unit.
    if (watched == StatusPanels[0] && event->type() == QEvent::MouseButtonDblClick) {
        State->SetUnits(TqpReportUnits((State->Units + 1) % 3));
        unitsToStatus();
        return true;
    }
    return TqpReportDesigner::eventFilter(watched, event);
}

// ---------------------------------------------------------------- TqpReportDesigner

bool TqpDesignerForm::GetModified() { return State->GetModified(); }

void TqpDesignerForm::SetModified(bool value) { State->SetModified(value); }

void TqpDesignerForm::BeforeChange() { State->BeforeChange(); }

void TqpDesignerForm::AfterChange()
{
    State->AfterChange();
    SetModified(true);
}

void TqpDesignerForm::RedrawPage() { State->Redraw(); }

void TqpDesignerForm::SelectObject(const QString &name)
{
    if (name.startsWith(QLatin1String("Page"), Qt::CaseInsensitive))
        for (int i = 0; i < Report->Pages.GetCount(); ++i)
            if (Report->Pages.GetPages(i)->Name.compare(name, Qt::CaseInsensitive) == 0) {
                SetCurPage(i);
                return;
            }
    State->SelectObject(name);
}

QString TqpDesignerForm::InsertDBField() { return qpInsertDBField(Report->Dictionary, this); }

QString TqpDesignerForm::InsertExpression() { return qpInsertExpression(Report->Dictionary, this); }

// ---------------------------------------------------------------- pages

void TqpDesignerForm::SetCurPage(int index)
{
    if (index < 0 || index >= Report->Pages.GetCount())
        return;
    Page = Report->Pages.GetPages(index);
    ScrollBox->horizontalScrollBar()->setValue(0);
    ScrollBox->verticalScrollBar()->setValue(0);
    State->SetCurPage(index);
    SetPageTitles();
    Tab1->blockSignals(true);
    Tab1->setCurrentIndex(index);
    Tab1->blockSignals(false);
    updateStatus();
    unitsToStatus();
}

void TqpDesignerForm::SetPageTitles()
{
    const int count = Report->Pages.GetCount();
    QStringList titles;
    for (int i = 0; i < count; ++i) {
        QString title;
        for (int p = 0; p < count && title.isEmpty(); ++p)
            for (TqpView *v : Report->Pages.GetPages(p)->Items)
                if (v->Kind == vkSubReport && static_cast<TqpSubReportView *>(v)->SubPage == i) {
                    title = v->Name;
                    break;
                }
        titles << (title.isEmpty() ? qpLoadStr(kPage) + QString::number(i + 1) : title);
    }
    Tab1->blockSignals(true);
    if (Tab1->count() == count) {
        for (int i = 0; i < count; ++i)
            if (Tab1->tabText(i) != titles.at(i))
                Tab1->setTabText(i, titles.at(i));
    } else {
        while (Tab1->count())
            Tab1->removeTab(0);
        for (const QString &t : titles)
            Tab1->addTab(t);
    }
    Tab1->setCurrentIndex(State->CurPageIndex);
    Tab1->blockSignals(false);
}

TqpPage *TqpDesignerForm::newPage() { return State->NewPage(); }

bool TqpDesignerForm::AddPage()
{
    if (!FullMode || !allowed(qpdrDontCreatePage))
        return false;
    const int previous = State->CurPageIndex;
    newPage();
    const int index = Report->Pages.GetCount() - 1;
    SetCurPage(index);
    if (PgB3Click()) {
        SetModified(true);
        SetCurPage(index);
        return true;
    }
    Report->Pages.Delete(index);
    SetCurPage(qMin(previous, Report->Pages.GetCount() - 1));
    return false;
}

void TqpDesignerForm::PgB1Click()
{
    State->ResetSelection();
    AddPage();
}

void TqpDesignerForm::PgB4Click()
{
    if (!FullMode || !allowed(qpdrDontCreatePage))
        return;
    TqpPage *page = newPage();
    page->PageType = ptDialog;
    SetModified(true);
    SetCurPage(Report->Pages.GetCount() - 1);
}

void TqpDesignerForm::PgB2Click()
{
    if (!FullMode || Report->Pages.GetCount() < 2)
        return;
    if (UiSeam::MessageBox(this, QMessageBox::Question, qpLoadStr(kConfirm), qpLoadStr(kDeletePage),
                           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        RemovePage(State->CurPageIndex);
}

void TqpDesignerForm::RemovePage(int index)
{
    if (!FullMode || !allowed(qpdrDontDeletePage))
        return;
    SetModified(true);
    const int count = Report->Pages.GetCount();
    if (index >= 0 && index < count) {
        State->Unselect();
        if (count == 1) {
            Report->Pages.GetPages(0)->Clear();
        } else {
            Report->Pages.Delete(index);
            Tab1->blockSignals(true);
            Tab1->removeTab(index);
            Tab1->setCurrentIndex(0);
            Tab1->blockSignals(false);
            // Sub-reports that showed the deleted page go with it; the
            // links to the pages after it follow them down.
            for (int p = 0; p < Report->Pages.GetCount(); ++p) {
                TqpPage *page = Report->Pages.GetPages(p);
                for (int i = page->Items.size() - 1; i >= 0; --i) {
                    TqpView *v = page->Items.at(i);
                    if (v->Kind != vkSubReport)
                        continue;
                    auto *sub = static_cast<TqpSubReportView *>(v);
                    if (sub->SubPage == index)
                        page->Delete(i);
                    else if (sub->SubPage > index)
                        --sub->SubPage;
                }
            }
        }
        State->CurPageIndex = -1;
        SetCurPage(0);
    }
    clearUndo();
}

void TqpDesignerForm::MovePage(int from, int to)
{
    const int count = Report->Pages.GetCount();
    if (!FullMode || from == to || from < 0 || to < 0 || from >= count || to >= count)
        return;
    QList<TqpSubReportView *> subs;
    for (int p = 0; p < count; ++p)
        for (TqpView *v : Report->Pages.GetPages(p)->Items)
            if (v->Kind == vkSubReport)
                subs << static_cast<TqpSubReportView *>(v);
    for (TqpSubReportView *s : subs)
        if (s->SubPage == from)
            s->SubPage = -1;
    const int step = from < to ? -1 : 1;
    for (TqpSubReportView *s : subs)
        if (s->SubPage >= qMin(from, to) && s->SubPage <= qMax(from, to) && s->SubPage != -1)
            s->SubPage += step;
    for (TqpSubReportView *s : subs)
        if (s->SubPage == -1)
            s->SubPage = to;
    Report->Pages.Move(from, to);
    clearUndo();
    SetModified(true);
    SetCurPage(to);
}

// ---------------------------------------------------------------- options

bool TqpDesignerForm::PgB3Click()
{
    TqpPage *page = State->Page();
    if (!FullMode || !page || !allowed(qpdrDontEditPage))
        return false;
    TqpPgoptForm form(this);
    form.Load(page, State->UnlimitedHeight);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return false;
    SetModified(true);
    form.Apply(page, State->UnlimitedHeight);
    SetCurPage(State->CurPageIndex);
    return true;
}

void TqpDesignerForm::N42Click()
{
    if (!FullMode || !allowed(qpdrDontEditVariables))
        return;
    TqpDictForm form(Report->Dictionary, this);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return;
    form.Apply(Report->Dictionary);
    SetModified(true);
    // The selection stays; what lists data sets and fields reads them again.
    InsFieldsForm->Refresh();
    InspForm->FillInspFields();
}

void TqpDesignerForm::N8Click()
{
    if (FullMode && allowed(qpdrDontChangeReportOptions)) {
        TqpDocOptForm form(Report, this);
        if (UiSeam::ShowModal(&form) == QDialog::Accepted) {
            form.Apply();
            SetModified(true);
        }
    }
    SetCurPage(State->CurPageIndex);
}

void TqpDesignerForm::N14Click()
{
    TqpDesOptionsForm form(State, &Options, this);
    if (UiSeam::ShowModal(&form) == QDialog::Accepted) {
        form.Apply();
        InspForm->SetLocalizedNames(Options.LocalizedPropNames);
        State->SyntaxHighlight = Options.SyntaxHighlight;
        GB1->setChecked(State->ShowGrid);
        GB2->setChecked(State->GridAlign);
        unitsToStatus();
    }
    SetCurPage(State->CurPageIndex);
}

void TqpDesignerForm::N22Click()
{
    const QString help = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/index.html"));
    if (QFileInfo::exists(help))
        UiSeam::OpenUrl(QUrl::fromLocalFile(help));
    else
        UiSeam::ShowMessage(qpLoadStr(kNoHelp));
}

// ---------------------------------------------------------------- files

void TqpDesignerForm::clearUndo()
{
    State->ClearUndoBuffer();
    State->ClearRedoBuffer();
}

void TqpDesignerForm::SetCurDocName(const QString &name)
{
    CurDocName = name;
    setWindowTitle(qpLoadStr(kCaption) + QLatin1String(" - ") + QFileInfo(name).fileName());
}

bool TqpDesignerForm::CheckSave()
{
    if (!GetModified())
        return true;
    const QString text = qpLoadStr(kSaveChanges) + QLatin1Char(' ') + qpLoadStr(kOr) + QLatin1Char(' ') +
                         QFileInfo(CurDocName).fileName() + QLatin1Char('?');
    switch (UiSeam::MessageBox(this, QMessageBox::Question, qpLoadStr(kConfirm), text,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return FileBtn3Click();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool TqpDesignerForm::guarded(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const EqpError &e) {
        // The old file is untouched (the writer renames only a complete
        // temporary file); the operator learns why and keeps the designer.
        UiSeam::ShowError(e.message());
        return false;
    }
}

void TqpDesignerForm::FileBtn1Click()
{
    if (!FullMode || !allowed(qpdrDontCreateReport) || !CheckSave())
        return;
    clearUndo();
    State->Unselect();
    Report->Clear();
    newPage();
    State->CurPageIndex = -1;
    SetCurPage(0);
    SetCurDocName(qpLoadStr(kUntitled));
    SetModified(false);
}

void TqpDesignerForm::N23Click()
{
    if (!FullMode || !allowed(qpdrDontCreateReport))
        return;
    if (qpDesignerComponent)
        qpTemplateDir = qpDesignerComponent->TemplateDir;
    QString dir = qpTemplateDir.isEmpty() ? QCoreApplication::applicationDirPath() : qpTemplateDir;
    TqpTemplForm chooser(dir, this);
    if (UiSeam::ShowModal(&chooser) != QDialog::Accepted || chooser.FileName().isEmpty())
        return;
    // Replacing a modified report would lose the operator's work: ask first.
    if (!CheckSave())
        return;
    clearUndo();
    State->Unselect();
    QStringList description;
    QImage picture;
    const bool loaded = guarded([&] { Report->LoadTemplate(chooser.FileName(), description, picture, true); });
    if (Report->Pages.GetCount() == 0)
        newPage();
    SetCurDocName(qpLoadStr(kUntitled));
    State->CurPageIndex = -1;
    SetCurPage(0);
    SetModified(loaded);
}

void TqpDesignerForm::FileBtn2Click()
{
    if (!FullMode || !allowed(qpdrDontLoadReport) || !CheckSave())
        return;
    State->DrawingSuspended = true;
    bool opened = false;
    QString name;
    if (qpDesignerComponent && qpDesignerComponent->OnLoadReport) {
        opened = true;
        qpDesignerComponent->OnLoadReport(Report, name, opened);
    } else {
        QFileDialog dialog(this);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({fileFilter(kForm, "(*.qpf)"), fileFilter(kDictionary, "(*.qpd)")});
        if (qpDesignerComponent && !qpDesignerComponent->OpenDir.isEmpty())
            dialog.setDirectory(qpDesignerComponent->OpenDir);
        if (UiSeam::ShowModal(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            name = dialog.selectedFiles().constFirst();
            State->Unselect();
            if (dialog.nameFilters().indexOf(dialog.selectedNameFilter()) == 1)
                guarded([&] { Report->Dictionary.LoadFromFile(name); });
            else
                opened = Report->LoadFromFile(name);
        }
    }
    State->DrawingSuspended = false;
    if (opened) {
        clearUndo();
        if (Report->Pages.GetCount() == 0)
            newPage();
        SetCurDocName(name);
        SetModified(false);
        State->CurPageIndex = -1;
    }
    SetCurPage(qMin(State->CurPageIndex < 0 ? 0 : State->CurPageIndex, Report->Pages.GetCount() - 1));
}

bool TqpDesignerForm::FileBtn3Click()
{
    if (!allowed(qpdrDontSaveReport))
        return false;
    if (CurDocName == qpLoadStr(kUntitled))
        return N20Click();
    if (qpDesignerComponent && qpDesignerComponent->OnSaveReport) {
        QString name = CurDocName;
        bool saved = true;
        qpDesignerComponent->OnSaveReport(Report, name, false, saved);
        if (saved)
            SetModified(false);
        return saved;
    }
    // A document saved as QP3 stays QP3: the binary form would overwrite the XML file.
    const bool qp3 = CurDocName.endsWith(QLatin1String(".qp3"), Qt::CaseInsensitive);
    if (!guarded([this, qp3] { qp3 ? Report->SaveToQP3File(CurDocName) : Report->SaveToFile(CurDocName); }))
        return false;
    SetModified(false);
    return true;
}

bool TqpDesignerForm::N20Click()
{
    if (!allowed(qpdrDontSaveReport))
        return false;
    bool done = false;
    if (qpDesignerComponent && qpDesignerComponent->OnSaveReport) {
        QString name = CurDocName;
        bool saved = true;
        qpDesignerComponent->OnSaveReport(Report, name, true, saved);
        if (saved) {
            SetCurDocName(name);
            done = true;
        }
    } else {
        QFileDialog dialog(this);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const QStringList filters{fileFilter(kForm, "(*.qpf)"), fileFilter(kQP3Form, "(*.qp3)"),
                                  fileFilter(kTemplate, "(*.qpt)"), fileFilter(kDictionary, "(*.qpd)")};
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
        if (qpDesignerComponent && !qpDesignerComponent->SaveDir.isEmpty())
            dialog.setDirectory(qpDesignerComponent->SaveDir);
        dialog.selectFile(QFileInfo(CurDocName).fileName());
        if (UiSeam::ShowModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        const QFileInfo chosen(dialog.selectedFiles().constFirst());
        const QString base = chosen.dir().filePath(chosen.completeBaseName());
        switch (filters.indexOf(dialog.selectedNameFilter())) {
        case 1: {
            const QString name = base + QLatin1String(".qp3");
            done = guarded([&] { Report->SaveToQP3File(name); });
            if (done)
                SetCurDocName(name);
            break;
        }
        case 2: {
            if (qpDesignerComponent)
                qpTemplateDir = qpDesignerComponent->TemplateDir;
            QString name = base + QLatin1String(".qpt");
            if (!qpTemplateDir.isEmpty())
                name = QDir(qpTemplateDir).filePath(QFileInfo(name).fileName());
            TqpTemplNewForm describe(this);
            if (UiSeam::ShowModal(&describe) == QDialog::Accepted)
                done = guarded([&] { Report->SaveTemplate(name, describe.Description(), describe.Picture()); });
            break;
        }
        case 3:
            // The dictionary is not the report: the report stays unsaved.
            guarded([&] { Report->Dictionary.SaveToFile(base + QLatin1String(".qpd")); });
            break;
        default: {
            const QString name = base + QLatin1String(".qpf");
            done = guarded([&] { Report->SaveToFile(name); });
            if (done)
                SetCurDocName(name);
        }
        }
    }
    if (done)
        SetModified(false);
    return done;
}

void TqpDesignerForm::FileBtn4Click()
{
    if (!FullMode || dynamic_cast<TqpCompositeReport *>(Report) || !allowed(qpdrDontPreviewReport))
        return;
    const bool modal = Report->ModalPreview;
    Report->ModalPreview = true;
    QCoreApplication::processEvents();
    State->Unselect();
    State->Redraw();
    Page = nullptr;
    State->DrawingSuspended = true;
    InspectorDock->setEnabled(false);
    QPointer<TqpPreview> preview = Report->Preview;
    // The preview opens as its own window, never in a control some window holds.
    Report->Preview.clear();
    if (Report->PrepareReport())
        Report->ShowPreparedReport();
    Report->Preview = preview;
    Report->ModalPreview = modal;
    CurReport = Report;
    // Back to designing: page properties read as stored, not as printed.
    DocMode = dmDesigning;
    // A page edited from the preview had a designer of its own, which took
    // the editors with it when it closed.
    qpDesigner = this;
    qpInstallObjectEditors(State, this);
    installEditingEditors();
    State->DrawingSuspended = false;
    InspectorDock->setEnabled(true);
    SetCurPage(qMin(State->CurPageIndex, Report->Pages.GetCount() - 1));
    State->SelectionChanged();
    if (qpDesignerComponent && qpDesignerComponent->OnShow)
        qpDesignerComponent->OnShow(this);
    QApplication::restoreOverrideCursor();
}

// ---------------------------------------------------------------- closing

void TqpDesignerForm::ExitBClick() { done(QDialog::Accepted); }

void TqpDesignerForm::done(int result)
{
    const bool ask = FullMode && GetModified() && allowed(qpdrDontSaveReport) &&
                     !(qpDesignerComponent && !qpDesignerComponent->CloseQuery);
    if (ask) {
        const QString text = qpLoadStr(kSaveChanges) + QLatin1Char(' ') + qpLoadStr(kOr) + QLatin1Char(' ') +
                             QFileInfo(CurDocName).fileName() + QLatin1Char('?');
        switch (UiSeam::MessageBox(this, QMessageBox::Question, qpLoadStr(kConfirm), text,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            if (!FileBtn3Click())
                return;
            break;
        case QMessageBox::No:
            result = QDialog::Rejected;
            break;
        default:
            return;
        }
    }
    TqpReportDesigner::done(result);
}

// ---------------------------------------------------------------- settings

void TqpDesignerForm::SaveState()
{
    const auto settings = qpOpenSettings();
    const QString key = qpRegRootKey() + kSettingsKey;
    settings->setValue(key + QLatin1String("GridSize"), State->GridSize);
    settings->setValue(key + QLatin1String("GridAlign"), State->GridAlign);
    settings->setValue(key + QLatin1String("GridShow"), State->ShowGrid);
    settings->setValue(key + QLatin1String("Units"), int(State->Units));
    settings->setValue(key + QLatin1String("EditAfterInsert"), State->EditAfterInsert);
    settings->setValue(key + QLatin1String("Selection"), int(State->ShapeMode));
    settings->setValue(key + QLatin1String("PagePosition"), int(State->PagePosition));
    settings->setValue(key + QLatin1String("UnlimitedHeight"), State->UnlimitedHeight);
    settings->setValue(key + QLatin1String("DisableUndo"), State->UndoDisabled);
    settings->setValue(key + QLatin1String("GrayButtons"), Options.GrayButtons);
    settings->setValue(key + QLatin1String("BandTitles"), ShowBandTitles);
    settings->setValue(key + QLatin1String("LocalizedPropNames"), Options.LocalizedPropNames);
    settings->setValue(key + QLatin1String("SyntaxHighlight"), Options.SyntaxHighlight);
    const QString insp = qpRegRootKey() + QLatin1String("/Form/TqpInspForm/");
    // The window is already hidden here: what counts is whether the docks were closed.
    settings->setValue(insp + QLatin1String("isVisible"), !InspectorDock->isHidden());
    if (FullMode)
        settings->setValue(qpRegRootKey() + QLatin1String("/Form/TqpInsFieldsForm/isVisible"),
                           !InsFieldsDock->isHidden());
    settings->setValue(qpRegRootKey() + kSettingsKey + QLatin1String("Docks"), Frame->saveState());
    SaveWindowPlacement(*settings, qpRegRootKey() + QLatin1String("/Form/TqpDesignerForm"), this);
}

void TqpDesignerForm::RestoreState()
{
    const auto settings = qpOpenSettings();
    const QString key = qpRegRootKey() + kSettingsKey;
    const auto read = [&](const char *name, const QVariant &def) { return settings->value(key + QLatin1String(name), def); };
    int grid = read("GridSize", 4).toInt();
    State->SetGridSize(grid == 0 ? 4 : grid);
    State->SetGridAlign(read("GridAlign", true).toBool());
    State->SetGridShow(read("GridShow", true).toBool());
    State->SetUnits(TqpReportUnits(qBound(0, read("Units", 0).toInt(), 2)));
    State->EditAfterInsert = read("EditAfterInsert", true).toBool();
    State->ShapeMode = TqpShapeMode(qBound(0, read("Selection", 1).toInt(), 1));
    State->PagePosition = quint8(read("PagePosition", 5).toInt());
    State->UnlimitedHeight = read("UnlimitedHeight", false).toBool();
    State->UndoDisabled = read("DisableUndo", false).toBool();
    Options.GrayButtons = read("GrayButtons", false).toBool();
    ShowBandTitles = read("BandTitles", true).toBool();
    Options.LocalizedPropNames = read("LocalizedPropNames", false).toBool();
    Options.SyntaxHighlight = read("SyntaxHighlight", true).toBool();
    GB1->setChecked(State->ShowGrid);
    GB2->setChecked(State->GridAlign);
    Frame->restoreState(settings->value(key + QLatin1String("Docks")).toByteArray());
    InspectorDock->setVisible(settings->value(qpRegRootKey() + QLatin1String("/Form/TqpInspForm/isVisible"), true).toBool());
    InsFieldsDock->setVisible(
        FullMode && settings->value(qpRegRootKey() + QLatin1String("/Form/TqpInsFieldsForm/isVisible"), true).toBool());
    RestoreWindowPlacement(*settings, qpRegRootKey() + QLatin1String("/Form/TqpDesignerForm"), this);
    unitsToStatus();
}

// ---------------------------------------------------------------- installing

void qpInstallDesigner()
{
    qpDesignerClass = [](bool fullMode) -> TqpReportDesigner * { return new TqpDesignerForm(static_cast<TqpReport *>(CurReport), fullMode); };
    qpDesignerHook = [](TqpReport *report) {
        std::unique_ptr<TqpDesignerForm> form(new TqpDesignerForm(report, true));
        return UiSeam::ShowModal(form.get());
    };
    qpPageEditHook = qpEditPreparedPage;
}

// ---------------------------------------------------------------- editing

namespace {

// A colour button's glyph: its letters over a bar of the colour, a bar in
// the button face when the colour is none.
QIcon colorIcon(const QString &letters, quint32 color)
{
    QPixmap pm = letterIcon(letters).pixmap(20, 20);
    QPainter p(&pm);
    p.fillRect(QRect(2, 15, 16, 4), color == clNone ? QApplication::palette().button().color() : qpToQColor(color));
    return QIcon(pm);
}

} // namespace

void TqpDesignerForm::createPropertyBars()
{
    const auto button = [this](QToolBar *b, int tag, const char *letters, int hint, bool checkable) {
        QAction *a = b->addAction(letterIcon(QString::fromUtf8(letters)), qpLoadStr(hint));
        a->setCheckable(checkable);
        PropActions.insert(tag, a);
        connect(a, &QAction::triggered, this, [this, tag](bool on) { PropertyClick(tag, Variant(on)); });
        return a;
    };
    const auto box = [this](QToolBar *b, QComboBox *combo, int tag, int width) {
        combo->setEditable(true);
        combo->setFixedWidth(width);
        combo->setInsertPolicy(QComboBox::NoInsert);
        b->addWidget(combo);
        // A pick from the list applies it; Enter in the box is taken by the window's filter.
        connect(combo, &QComboBox::activated, this,
                [this, combo, tag] { PropertyClick(tag, Variant(combo->currentText())); });
        combo->lineEdit()->setProperty("propertyTag", tag);
        combo->lineEdit()->installEventFilter(this);
    };

    FontNameBox = new QFontComboBox;
    FontNameBox->setObjectName(QStringLiteral("C2"));
    FontNameBox->setToolTip(qpLoadStr(59930));
    box(TextBar, FontNameBox, ptFontName, 150);
    FontSizeBox = new QComboBox;
    FontSizeBox->setObjectName(QStringLiteral("C3"));
    for (int size : {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        FontSizeBox->addItem(QString::number(size));
    FontSizeBox->setToolTip(qpLoadStr(59931));
    box(TextBar, FontSizeBox, ptFontSize, 52);
    TextBar->addSeparator();
    button(TextBar, ptBold, "K", 59932, true);
    button(TextBar, ptItalic, "E", 59933, true);
    button(TextBar, ptUnderline, "A", 59934, true);
    ClB2 = TextBar->addAction(colorIcon(QStringLiteral("Rf"), 0), qpLoadStr(59935));
    connect(ClB2, &QAction::triggered, this, [this] { showColorSelector(ClB2, ptFontColor); });
    HlB1 = TextBar->addAction(letterIcon(QStringLiteral("Bd")), qpLoadStr(59936));
    connect(HlB1, &QAction::triggered, this, &TqpDesignerForm::HlB1Click);
    TextBar->addSeparator();
    auto *horizontal = new QActionGroup(this);
    for (const auto &[tag, letters, hint] : {std::tuple{ptAlignLeft, "≡l", 59937},
                                             std::tuple{ptAlignCenter, "≡c", 59938},
                                             std::tuple{ptAlignRight, "≡r", 59939},
                                             std::tuple{ptAlignJustify, "≡j", 59940}})
        horizontal->addAction(button(TextBar, tag, letters, hint, true));
    TextBar->addSeparator();
    // The vertical buttons share one tag and tell their bits.
    auto *vertical = new QActionGroup(this);
    for (const auto &[bits, letters, hint] : {std::tuple{0, "⊤", 59941},
                                              std::tuple{int(qptaMiddle), "⊝", 59942},
                                              std::tuple{int(qptaDown), "⊥", 59943}}) {
        QAction *a = TextBar->addAction(letterIcon(QString::fromUtf8(letters)), qpLoadStr(hint));
        a->setCheckable(true);
        a->setData(bits);
        vertical->addAction(a);
        PropActions.insert(1000 + bits, a);
        connect(a, &QAction::triggered, this, [this, bits] { PropertyClick(ptVertical, Variant(bits)); });
    }
    button(TextBar, ptRotation, "90", 59944, true);

    button(FrameBar, ptFrameTop, "▔", 59945, true);
    button(FrameBar, ptFrameLeft, "▏", 59946, true);
    button(FrameBar, ptFrameBottom, "▁", 59947, true);
    button(FrameBar, ptFrameRight, "▕", 59948, true);
    button(FrameBar, ptAllFrames, "□", 59949, false);
    button(FrameBar, ptNoFrames, "∅", 59950, false);
    FrameBar->addSeparator();
    ClB1 = FrameBar->addAction(colorIcon(QStringLiteral("Bg"), clNone), qpLoadStr(59951));
    connect(ClB1, &QAction::triggered, this, [this] { showColorSelector(ClB1, ptFillColor); });
    ClB3 = FrameBar->addAction(colorIcon(QStringLiteral("Fc"), 0), qpLoadStr(59952));
    connect(ClB3, &QAction::triggered, this, [this] { showColorSelector(ClB3, ptFrameColor); });
    FrameWidthBox = new QComboBox;
    FrameWidthBox->setObjectName(QStringLiteral("E1"));
    FrameWidthBox->setToolTip(qpLoadStr(59953));
    for (const char *w : {"0.5", "1", "1.5", "2", "3", "4", "5", "6"})
        FrameWidthBox->addItem(QLatin1String(w));
    box(FrameBar, FrameWidthBox, ptFrameWidth, 52);
    StB1 = FrameBar->addAction(letterIcon(QStringLiteral("Fs")), qpLoadStr(59954));
    connect(StB1, &QAction::triggered, this, [this] {
        ColorSelector->hide();
        if (LineStylePanel->isVisible()) {
            LineStylePanel->hide();
            return;
        }
        QWidget *w = FrameBar->widgetForAction(StB1);
        LineStylePanel->move(w->mapToGlobal(QPoint(0, w->height())));
        LineStylePanel->show();
    });

    const char *alignGlyphs[] = {"|←", "↔", "⇹", "⋯", "→|", "⤒", "↕", "⇳", "⋮", "⤓"};
    constexpr int kFirstAlignHint = 59955; // one message per command, in command order
    for (int command = acAlignLeft; command <= acAlignBottom; ++command) {
        QAction *a = AlignBar->addAction(letterIcon(QString::fromUtf8(alignGlyphs[command - 1])),
                                         qpLoadStr(kFirstAlignHint + command - acAlignLeft));
        AlignActions.insert(command, a);
        connect(a, &QAction::triggered, this, [this, command] {
            if (allowed(qpdrDontMoveObj))
                Commands->Align(command);
        });
    }
}

void TqpDesignerForm::createEditing()
{
    // The selector and the panel drop down under their buttons and close on a click elsewhere.
    ColorSelector = new TqpColorSelector(this);
    ColorSelector->setWindowFlags(Qt::Popup);
    connect(ColorSelector, &TqpColorSelector::ColorSelected, this, [this](quint32 color) {
        ColorSelector->hide();
        if (m_selectorButton)
            m_selectorButton->setIcon(colorIcon(m_selectorButton == ClB1   ? QStringLiteral("Bg")
                                                : m_selectorButton == ClB2 ? QStringLiteral("Rf")
                                                                           : QStringLiteral("Fc"),
                                                color));
        PropertyClick(m_selectorTag, Variant(int(color)));
    });
    LineStylePanel = new TqpLineStylePanel(this);
    LineStylePanel->setWindowFlags(Qt::Popup);
    connect(LineStylePanel, &TqpLineStylePanel::StyleSelected, this,
            [this](int style) { PropertyClick(ptLineStyle + style); });

    InspForm = new TqpInspForm(State);
    InspectorDock->setWidget(InspForm);
    InspectorDock->setWindowTitle(InspForm->windowTitle());
    InspectorDock->installEventFilter(this);
    connect(InspForm, &TqpInspForm::heightChanged, this, &TqpDesignerForm::fitInspectorDock);
    // Keys the window takes before the focused control does.
    GrowInspB = new QAction(this);
    GrowInspB->setShortcut(QKeySequence(Qt::Key_F11));
    connect(GrowInspB, &QAction::triggered, this, &TqpDesignerForm::GrowInspector);
    ShowInsFieldsB = new QAction(this);
    ShowInsFieldsB->setShortcut(QKeySequence(Qt::Key_Insert));
    connect(ShowInsFieldsB, &QAction::triggered, this, &TqpDesignerForm::ShowInsFields);
    ShowInsFieldsB->setEnabled(FullMode);
    for (QAction *a : {GrowInspB, ShowInsFieldsB}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }

    InsFieldsB = new QAction(letterIcon(QStringLiteral("W")), qpLoadStr(59795), this);
    connect(InsFieldsB, &QAction::triggered, this, &TqpDesignerForm::InsFieldsClick);
    if (FullMode) {
        QMenu *extra = new QMenu(qpLoadStr(59836), ToolsMenu);
        extra->addAction(InsFieldsB);
        ToolsMenu->insertMenu(N14, extra);
        ToolsBar->addAction(InsFieldsB);
    }

    Popup1 = new QMenu(this);
    connect(PageCanvas, &TqpDesignerPage::popupRequested, this, [this](const QPoint &pos) {
        Popup1Popup();
        Popup1->popup(pos);
    });
    FontB = new QAction(QStringLiteral("Font..."), this);
    connect(FontB, &QAction::triggered, this, &TqpDesignerForm::C2DblClick);
    connect(State, &TqpDesignerState::pageChanged, this, &TqpDesignerForm::updateEditing);
    connect(State, &TqpDesignerState::positionChanged, this, &TqpDesignerForm::updateEditing);
}

void TqpDesignerForm::showColorSelector(QAction *button, int tag)
{
    LineStylePanel->hide();
    if (ColorSelector->isVisible() && m_selectorButton == button) {
        ColorSelector->hide();
        return;
    }
    m_selectorButton = button;
    m_selectorTag = tag;
    const QList<TqpView *> sel = State->Selection();
    quint32 color = tag == ptFillColor ? State->Defaults.FillColor
                    : tag == ptFontColor ? State->Defaults.FontColor
                                         : State->Defaults.FrameColor;
    if (!sel.isEmpty()) {
        TqpView *v = sel.last();
        auto *m = dynamic_cast<TqpMemoView *>(v);
        color = tag == ptFillColor ? v->FillColor : tag == ptFrameColor ? v->FrameColor : m ? m->Font.Color : color;
    }
    ColorSelector->SetColor(color);
    QWidget *w = (tag == ptFontColor ? TextBar : FrameBar)->widgetForAction(button);
    ColorSelector->move(w ? w->mapToGlobal(QPoint(0, w->height())) : QCursor::pos());
    ColorSelector->show();
}

void TqpDesignerForm::PropertyClick(int tag, const Variant &value)
{
    if (!allowed(qpdrDontModifyObj) || State->SelCount() == 0)
        return;
    if (guarded([&] { Commands->DoClick(tag, value); })) {
        SetModified(true);
        updateStatus();
    } else {
        updateEditing(); // the boxes show the objects' values again
    }
    // The canvas takes the keys again.
    PageCanvas->setFocus();
}

void TqpDesignerForm::updateEditing()
{
    const int count = State->SelCount();
    const bool page = State->Page() != nullptr;
    CutB->setEnabled(page && State->CutEnabled() && allowed(qpdrDontDeleteObj));
    CopyB->setEnabled(page && State->CopyEnabled());
    PasteB->setEnabled(page && Commands->CanPaste() && allowed(qpdrDontCreateObj));
    DeleteB->setEnabled(page && State->DelEnabled() && allowed(qpdrDontDeleteObj));
    SelectAllB->setEnabled(page);
    BringToFrontB->setEnabled(State->ZEnabled() && allowed(qpdrDontMoveObj));
    SendToBackB->setEnabled(State->ZEnabled() && allowed(qpdrDontMoveObj));
    GB3->setEnabled(count > 0 && allowed(qpdrDontMoveObj));
    for (auto it = AlignActions.cbegin(); it != AlignActions.cend(); ++it)
        it.value()->setEnabled(allowed(qpdrDontMoveObj) && Commands->AlignEnabled(it.key()));
    const bool modify = allowed(qpdrDontModifyObj);
    const bool text = modify && State->FontTypEnabled();
    const bool rect = modify && State->RectTypEnabled();
    for (QWidget *w : TextBar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (qobject_cast<QComboBox *>(w))
            w->setEnabled(text);
    FrameWidthBox->setEnabled(rect);
    for (QAction *a : TextBar->actions())
        if (!a->isSeparator())
            a->setEnabled(text);
    for (QAction *a : FrameBar->actions())
        if (!a->isSeparator())
            a->setEnabled(rect);
    InsFieldsB->setEnabled(page && State->Page()->PageType != ptDialog && allowed(qpdrDontCreateObj));

    // The buttons and boxes follow the last selected object; setting them
    // here triggers nothing, as only the operator's use does.
    const QList<TqpView *> sel = State->Selection();
    if (sel.isEmpty())
        return;
    TqpView *v = sel.last();
    PropActions.value(ptFrameTop)->setChecked(v->FrameTyp & qpftTop);
    PropActions.value(ptFrameLeft)->setChecked(v->FrameTyp & qpftLeft);
    PropActions.value(ptFrameBottom)->setChecked(v->FrameTyp & qpftBottom);
    PropActions.value(ptFrameRight)->setChecked(v->FrameTyp & qpftRight);
    FrameWidthBox->setEditText(QString::number(double(v->FrameWidth)));
    ClB1->setIcon(colorIcon(QStringLiteral("Bg"), v->FillColor));
    ClB3->setIcon(colorIcon(QStringLiteral("Fc"), v->FrameColor));
    auto *m = dynamic_cast<TqpMemoView *>(v);
    if (!m)
        return;
    FontNameBox->setEditText(m->Font.Name);
    FontSizeBox->setEditText(QString::number(m->Font.Size));
    PropActions.value(ptBold)->setChecked(m->Font.Style & 1);
    PropActions.value(ptItalic)->setChecked(m->Font.Style & 2);
    PropActions.value(ptUnderline)->setChecked(m->Font.Style & 4);
    ClB2->setIcon(colorIcon(QStringLiteral("Rf"), m->Font.Color));
    const int horizontal[] = {ptAlignLeft, ptAlignRight, ptAlignCenter, ptAlignJustify};
    PropActions.value(horizontal[m->Alignment & 3])->setChecked(true);
    PropActions.value(1000 + (m->Alignment & (qptaMiddle | qptaDown)))->setChecked(true);
    PropActions.value(ptRotation)->setChecked(m->Alignment & qptaVertical);
}

void TqpDesignerForm::Popup1Popup()
{
    Popup1->clear();
    for (QAction *a : {CutB, CopyB, PasteB, DeleteB, SelectAllB})
        Popup1->addAction(a);
    Popup1->addSeparator();
    Popup1->addAction(EditB);
    updateStatus();
    // The items of the selection: the font and the highlight of text objects.
    const QList<TqpView *> sel = State->Selection();
    const bool texts = !sel.isEmpty() && std::all_of(sel.cbegin(), sel.cend(), [](TqpView *v) {
        return dynamic_cast<TqpMemoView *>(v) != nullptr;
    });
    if (texts && allowed(qpdrDontModifyObj)) {
        Popup1->addSeparator();
        Popup1->addAction(FontB);
        Popup1->addAction(HlB1);
    }
}

void TqpDesignerForm::InsFieldsClick()
{
    guarded([this] { TqpInsertFieldsForm::Run(*Commands, this); });
    updateStatus();
}

void TqpDesignerForm::GrowInspector()
{
    InspectorDock->show();
    InspectorDock->raise();
    InspForm->Grow();
}

void TqpDesignerForm::ShowInsFields()
{
    const TqpPage *page = State->Page();
    if (!FullMode || !page || page->PageType != ptReport)
        return;
    InsFieldsDock->show();
    InsFieldsDock->raise();
    InsFieldsForm->FieldList()->setFocus();
}

void TqpDesignerForm::InspectorCaptionDblClick()
{
    if (!InspForm->IsFolded() && InspectorDock->height() >= 31) {
        m_inspHeight = InspectorDock->height();
        InspForm->SetFolded(true);
        return;
    }
    if (m_inspHeight <= 0) // squeezed by hand rather than folded: its natural height
        m_inspHeight = InspectorDock->sizeHint().height();
    InspForm->SetFolded(false);
}

void TqpDesignerForm::fitInspectorDock()
{
    // The caption bar and the frame below the contents, which the dock adds.
    const int frame = InspectorDock->height() - InspForm->height();
    if (InspForm->IsFolded()) {
        InspectorDock->setMaximumHeight(frame);
        return;
    }
    InspectorDock->setMaximumHeight(QWIDGETSIZE_MAX);
    const int height = std::exchange(m_inspHeight, 0);
    if (height <= 0)
        return;
    // The dock area shares out its height by the docks' limits: held at the
    // old height until the layout has followed, then free again.
    InspForm->setMinimumHeight(std::max(height - frame, 0));
    QTimer::singleShot(0, InspForm, [this] { InspForm->setMinimumHeight(0); });
}

void TqpDesignerForm::HlB1Click()
{
    if (!allowed(qpdrDontModifyObj) || State->SelCount() == 0)
        return;
    TqpHighlightForm::Edit(*Commands, this);
    updateStatus();
}

void TqpDesignerForm::C2DblClick()
{
    const QList<TqpView *> sel = State->Selection();
    auto *last = sel.isEmpty() ? nullptr : dynamic_cast<TqpMemoView *>(sel.last());
    if (!last || !allowed(qpdrDontEditObj) || (last->Restrictions & 0x04))
        return;
    const TqpFont start = last->Font;
    TqpFontDialog dialog(start, this);
    if (UiSeam::ShowModal(&dialog) != QDialog::Accepted)
        return;
    const TqpFont chosen = dialog.SelectedFont();
    State->BeforeChange();
    for (TqpView *v : sel) {
        auto *m = dynamic_cast<TqpMemoView *>(v);
        if (!m || (m->Restrictions & 0x08))
            continue;
        // Only what the operator changed: the other attributes of each object stay its own.
        if (chosen.Name != start.Name)
            m->Font.Name = chosen.Name;
        if (chosen.Size != start.Size)
            m->Font.Size = chosen.Size;
        if (chosen.Style != start.Style)
            m->Font.Style = chosen.Style;
        if (chosen.Color != start.Color)
            m->Font.Color = chosen.Color;
    }
    AfterChange();
    State->Redraw();
    updateStatus();
    InspForm->FillInspFields();
}

void TqpDesignerForm::installEditingEditors()
{
    // The inspector's editor buttons of the font and the highlight.
    qpFontEditor = [this](TqpObject *) { C2DblClick(); };
    qpHighlightEditor = [this](TqpObject *) { HlB1Click(); };
}
