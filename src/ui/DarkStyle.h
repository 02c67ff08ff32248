#pragma once
// The program-wide dark look: every window, dialog and message box uses it.
class QApplication;

namespace brisko::ui {

void ApplyDarkStyle(QApplication& app);

} // namespace brisko::ui
