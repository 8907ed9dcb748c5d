#pragma once
// The designer window as the document model and the objects see it: the
// page it shows, whether it edits a whole template or one prepared page,
// and the operations objects call when their own menus or editors change
// them. The designer module sets the class to create when it starts.

#include <QDialog>
#include <functional>

class TqpPage;
class TqpReport;

class TqpReportDesigner : public QDialog {
    Q_OBJECT
public:
    // fullMode: opened on a whole template; false edits one prepared page.
    explicit TqpReportDesigner(bool fullMode, QWidget *parent = nullptr)
        : QDialog(parent), FullMode(fullMode)
    {
    }

    TqpPage *Page = nullptr;
    const bool FullMode;

    virtual bool GetModified() = 0;
    virtual void SetModified(bool value) = 0;
    // Records the selection for undo before an object changes it...
    virtual void BeforeChange() = 0;
    // ...and shows the change afterwards.
    virtual void AfterChange() = 0;
    virtual void RedrawPage() = 0;
    // The object of that name alone selected, or "PageN" made current.
    virtual void SelectObject(const QString &name) = 0;
    // "[field]" from the data-field chooser; empty when cancelled.
    virtual QString InsertDBField() = 0;
    // The expression dialog's result in brackets; empty when cancelled.
    virtual QString InsertExpression() = 0;
};

// Creates the designer window in full or page-edit mode.
using TqpReportDesignerClass = std::function<TqpReportDesigner *(bool fullMode)>;
extern TqpReportDesignerClass qpDesignerClass;
// The designer window that is current; none while no designer is open.
extern TqpReportDesigner *qpDesigner;

// Edits prepared page `pageIndex` of the report in a designer window of its
// own in page-edit mode and, when the operator keeps the changes, stores the
// page back; the report's template is as before afterwards.
void qpEditPreparedPage(TqpReport *report, int pageIndex);
