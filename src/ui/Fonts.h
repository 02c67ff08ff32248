#pragma once
// The typefaces the windows name. Roboto ships inside the program when the build found it; without
// it the toolkit's default family stands in.
#include <QString>

namespace brisko::ui {

// "Roboto" once its files are loaded, else the application's default family.
QString RobotoFamily();

} // namespace brisko::ui
