#pragma once
// Answers the program's modal interactions from a script and records them,
// so GUI tests never wait on a modal loop. Installed for its lifetime.

#include "modal_seam.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <functional>

class TScriptedUi : public TUiBackend {
public:
    TScriptedUi();
    ~TScriptedUi() override;

    struct Box {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    QList<Box> boxes;
    // Answers to message boxes, in order; without one a box gets OK when it
    // offers it and otherwise the cautious No or Cancel.
    QList<QMessageBox::StandardButton> answers;
    // Answers to file dialogs, in order; without one the dialog is cancelled.
    QStringList fileNames;
    // What the operator does while the next modal window is shown; the
    // window is closed afterwards if the action left it open.
    QList<std::function<void(QDialog *)>> modalActions;
    QList<QDialog *> modalShown;
    QList<QUrl> urls;

    // Texts of the error boxes shown so far.
    QStringList errors() const;

    QMessageBox::StandardButton MessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                           const QString &text, QMessageBox::StandardButtons buttons) override;
    QString OpenFileName(QWidget *parent, const QString &caption, const QString &filter) override;
    int ShowModal(QDialog *dialog) override;
    void OpenUrl(const QUrl &url) override { urls.append(url); }

private:
    TUiBackend *m_previous;
};
