#pragma once
// The account dialog's marketplace banner: a purple strip with the marketplace's name in white,
// painted by the program so that no third-party logo file ships with it.
#include <QPixmap>
#include <QSize>

namespace brisko::ui {

QPixmap MarketplaceBanner(QSize size);

} // namespace brisko::ui
