#pragma once
// The picture viewer: shows a member's photograph at its own size.

#include <QDialog>
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

    std::unique_ptr<Ui::TResim1> ui;
};
