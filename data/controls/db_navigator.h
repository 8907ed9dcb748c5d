#pragma once
// The row of buttons that moves through and edits the records of a data
// source: first, prior, next, last, insert, delete (after its own
// confirmation), edit, post, cancel and refresh. Each button is enabled only
// where its operation makes sense for the data set's position and state.

#include <QPointer>
#include <QWidget>

#include "data_source.h"

class QToolButton;

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };

class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget *parent = nullptr);

    TDataSource *DataSource() const { return m_source; }
    void setDataSource(TDataSource *source);
    bool ConfirmDelete = true;

    // Runs a button's operation, as a click does; errors are raised.
    void BtnClick(TNavigateBtn button);
    QToolButton *Button(TNavigateBtn button) const { return m_buttons[button]; }

private:
    void updateButtons();

    QPointer<TDataSource> m_source;
    QList<QToolButton *> m_buttons;
};
