#pragma once
// The picture viewer: shows a member's photograph at its own size, or, when
// that would not fit the screen, scaled down to fit it, keeping its aspect.

#include <QDialog>
#include <QImage>
#include <memory>

class QLabel;
namespace Ui {
class TResim1;
}

class TResim1 : public QDialog {
    Q_OBJECT
public:
    explicit TResim1(QWidget *parent = nullptr);
    ~TResim1() override;

    // The picture control; it takes the size of its picture.
    QLabel *Image1;

    // Puts the picture held in `bytes` into Image1; no bytes, or bytes that
    // are no picture, leave it empty. A picture that decodes in steps
    // reports each step's percentage in the caption.
    void AssignPicture(const QByteArray &bytes);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormActivate();
    void Image1Progress(int percent);
    // The largest client area whose window fits the screen's available area.
    QSize clientBounds() const;
    // Puts the picture into Image1, scaled down to the client bounds.
    void showPicture();

    std::unique_ptr<Ui::TResim1> ui;
    QImage m_picture; // as decoded: at most the screen's size
};
