#pragma once
// Holds back the saves that change handlers ask for while the program sets several controls in a
// row, and makes one save after the last: a save in between would store the controls not yet set
// with the values they had before, and so overwrite what is being put back.
#include <functional>

namespace brisko::ui {

class SaveHold {
public:
    // True while controls are being set: the save asked for is noted, not made.
    bool Holds();
    // Runs `setControls` with every save held back, then runs `save` once if any was asked for.
    // An error out of `setControls` ends the hold and saves nothing.
    void While(const std::function<void()>& setControls, const std::function<void()>& save);

private:
    bool holding_ = false;
    bool asked_ = false;
};

} // namespace brisko::ui
