#include "report/designer/template_forms.h"

#include "platform/modal_seam.h"
#include "report/core/string_table.h"
#include "report/designer/dialog_buttons.h"
#include "report/model/report.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kNewCaption = 59923, kDescCaption = 59924, kPictureButton = 59925, kNoPicture = 59926;

void showPicture(QLabel *label, const QImage &picture)
{
    if (picture.isNull())
        label->setText(qpLoadStr(kNoPicture));
    else
        label->setPixmap(QPixmap::fromImage(picture.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
} // namespace

TqpTemplForm::TqpTemplForm(const QString &folder, QWidget *parent) : QDialog(parent), m_folder(folder)
{
    setObjectName(QStringLiteral("TqpTemplForm"));
    setWindowTitle(qpLoadStr(kNewCaption));
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    LB1 = new QListWidget;
    for (const QFileInfo &f : QDir(folder).entryInfoList({QStringLiteral("*.qpt")}, QDir::Files, QDir::Name))
        LB1->addItem(f.completeBaseName());
    DescriptionL = new QLabel;
    DescriptionL->setWordWrap(true);
    PictureL = new QLabel;
    PictureL->setFixedSize(160, 160);
    auto *right = new QVBoxLayout;
    right->addWidget(PictureL);
    right->addWidget(DescriptionL, 1);
    row->addWidget(LB1, 1);
    row->addLayout(right);
    layout->addLayout(row);
    QDialogButtonBox *buttons = qpOkCancelButtons(this);
    m_ok = qobject_cast<QPushButton *>(buttons->buttons().constFirst());
    m_ok->setEnabled(false);
    layout->addWidget(buttons);
    connect(LB1, &QListWidget::currentRowChanged, this, &TqpTemplForm::choiceChanged);
    connect(LB1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

QString TqpTemplForm::FileName() const
{
    const QListWidgetItem *item = LB1->currentItem();
    return item ? QDir(m_folder).filePath(item->text() + QLatin1String(".qpt")) : QString();
}

void TqpTemplForm::choiceChanged()
{
    m_ok->setEnabled(LB1->currentItem() != nullptr);
    if (!LB1->currentItem())
        return;
    // Only the head of the file: the report being designed stays as it is.
    TqpReport reader;
    QStringList description;
    QImage picture;
    try {
        reader.LoadTemplate(FileName(), description, picture, false);
    } catch (const std::exception &) {
        description.clear();
    }
    DescriptionL->setText(description.join(QLatin1Char('\n')));
    showPicture(PictureL, picture);
}

TqpTemplNewForm::TqpTemplNewForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TqpTemplNewForm"));
    setWindowTitle(qpLoadStr(kDescCaption));
    auto *layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit;
    PictureL = new QLabel;
    PictureL->setFixedSize(160, 160);
    showPicture(PictureL, m_picture);
    auto *pick = new QPushButton(qpLoadStr(kPictureButton));
    connect(pick, &QPushButton::clicked, this, [this] {
        const QString file = UiSeam::OpenFileName(this, qpLoadStr(kPictureButton),
                                                  QStringLiteral("*.bmp *.jpg *.jpeg *.png *.ico"));
        if (!file.isEmpty())
            SetPicture(QImage(file));
    });
    auto *row = new QHBoxLayout;
    row->addWidget(Memo1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(PictureL);
    right->addWidget(pick);
    right->addStretch();
    row->addLayout(right);
    layout->addLayout(row);
    layout->addWidget(qpOkCancelButtons(this));
}

QStringList TqpTemplNewForm::Description() const
{
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TqpTemplNewForm::SetPicture(const QImage &picture)
{
    m_picture = picture;
    showPicture(PictureL, picture);
}
