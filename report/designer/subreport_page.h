#pragma once
// The sub-report's page choice: which template page of the report the
// sub-report object inserts.

#include <QDialog>

class QComboBox;
class TqpDesignerState;
class TqpReport;
class TqpSubReportView;

class TqpSubReportPageForm : public QDialog {
    Q_OBJECT
public:
    // Offers every page of the report but `ownPage` (the one the object is on).
    TqpSubReportPageForm(TqpReport *report, int ownPage, int current, QWidget *parent = nullptr);
    QComboBox *Pages;
    // Index, from 0, of the chosen page; -1 when there is none to choose.
    int PageIndex() const;
};

// Opens the choice and, on OK with a page chosen, records the change for
// undo and sets the object's SubPage; true when it changed.
bool qpChooseSubReportPage(TqpSubReportView *view, TqpDesignerState *state, QWidget *parent = nullptr);
// Offered right after a sub-report object was inserted with a fresh empty
// page of its own, when the report has other pages it could show instead:
// choosing one points the object there and drops the fresh page again, so
// no empty page is left to print. True when the object points elsewhere.
bool qpChooseInsertedSubReportPage(TqpSubReportView *view, TqpDesignerState *state, QWidget *parent = nullptr);
