#pragma once
// The windows' pictures, bundled in the program as resources.
#include <QPixmap>

namespace brisko::ui {

// The product logo variants, chosen by index as the operator's build selects them.
enum LogoIndex : int { LogoDark = 0, LogoWhite = 1 };

// Read from the resources at each call; an index outside the list gives an empty picture. Window
// thread only.
QPixmap LogoImage(int index);

} // namespace brisko::ui
