#pragma once
// The neighbourhood definition window.

#include "place_window.h"

#include <memory>

namespace Ui {
class TMahalleTanim1;
}

class TMahalleTanim1 : public TPlaceWindow {
    Q_OBJECT
public:
    explicit TMahalleTanim1(QWidget *parent = nullptr);
    ~TMahalleTanim1() override;

private:
    std::unique_ptr<Ui::TMahalleTanim1> ui;
};
