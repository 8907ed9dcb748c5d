#pragma once
// The province definition window.

#include "place_window.h"

#include <memory>

namespace Ui {
class TSehirTanim1;
}

class TSehirTanim1 : public TPlaceWindow {
    Q_OBJECT
public:
    explicit TSehirTanim1(QWidget *parent = nullptr);
    ~TSehirTanim1() override;

private:
    std::unique_ptr<Ui::TSehirTanim1> ui;
};
