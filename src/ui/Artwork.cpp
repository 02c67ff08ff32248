#include "Artwork.h"

#include <QImage>
#include <QImageReader>

#include <array>

// Resources compiled into a static library are linked in only when something refers to them.
static void LoadArtworkResources() {
    Q_INIT_RESOURCE(artwork);
}

namespace brisko::ui {

namespace {

constexpr std::array<const char*, 2> kLogos{":/art/logo-dark.png", ":/art/logo-white.png"};

} // namespace

QPixmap LogoImage(int index) {
    static const bool loaded = (LoadArtworkResources(), true);
    static_cast<void>(loaded);
    if (index < 0 || index >= static_cast<int>(kLogos.size())) {
        return {};
    }
    // Named as PNG, so the reader does not load every picture plugin to ask whether it knows the file.
    QImageReader reader(QString::fromLatin1(kLogos[static_cast<std::size_t>(index)]), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace brisko::ui
