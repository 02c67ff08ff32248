#include "SaveHold.h"

#include <utility>

namespace brisko::ui {

bool SaveHold::Holds() {
    asked_ = asked_ || holding_;
    return holding_;
}

void SaveHold::While(const std::function<void()>& setControls, const std::function<void()>& save) {
    asked_ = false;
    holding_ = true;
    try {
        setControls();
    } catch (...) {
        holding_ = false;
        throw;
    }
    holding_ = false;
    if (std::exchange(asked_, false)) {
        save();
    }
}

} // namespace brisko::ui
