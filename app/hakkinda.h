#pragma once
// The about window: product name, version and the maker's credits.

#include <QDialog>
#include <memory>

namespace Ui {
class THakkinda;
}

class THakkinda : public QDialog {
    Q_OBJECT
public:
    explicit THakkinda(QWidget *parent = nullptr);
    ~THakkinda() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::THakkinda> ui;
};
