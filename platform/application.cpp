#include "application.h"

#include "modal_seam.h"

#include <QFont>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The windows name the classic desktop fonts; on Debian the metric-
    // compatible families stand in for them.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

TApplication::~TApplication()
{
    DestroyForms();
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException();
        return true;
    }
}

QList<QWidget *> TApplication::Forms() const
{
    QList<QWidget *> forms;
    for (const Form &f : m_forms)
        forms.append(f.form);
    return forms;
}

void TApplication::DestroyForms()
{
    while (!m_forms.isEmpty()) {
        const Form f = m_forms.takeLast();
        delete f.form;
        f.forget();
    }
}

void TApplication::Terminate()
{
    m_terminated = true;
    quit();
}

void HandleException()
{
    QString text;
    try {
        throw;
    } catch (const std::exception &e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Beklenmeyen bir hata oluştu.");
    }
    UiSeam::ShowError(text);
}
