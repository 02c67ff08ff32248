#pragma once
// The windows' pictures, bundled in the program as resources.
#include <QPixmap>

namespace brisko::ui {

// The product logo variants, chosen by index as the operator's build selects them.
enum LogoIndex : int { LogoDark = 0, LogoWhite = 1 };

// An index outside the list gives an empty picture. Window thread only.
QPixmap LogoImage(int index);

// Starts reading the logos on a helper thread, so that LogoImage finds them read. For the start of
// the program, while the window is being built. Window thread only.
void PrefetchLogos();

} // namespace brisko::ui
