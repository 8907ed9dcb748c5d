#pragma once
// The line-style panel of the frame toolbar: one button for each frame
// line style (solid, dash, dot, dash-dot, dash-dot-dot, double), each
// showing its line. The window shows it under the line-style button.

#include <QFrame>

class QToolButton;

class TqpLineStylePanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int StyleCount = 6;

    explicit TqpLineStylePanel(QWidget *parent = nullptr);

    QToolButton *StyleButton(int style) const { return m_buttons.at(style); }

signals:
    // FrameStyle value 0-5; the panel hides itself first.
    void StyleSelected(int style);

private:
    QList<QToolButton *> m_buttons;
};
