#include "controls/EnTabCtrl.h"

namespace kesmo {

int EnTabCtrl::s_look = 0;

EnTabCtrl::EnTabCtrl(QWidget* parent) : BaseTabCtrl(parent) {}

void EnTabCtrl::setLook(bool enabled, int flags) {
    s_look = enabled ? flags : 0;
}

int EnTabCtrl::look() {
    return s_look;
}

int EnTabCtrl::itemFlags() const {
    return drawMode() >= 1 ? s_look : 0;
}

int EnTabCtrl::borderFlags() const {
    return drawMode() >= 2 ? s_look : 0;
}

} // namespace kesmo
