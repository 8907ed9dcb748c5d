#pragma once
// The colour selector of the property toolbars: the sixteen basic colours,
// a "none" entry for no colour (transparent) and the desktop's colour
// dialog for any other. The window shows it under a colour button.

#include <QFrame>
#include <QToolButton>

class TqpColorSelector : public QFrame {
    Q_OBJECT
public:
    explicit TqpColorSelector(QWidget *parent = nullptr);

    // The colour marked as current; clNone marks the "none" entry.
    quint32 Color() const { return m_color; }
    void SetColor(quint32 color);
    // The button of a basic colour (0-15), of "none" and of the dialog.
    QToolButton *ColorButton(int index) const { return m_buttons.at(index); }
    QToolButton *NoneButton() const { return m_none; }
    QToolButton *OtherButton() const { return m_other; }

signals:
    void ColorSelected(quint32 color);

private:
    void choose(quint32 color);

    quint32 m_color;
    QList<QToolButton *> m_buttons;
    QToolButton *m_none;
    QToolButton *m_other;
};

// A button that shows a colour and, when pressed, offers the colour
// selector under itself: the dialogs' way of picking a colour.
class TqpColorButton : public QToolButton {
    Q_OBJECT
public:
    // Without `allowNone` the selector's "none" entry is hidden.
    explicit TqpColorButton(bool allowNone, QWidget *parent = nullptr);

    quint32 Color() const { return m_color; }
    void SetColor(quint32 color);
    TqpColorSelector *Selector() const { return m_selector; }

signals:
    void ColorChanged(quint32 color);

private:
    quint32 m_color = 0;
    TqpColorSelector *m_selector;
};

// The platform colour of a report colour (0x00BBGGRR) and back.
QColor qpToQColor(quint32 color);
quint32 qpFromQColor(const QColor &color);
