#include "Artwork.h"

#include <QImage>
#include <QImageReader>

#include <array>
#include <future>

// Resources compiled into a static library are linked in only when something refers to them.
static void LoadArtworkResources() {
    Q_INIT_RESOURCE(artwork);
}

namespace brisko::ui {

namespace {

constexpr std::array<const char*, 2> kLogos{":/art/logo-dark.png", ":/art/logo-white.png"};
using Logos = std::array<QImage, kLogos.size()>;

Logos ReadLogos() {
    Logos logos;
    for (std::size_t i = 0; i < kLogos.size(); ++i) {
        // Named as PNG, so the reader does not load every picture plugin to ask whether it knows the file.
        QImageReader reader(QString::fromLatin1(kLogos[i]), "png");
        reader.setAutoDetectImageFormat(false);
        logos[i] = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return logos;
}

// Only the window thread starts or takes the reading.
std::shared_future<Logos>& Reading() {
    static const bool loaded = (LoadArtworkResources(), true);
    static_cast<void>(loaded);
    static std::shared_future<Logos> reading;
    return reading;
}

} // namespace

void PrefetchLogos() {
    if (!Reading().valid()) {
        Reading() = std::async(std::launch::async, ReadLogos).share();
    }
}

QPixmap LogoImage(int index) {
    if (index < 0 || index >= static_cast<int>(kLogos.size())) {
        return {};
    }
    if (!Reading().valid()) {
        Reading() = std::async(std::launch::deferred, ReadLogos).share();
    }
    return QPixmap::fromImage(Reading().get()[static_cast<std::size_t>(index)]);
}

} // namespace brisko::ui
