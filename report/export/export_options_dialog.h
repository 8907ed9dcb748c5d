#pragma once
// What the option dialogs of the export filters share: a fixed size, the
// place in the middle of the screen, and the OK and cancel buttons.

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
