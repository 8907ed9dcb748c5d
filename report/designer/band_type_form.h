#pragma once
// The dialog that asks which band type a new band gets: one option per
// type in two columns, the types a page may hold only once disabled while
// it holds one, and the page-level types disabled on a sub-report's page.

#include <QDialog>

class QButtonGroup;
class TqpReport;
class TqpPage;

class TqpBandTypeForm : public QDialog {
    Q_OBJECT
public:
    TqpBandTypeForm(TqpReport *report, TqpPage *page, QWidget *parent = nullptr);

    // The chosen type; -1 when no type can be chosen.
    int BandType() const;
    bool IsEnabled(int type) const;

    // Shows the dialog for the page through the modal seam; -1 on cancel.
    static int Choose(TqpReport *report, TqpPage *page, QWidget *parent);

private:
    QButtonGroup *m_group;
};
