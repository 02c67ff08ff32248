#include "MarketplaceBanner.h"

#include "Fonts.h"

#include <QPainter>

namespace brisko::ui {

QPixmap MarketplaceBanner(QSize size) {
    QPixmap banner(size);
    banner.fill(QColor(0x7b, 0x1f, 0xa2));
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // A round badge with a fork-like mark, then the name.
    const int badge = size.height() - 10;
    const QRect badgeRect(10, 5, badge, badge);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(badgeRect);
    painter.setPen(QPen(QColor(0x7b, 0x1f, 0xa2), 2.5, Qt::SolidLine, Qt::RoundCap));
    const int cx = badgeRect.center().x();
    for (int dx : {-5, 0, 5}) {
        painter.drawLine(cx + dx, badgeRect.top() + 6, cx + dx, badgeRect.center().y());
    }
    painter.drawLine(cx, badgeRect.center().y(), cx, badgeRect.bottom() - 5);

    QFont font(RobotoFamily());
    font.setBold(true);
    font.setPixelSize(size.height() / 2);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(badgeRect.right() + 10, 0, size.width() - badgeRect.right() - 20, size.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("aiqfome"));
    return banner;
}

} // namespace brisko::ui
