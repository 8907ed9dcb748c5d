#include "report/designer/font_dialog.h"

#include "platform/canvas/canvas.h"
#include "report/designer/color_selector.h"
#include "report/designer/dialog_buttons.h"
#include "report/designer/editor_strings.h"
#include "report/core/string_table.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A report font as a platform font and a platform font's style set back.
QFont toQFont(const TqpFont &font)
{
    // The face the page is drawn with, so that the chooser shows the font
    // the operator sees (its stand-in when the named one is not installed).
    QFont f(drawnFontFamily(font.Name), font.Size);
    f.setBold(font.Style & 1);
    f.setItalic(font.Style & 2);
    f.setUnderline(font.Style & 4);
    f.setStrikeOut(font.Style & 8);
    return f;
}

int styleSetOf(const QFont &f)
{
    return (f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0);
}

} // namespace

TqpFontDialog::TqpFontDialog(const TqpFont &font, QWidget *parent) : QDialog(parent), m_start(font)
{
    // The desktop's chooser, held as a part of this dialog, with its own
    // buttons replaced by ours below the colour.
    m_fontBox = new QFontDialog(toQFont(font), this);
    m_fontBox->setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::NoButtons);
    m_fontBox->setWindowFlags(Qt::Widget);
    setWindowTitle(m_fontBox->windowTitle());
    m_shown = m_fontBox->currentFont();

    m_color = new TqpColorButton(false, this);
    m_color->SetColor(font.Color);
    auto *colorRow = new QHBoxLayout;
    auto *label = new QLabel(qpLoadStr(qpsColor) + QLatin1Char(':'), this);
    label->setBuddy(m_color);
    colorRow->addWidget(label);
    colorRow->addWidget(m_color);
    colorRow->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fontBox);
    layout->addLayout(colorRow);
    layout->addWidget(qpOkCancelButtons(this));
}

TqpFont TqpFontDialog::SelectedFont() const
{
    const QFont f = m_fontBox->currentFont();
    TqpFont result = m_start;
    if (f.family() != m_shown.family())
        result.Name = f.family();
    if (f.pointSize() > 0 && f.pointSize() != m_shown.pointSize())
        result.Size = f.pointSize();
    if (styleSetOf(f) != styleSetOf(m_shown))
        result.Style = styleSetOf(f);
    result.Color = m_color->Color();
    return result;
}
