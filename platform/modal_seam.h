#pragma once
// Every modal interaction of the program (message boxes, file dialogs, modal
// windows) and the hand-over of addresses to the desktop pass through here,
// so that tests can install a backend that answers from a script and never
// blocks on a modal loop.

#include <QMessageBox>
#include <QString>

class QDialog;
class QUrl;
class QWidget;

class TUiBackend {
public:
    virtual ~TUiBackend() = default;
    virtual QMessageBox::StandardButton MessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                   const QString &text, QMessageBox::StandardButtons buttons) = 0;
    // An empty result means the dialog was cancelled.
    virtual QString OpenFileName(QWidget *parent, const QString &caption, const QString &filter) = 0;
    // Runs the dialog modally and returns its result code.
    virtual int ShowModal(QDialog *dialog) = 0;
    virtual void OpenUrl(const QUrl &url) = 0;
};

namespace UiSeam {

// Installs `backend` (not owned) and returns the previous one; nullptr
// restores the desktop backend.
TUiBackend *SetBackend(TUiBackend *backend);

QMessageBox::StandardButton MessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                       const QString &text, QMessageBox::StandardButtons buttons);
// A plain box with the application's title and an OK button.
void ShowMessage(const QString &text);
// The application's standard error box.
void ShowError(const QString &text);
QString OpenFileName(QWidget *parent, const QString &caption, const QString &filter);
// Shows `dialog` modally. A window already visible without being modal
// cannot be made modal: that is refused with EInvalidOperation.
int ShowModal(QDialog *dialog);
void OpenUrl(const QUrl &url);

} // namespace UiSeam
