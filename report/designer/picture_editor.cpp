#include "report/designer/picture_editor.h"

#include "report/designer/designer_state.h"
#include "report/designer/editor_strings.h"
#include "report/model/picture_view.h"

#include <modal_seam.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TqpPictureEditorForm::TqpPictureEditorForm(TqpPictureView *view, QWidget *parent)
    : QDialog(parent), Picture(view->Picture), Preview(new QLabel(this)),
      Stretched(new QCheckBox(qpLoadStr(qpsStretched), this)), Center(new QCheckBox(qpLoadStr(qpsCentered), this)),
      KeepAspect(new QCheckBox(qpLoadStr(qpsKeepAspect), this))
{
    setObjectName(QStringLiteral("TqpPictureEditorForm"));
    setWindowTitle(qpLoadStr(qpsPictureEditorCaption) + QLatin1String(" - ") + view->Name);
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setMinimumSize(240, 180);
    Preview->setAlignment(Qt::AlignCenter);
    Preview->setFrameShape(QFrame::StyledPanel);
    Stretched->setObjectName(QStringLiteral("Stretched"));
    Center->setObjectName(QStringLiteral("Center"));
    KeepAspect->setObjectName(QStringLiteral("KeepAspect"));
    Stretched->setChecked(view->Flags & flStretched);
    Center->setChecked(view->Flags & flPictureCenter);
    KeepAspect->setChecked(view->Flags & flKeepAspect);

    auto *load = new QPushButton(qpLoadStr(qpsLoadPicture), this);
    load->setObjectName(QStringLiteral("LoadButton"));
    auto *clear = new QPushButton(qpLoadStr(qpsClearPicture), this);
    clear->setObjectName(QStringLiteral("ClearButton"));
    connect(load, &QPushButton::clicked, this, &TqpPictureEditorForm::LoadPicture);
    connect(clear, &QPushButton::clicked, this, &TqpPictureEditorForm::ClearPicture);

    auto *side = new QVBoxLayout;
    side->addWidget(load);
    side->addWidget(clear);
    side->addSpacing(12);
    side->addWidget(Stretched);
    side->addWidget(Center);
    side->addWidget(KeepAspect);
    side->addStretch();
    auto *row = new QHBoxLayout;
    row->addWidget(Preview, 1);
    row->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(qpOkCancelButtons(this));
    showPicture();
}

void TqpPictureEditorForm::showPicture()
{
    if (Picture.IsEmpty()) {
        Preview->setPixmap(QPixmap());
        return;
    }
    const QImage image = Picture.ToImage();
    const QSize room = Preview->minimumSize() - QSize(4, 4);
    Preview->setPixmap(QPixmap::fromImage(
        image.size().boundedTo(room) == image.size() ? image : image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TqpPictureEditorForm::LoadPicture()
{
    const QString fileName = UiSeam::OpenFileName(this, qpLoadStr(qpsLoadPicture), qpLoadStr(qpsPictureFilter));
    if (fileName.isEmpty())
        return;
    TPicture loaded;
    if (!loaded.LoadFromFile(fileName)) {
        UiSeam::ShowError(qpLoadStr(59221).arg(QFileInfo(fileName).fileName()));
        return;
    }
    Picture = loaded;
    showPicture();
}

void TqpPictureEditorForm::ClearPicture()
{
    Picture.Clear();
    showPicture();
}

quint16 TqpPictureEditorForm::FlagsFor(quint16 flags) const
{
    const auto set = [&flags](quint16 bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); };
    set(flStretched, Stretched->isChecked());
    set(flPictureCenter, Center->isChecked());
    set(flKeepAspect, KeepAspect->isChecked());
    return flags;
}

bool qpShowPictureEditor(TqpPictureView *view, TqpDesignerState *state, QWidget *parent)
{
    TqpPictureEditorForm form(view, parent);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return false;
    state->AddUndoAction(acEdit, {view});
    view->Picture = form.Picture;
    view->Flags = form.FlagsFor(view->Flags);
    return true;
}
