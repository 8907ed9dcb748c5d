#pragma once
// The small box over the designer's status bar: position and size of the
// selected object or of the outline being drawn, the scale of a picture or
// of a group being sized, or the pointer position.

#include <QWidget>

class TqpDesignerPage;

class TqpStatusBox : public QWidget {
    Q_OBJECT
public:
    explicit TqpStatusBox(TqpDesignerPage *canvas, QWidget *parent = nullptr);

    QString Position, Size, Scale;
    // Reads the fields from the canvas and repaints when they changed.
    void Refresh();

    QSize sizeHint() const override { return {240, 20}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TqpDesignerPage *m_canvas;
};
