#include "Artwork.h"

#include <array>

namespace brisko::ui {

QPixmap LogoImage(int index) {
    static constexpr std::array<const char*, 2> kLogos{":/art/logo-dark.png", ":/art/logo-white.png"};
    if (index < 0 || index >= static_cast<int>(kLogos.size())) {
        return {};
    }
    return QPixmap(QString::fromLatin1(kLogos[static_cast<std::size_t>(index)]));
}

} // namespace brisko::ui
