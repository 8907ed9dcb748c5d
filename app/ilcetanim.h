#pragma once
// The district definition window.

#include "place_window.h"

#include <memory>

namespace Ui {
class TIlceTanim1;
}

class TIlceTanim1 : public TPlaceWindow {
    Q_OBJECT
public:
    explicit TIlceTanim1(QWidget *parent = nullptr);
    ~TIlceTanim1() override;

private:
    std::unique_ptr<Ui::TIlceTanim1> ui;
};
