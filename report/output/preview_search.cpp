#include "report/output/preview_search.h"

#include "canvas.h"
#include "data/turkish_text.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/output/preview_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

TqpPreviewSearchForm::TqpPreviewSearchForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("qpPreviewSearchForm"));
    setWindowTitle(qpLoadStr(qpMsgPreviewFind));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Label1 = new QLabel(qpLoadStr(qpMsgSearchText), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(253);
    Label1->setBuddy(Edit1);
    GroupBox1 = new QGroupBox(qpLoadStr(qpMsgSearchOptions), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    CB1 = new QCheckBox(qpLoadStr(qpMsgSearchCase), GroupBox1);
    CB1->setObjectName(QStringLiteral("CB1"));
    (new QVBoxLayout(GroupBox1))->addWidget(CB1);
    GroupBox2 = new QGroupBox(qpLoadStr(qpMsgSearchStart), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    RB1 = new QRadioButton(qpLoadStr(qpMsgSearchFromFirst), GroupBox2);
    RB1->setObjectName(QStringLiteral("RB1"));
    RB1->setChecked(true);
    RB2 = new QRadioButton(qpLoadStr(qpMsgSearchFromCurrent), GroupBox2);
    RB2->setObjectName(QStringLiteral("RB2"));
    auto *starts = new QVBoxLayout(GroupBox2);
    starts->addWidget(RB1);
    starts->addWidget(RB2);
    Button1 = new QPushButton(qpLoadStr(55000), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(qpLoadStr(55001), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    auto *groups = new QHBoxLayout;
    groups->addWidget(GroupBox1);
    groups->addWidget(GroupBox2);
    layout->addLayout(groups);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);
    // The design's client area; longer captions may widen it.
    resize(262, 158);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TqpPreviewSearchForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    Edit1->setFocus();
    Edit1->selectAll();
}

// ---------------------------------------------------------------- state

void TqpSearchState::SetText(const QString &text, bool caseSensitive)
{
    CaseSensitive = caseSensitive;
    Text = caseSensitive ? text : turkishUpper(text);
}

void TqpSearchState::StartFromFirst()
{
    Page = 0;
    StartRecord = 0;
}

void TqpSearchState::StartFromCurrent(int currentPage)
{
    // On the page of the last match the search goes on after it.
    if (currentPage != Page + 1) {
        Page = currentPage - 1;
        StartRecord = 0;
    }
}

// ---------------------------------------------------------------- search

TqpPageSearcher::TqpPageSearcher() = default;

TqpPageSearcher::~TqpPageSearcher() = default;

void TqpPageSearcher::render(TqpEMFPages &pages, int index)
{
    TqpPageInfo &info = pages.GetPages(index);
    const QSize sheet(std::max(info.PrnInfo.SheetWidth, 1), std::max(info.PrnInfo.SheetHeight, 1));
    // One surface for every page of a size; nothing is drawn on it, the
    // canvas only logs what would be.
    if (!m_surface || m_surface->size() != sheet) {
        m_canvas.reset();
        m_surface = std::make_unique<QImage>(sheet, QImage::Format_RGB32);
        m_canvas = std::make_unique<TCanvas>(m_surface.get());
        m_canvas->setRecording(true, false);
    }
    m_canvas->clearRecords();
    info.OnScreen = true;
    pages.Draw(index, m_canvas.get(), TRect{0, 0, sheet.width(), sheet.height()});
}

int TqpPageSearcher::FindInEMF(TqpEMFPages &pages, int index, const TqpSearchState &state, QRect &found)
{
    render(pages, index);
    const QList<TCanvas::TextRecord> &texts = m_canvas->texts();
    for (int i = std::max(state.StartRecord, 0); i < texts.size(); ++i) {
        const TCanvas::TextRecord &t = texts.at(i);
        if (!(state.CaseSensitive ? t.text : turkishUpper(t.text)).contains(state.Text))
            continue;
        m_canvas->Font = t.font;
        const int height = m_canvas->TextHeight();
        // A text turned upwards runs from its starting point to the top.
        found = t.font.Orientation == 900 ? QRect(t.pos.x(), t.pos.y() - t.width, height, t.width)
                                          : QRect(t.pos.x(), t.pos.y(), t.width, height);
        if (!t.clip.isEmpty())
            found &= t.clip;
        return i + 1;
    }
    return -1;
}
