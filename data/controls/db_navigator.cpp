#include "db_navigator.h"

#include "application.h"
#include "modal_seam.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace {

struct ButtonDef {
    const char *name;
    const char *glyph;
    const char *hint;
};

const ButtonDef kButtons[] = {
    {"nbFirst", "|◀", "İlk kayıt"},   {"nbPrior", "◀", "Önceki kayıt"}, {"nbNext", "▶", "Sonraki kayıt"},
    {"nbLast", "▶|", "Son kayıt"},    {"nbInsert", "+", "Kayıt ekle"},  {"nbDelete", "−", "Kaydı sil"},
    {"nbEdit", "▲", "Kaydı düzenle"}, {"nbPost", "✔", "Kaydet"},        {"nbCancel", "✘", "Vazgeç"},
    {"nbRefresh", "↻", "Yenile"},
};

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < int(std::size(kButtons)); ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(kButtons[i].name));
        button->setText(QString::fromUtf8(kButtons[i].glyph));
        button->setToolTip(QString::fromUtf8(kButtons[i].hint));
        // Like speed buttons they take no focus, so a cell being edited
        // stays open until the operation settles it.
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(button, &QToolButton::clicked, this, [this, i] { Guarded([&] { BtnClick(TNavigateBtn(i)); }); });
        layout->addWidget(button);
        m_buttons.append(button);
    }
    updateButtons();
}

void TDBNavigator::setDataSource(TDataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &TDataSource::dataChanged, this, &TDBNavigator::updateButtons);
        connect(source, &TDataSource::stateChanged, this, &TDBNavigator::updateButtons);
    }
    updateButtons();
}

void TDBNavigator::updateButtons()
{
    TDataSet *ds = m_source ? m_source->DataSet() : nullptr;
    const bool active = ds && ds->Active();
    const bool editing = active && (ds->State() == dsEdit || ds->State() == dsInsert);
    const bool up = active && !ds->Bof();
    const bool down = active && !ds->Eof();
    m_buttons[nbFirst]->setEnabled(up);
    m_buttons[nbPrior]->setEnabled(up);
    m_buttons[nbNext]->setEnabled(down);
    m_buttons[nbLast]->setEnabled(down);
    m_buttons[nbInsert]->setEnabled(active && !editing);
    m_buttons[nbDelete]->setEnabled(active && !(ds->Bof() && ds->Eof()));
    m_buttons[nbEdit]->setEnabled(active && !editing);
    m_buttons[nbPost]->setEnabled(editing);
    m_buttons[nbCancel]->setEnabled(editing);
    m_buttons[nbRefresh]->setEnabled(active && !editing);
}

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    TDataSet *ds = m_source ? m_source->DataSet() : nullptr;
    if (!ds)
        return;
    switch (button) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbDelete:
        if (ConfirmDelete
            && UiSeam::MessageBox(window(), QMessageBox::Question, window()->windowTitle(),
                                  QStringLiteral("Kayıt silinsin mi?"), QMessageBox::Yes | QMessageBox::No)
                   != QMessageBox::Yes)
            return;
        ds->Delete();
        break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    case nbRefresh: {
        // Reads the table again, as another program may have changed it, and
        // comes back to the same record when it still exists.
        ds->CheckBrowseMode();
        const TBookmark mark = ds->GetBookmark();
        ds->Close();
        ds->Open();
        if (ds->BookmarkValid(mark))
            ds->GotoBookmark(mark);
        break;
    }
    }
    updateButtons();
}
