#pragma once
// What the option dialogs of the export filters share: a fixed size, the
// place in the middle of the screen, and the OK and cancel buttons.

#include "modal_seam.h"

#include <QDialog>
#include <QRect>

class QPushButton;

class TqpExportOptionsDialog : public QDialog {
    Q_OBJECT

public:
    TqpExportOptionsDialog(const QSize &size, int captionId, QWidget *parent = nullptr);

    QPushButton *OkButton;
    QPushButton *CancelButton;

protected:
    // The two buttons at their places; OK is the default.
    void placeButtons(const QRect &ok, const QRect &cancel);
    // A widget of the dialog by name and place.
    template <class W> static W *named(W *widget, const char *name, const QRect &at)
    {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(at);
        return widget;
    }
    void showEvent(QShowEvent *event) override;
};

// mrOk when the dialog was closed with OK, else mrCancel.
int qpModalResult(int dialogCode);

// Shows an option dialog filled from the filter and takes the options back
// whatever its result, which it returns (mrOk or mrCancel).
template <class Form, class Filter> int qpRunOptionDialog(Filter &filter)
{
    Form form;
    form.Fill(filter);
    const int result = UiSeam::ShowModal(&form);
    form.ReadBack(filter);
    return qpModalResult(result);
}
