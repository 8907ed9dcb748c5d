#include "modal_seam.h"

#include "invalid_operation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QUrl>

namespace {

class DesktopBackend : public TUiBackend {
public:
    QMessageBox::StandardButton MessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                           const QString &text, QMessageBox::StandardButtons buttons) override
    {
        QMessageBox box(icon, title, text, buttons, parent);
        // The program's own answers, in Turkish whether or not the toolkit's
        // translations are installed.
        for (const auto &[button, caption] : {std::pair(QMessageBox::Yes, "Evet"), std::pair(QMessageBox::No, "Hayır"),
                                              std::pair(QMessageBox::Cancel, "Vazgeç")})
            if (QAbstractButton *b = box.button(button))
                b->setText(QString::fromUtf8(caption));
        return QMessageBox::StandardButton(box.exec());
    }
    QString OpenFileName(QWidget *parent, const QString &caption, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    }
    int ShowModal(QDialog *dialog) override { return dialog->exec(); }
    void OpenUrl(const QUrl &url) override { QDesktopServices::openUrl(url); }
};

DesktopBackend g_desktop;
TUiBackend *g_backend = &g_desktop;

} // namespace

namespace UiSeam {

TUiBackend *SetBackend(TUiBackend *backend)
{
    TUiBackend *previous = g_backend;
    g_backend = backend ? backend : &g_desktop;
    return previous;
}

QMessageBox::StandardButton MessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                       const QString &text, QMessageBox::StandardButtons buttons)
{
    return g_backend->MessageBox(parent, icon, title, text, buttons);
}

void ShowMessage(const QString &text)
{
    MessageBox(QApplication::activeWindow(), QMessageBox::NoIcon, QApplication::applicationName(), text,
               QMessageBox::Ok);
}

void ShowError(const QString &text)
{
    MessageBox(QApplication::activeWindow(), QMessageBox::Critical, QApplication::applicationName(), text,
               QMessageBox::Ok);
}

QString OpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    return g_backend->OpenFileName(parent, caption, filter);
}

int ShowModal(QDialog *dialog)
{
    if (dialog->isVisible())
        throw EInvalidOperation(QStringLiteral("Görünür durumdaki bir pencere modal olarak açılamaz (%1).")
                                    .arg(dialog->windowTitle()));
    return g_backend->ShowModal(dialog);
}

void OpenUrl(const QUrl &url) { g_backend->OpenUrl(url); }

} // namespace UiSeam
