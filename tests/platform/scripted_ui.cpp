#include "scripted_ui.h"

#include <QApplication>
#include <QDialog>

TScriptedUi::TScriptedUi() : m_previous(UiSeam::SetBackend(this)) {}

TScriptedUi::~TScriptedUi() { UiSeam::SetBackend(m_previous); }

QStringList TScriptedUi::errors() const
{
    QStringList texts;
    for (const Box &b : boxes)
        if (b.icon == QMessageBox::Critical)
            texts.append(b.text);
    return texts;
}

QMessageBox::StandardButton TScriptedUi::MessageBox(QWidget *, QMessageBox::Icon icon, const QString &title,
                                                    const QString &text, QMessageBox::StandardButtons buttons)
{
    boxes.append({icon, title, text, buttons});
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (buttons & QMessageBox::Ok)
        return QMessageBox::Ok;
    return buttons & QMessageBox::No ? QMessageBox::No : QMessageBox::Cancel;
}

QString TScriptedUi::OpenFileName(QWidget *, const QString &, const QString &)
{
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

int TScriptedUi::ShowModal(QDialog *dialog)
{
    modalShown.append(dialog);
    dialog->setResult(QDialog::Rejected);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    QApplication::setActiveWindow(dialog);
    QApplication::processEvents();
    if (!modalActions.isEmpty())
        modalActions.takeFirst()(dialog);
    if (dialog->isVisible())
        dialog->close();
    dialog->setWindowModality(Qt::NonModal);
    return dialog->result();
}
