#include "progress_form.h"

#include "modal_seam.h"
#include "report/core/string_table.h"
#include "report/model/report.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>

TqpProgressForm *qpProgressForm = nullptr;

namespace {

// The message the window posts to itself before it goes modal.
constexpr QEvent::Type kBeforeModal = QEvent::Type(1025);
enum : int { kMsgCancel = 55001 };
enum : int { kModalCancel = 2 };

} // namespace

TqpProgressForm::TqpProgressForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("qpProgressForm"));
    setFixedSize(278, 106);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(8, 12, 262, 17);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(8, 32, 262, 17);
    Button1 = new QPushButton(qpLoadStr(kMsgCancel), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(101, 68, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TqpProgressForm::Button1Click);
}

int TqpProgressForm::Show_Modal(TqpReport *report)
{
    Button1->setText(qpLoadStr(kMsgCancel));
    m_report = report;
    Label2->clear();
    m_error = nullptr;
    QCoreApplication::postEvent(this, new QEvent(kBeforeModal));
    const int result = UiSeam::ShowModal(this);
    // A message not yet delivered (the window never got going) must not
    // start the work later.
    QCoreApplication::removePostedEvents(this, kBeforeModal);
    m_report = nullptr;
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
    return result;
}

void TqpProgressForm::customEvent(QEvent *event)
{
    if (event->type() == kBeforeModal)
        CMBeforeModal();
    else
        QDialog::customEvent(event);
}

void TqpProgressForm::CMBeforeModal()
{
    if (!OnBeforeModal)
        return;
    try {
        OnBeforeModal();
    } catch (...) {
        // The error belongs to whoever asked for the work; the window must
        // not stay open waiting for work that has ended.
        m_error = std::current_exception();
        done(kModalCancel);
    }
}

void TqpProgressForm::Button1Click()
{
    if (m_report)
        m_report->Terminated = true;
    done(kModalCancel);
}

void TqpProgressForm::reject() { Button1Click(); }

void TqpProgressForm::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void qpInstallProgressForm()
{
    if (qpProgressForm)
        return;
    qpProgressForm = new TqpProgressForm;
    qpProgressUi.ShowModal = [](TqpReport *report, const QString &caption, const QString &prefix,
                                const QString &label, const std::function<void()> &work) {
        TqpProgressForm &form = *qpProgressForm;
        form.setWindowTitle(caption);
        form.FirstCaption = prefix;
        form.Label1->setText(label);
        form.OnBeforeModal = work;
        const auto forget = qScopeGuard([&form] { form.OnBeforeModal = nullptr; });
        return form.Show_Modal(report);
    };
    qpProgressUi.SetLabel = [](const QString &prefix, const QString &label) {
        qpProgressForm->FirstCaption = prefix;
        qpProgressForm->Label1->setText(label);
        QCoreApplication::processEvents();
    };
    qpProgressUi.Close = [](int result) {
        // After the cancel button the window is already closed with cancel.
        if (qpProgressForm->isVisible())
            qpProgressForm->done(result);
    };
}

void qpFreeProgressForm()
{
    qpProgressUi = TqpProgressUi();
    delete qpProgressForm;
    qpProgressForm = nullptr;
}
