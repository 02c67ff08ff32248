#include "CardArtwork.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace brisko::ui {

namespace {

constexpr QSize kLogoSize{128, 75};
constexpr QSize kButtonSize{79, 73};

const QColor kMarketplacePurple{0x7B, 0x1F, 0xA2};
const QColor kCourierGreen{0x2E, 0xA0, 0x4F};

QPixmap Blank(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap PaintLogo() {
    QPixmap pixmap = Blank(kLogoSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF badge(14, 8, 100, 59);
    p.setPen(Qt::NoPen);
    p.setBrush(kMarketplacePurple);
    p.drawRoundedRect(badge, 14, 14);
    QFont font(QStringLiteral("Roboto"));
    font.setPixelSize(24);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(badge.adjusted(0, -6, 0, 0), Qt::AlignCenter, QStringLiteral("aiq"));
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(badge.adjusted(0, 30, 0, 0), Qt::AlignCenter, QStringLiteral("fome"));
    return pixmap;
}

void DrawPin(QPainter& p, QPointF tip, qreal size) {
    QPainterPath pin;
    pin.moveTo(tip);
    pin.cubicTo(tip + QPointF(-size, -size * 1.1), tip + QPointF(-size * 0.7, -size * 2.1),
                tip + QPointF(0, -size * 2.1));
    pin.cubicTo(tip + QPointF(size * 0.7, -size * 2.1), tip + QPointF(size, -size * 1.1), tip);
    p.drawPath(pin);
    p.save();
    p.setBrush(kCourierGreen);
    p.drawEllipse(tip + QPointF(0, -size * 1.35), size * 0.32, size * 0.32);
    p.restore();
}

QPixmap PaintEntregador() {
    QPixmap pixmap = Blank(kButtonSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kCourierGreen);
    p.drawRoundedRect(QRectF(2, 2, 75, 69), 12, 12);

    p.setBrush(Qt::white);
    DrawPin(p, {16, 26}, 7);
    DrawPin(p, {63, 20}, 6);

    // Scooter: wheels, floor board, front fork and the delivery box behind the rider.
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(22, 55), 6.5, 6.5);
    p.drawEllipse(QPointF(58, 55), 6.5, 6.5);
    p.drawLine(QPointF(28, 50), QPointF(50, 50));
    p.drawLine(QPointF(50, 50), QPointF(56, 32));
    p.drawLine(QPointF(53, 32), QPointF(60, 32));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(15, 34, 14, 13), 2, 2);

    // Rider: helmet, body and arm to the handlebar.
    p.drawEllipse(QPointF(41, 24), 5.5, 5.5);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(39, 31), QPointF(36, 45));
    p.drawLine(QPointF(36, 45), QPointF(46, 48));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(39, 34), QPointF(54, 33));
    return pixmap;
}

QPixmap PaintOk() {
    QPixmap pixmap = Blank(kButtonSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kCourierGreen, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath check;
    check.moveTo(18, 38);
    check.lineTo(34, 54);
    check.lineTo(62, 20);
    p.drawPath(check);
    return pixmap;
}

QPixmap PaintSolicitando() {
    QPixmap pixmap = Blank(kButtonSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(46, 40);
    constexpr qreal kRadius = 22;
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, kRadius, kRadius);
    // Crown and side button of the stopwatch.
    p.drawLine(centre + QPointF(0, -kRadius), centre + QPointF(0, -kRadius - 6));
    p.drawLine(centre + QPointF(-6, -kRadius - 7), centre + QPointF(6, -kRadius - 7));
    p.drawLine(centre + QPointF(16, -16), centre + QPointF(20, -20));
    // Hand at a quarter past.
    p.drawLine(centre, centre + QPointF(0, -14));
    p.drawLine(centre, centre + QPointF(10, 4));
    // Speed lines trailing to the left.
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    constexpr std::array<qreal, 3> kRows{-10, 0, 10};
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const qreal y = centre.y() + kRows[i];
        const qreal length = i == 1 ? 14 : 9;
        p.drawLine(QPointF(centre.x() - kRadius - 6 - length, y), QPointF(centre.x() - kRadius - 6, y));
    }
    return pixmap;
}

} // namespace

QString CardPictureName(CardPicture picture) {
    switch (picture) {
    case CardPicture::LogoAiqfome:
        return QStringLiteral("logoAiqfome");
    case CardPicture::Entregador4:
        return QStringLiteral("entregador 4");
    case CardPicture::Ok:
        return QStringLiteral("OK");
    case CardPicture::Solicitando:
        return QStringLiteral("Solicitando");
    }
    return {};
}

const QPixmap& CardPixmap(CardPicture picture) {
    static const std::array<QPixmap, 4> kPictures{PaintLogo(), PaintEntregador(), PaintOk(),
                                                  PaintSolicitando()};
    return kPictures[static_cast<std::size_t>(picture)];
}

} // namespace brisko::ui
