#include "export_options_dialog.h"

#include "export_filter.h"
#include "report/core/string_table.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace {

enum : int { kMsgOk = 55000, kMsgCancel = 55001 };

} // namespace

TqpExportOptionsDialog::TqpExportOptionsDialog(const QSize &size, int captionId, QWidget *parent) : QDialog(parent)
{
    setFixedSize(size);
    setWindowTitle(qpLoadStr(captionId));
    OkButton = new QPushButton(qpLoadStr(kMsgOk), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(qpLoadStr(kMsgCancel), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TqpExportOptionsDialog::placeButtons(const QRect &ok, const QRect &cancel)
{
    OkButton->setGeometry(ok);
    CancelButton->setGeometry(cancel);
}

void TqpExportOptionsDialog::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

int qpModalResult(int dialogCode) { return dialogCode == QDialog::Accepted ? mrOk : mrCancel; }
