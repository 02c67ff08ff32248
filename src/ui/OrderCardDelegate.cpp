#include "OrderCardDelegate.h"

#include "CardArtwork.h"
#include "OrderCardLines.h"
#include "OrderCardModel.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace brisko::ui {

namespace {

constexpr int kLogoWidth = 128;
constexpr int kButtonPanelWidth = 122;
constexpr QSize kButtonSize{79, 73};
constexpr int kHeldBandHeight = 17;
const QColor kHeldColour(0xF2, 0xB1, 0x34);

} // namespace

QRect OrderCardDelegate::LogoRect(const QRect& card) {
    return {card.left(), card.top(), kLogoWidth, card.height()};
}

QRect OrderCardDelegate::TextRect(const QRect& card) {
    return card.adjusted(kLogoWidth, 0, -kButtonPanelWidth, 0);
}

QRect OrderCardDelegate::CourierButtonRect(const QRect& card) {
    const int panelLeft = card.right() + 1 - kButtonPanelWidth;
    return {panelLeft + (kButtonPanelWidth - kButtonSize.width()) / 2,
            card.top() + (card.height() - kButtonSize.height()) / 2, kButtonSize.width(),
            kButtonSize.height()};
}

void OrderCardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QRect card = option.rect;
    painter->save();
    painter->fillRect(card, option.palette.window());
    painter->drawPixmap(LogoRect(card).topLeft(), CardPixmap(CardPicture::LogoAiqfome));

    // QPainter::drawText never reads markup, so names and addresses appear exactly as stored.
    painter->setPen(option.palette.color(QPalette::WindowText));
    for (const CardLine& line : CardLines(TextRect(card))) {
        painter->setFont(line.font);
        painter->drawText(line.rect, line.flags, ShownText(line, index.data(line.role).toString()));
    }

    const auto picture = static_cast<CardPicture>(index.data(OrderCardModel::CourierPictureRole).toInt());
    painter->drawPixmap(CourierButtonRect(card).topLeft(), CardPixmap(picture));

    // An order the fee ceiling holds: a band across the foot of the logo, the card's lines untouched.
    if (const QString held = index.data(OrderCardModel::HeldLineRole).toString(); !held.isEmpty()) {
        const QRect logo = LogoRect(card);
        const QRect band(logo.left() + 4, logo.bottom() - kHeldBandHeight - 3, logo.width() - 8,
                         kHeldBandHeight);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(kHeldColour);
        painter->drawRoundedRect(band, 4, 4);
        QFont font = painter->font();
        font.setPixelSize(11);
        font.setBold(true);
        painter->setFont(font);
        painter->setPen(Qt::black);
        painter->drawText(band, Qt::AlignCenter, held);
    }
    painter->restore();
}

QSize OrderCardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    // A card spans the list's visible width, so a scroll bar never hides its courier button.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    return {view != nullptr ? view->viewport()->width() : kCardWidth, kCardHeight};
}

bool OrderCardDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonRelease) {
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return false;
    }
    const QPoint at = mouse->position().toPoint();
    if (CourierButtonRect(option.rect).contains(at)) {
        if (index.data(OrderCardModel::CourierActiveRole).toBool()) {
            emit courierClicked(index);
        }
        return true;
    }
    if (LogoRect(option.rect).contains(at)) {
        emit logoClicked();
        return true;
    }
    return false;
}

bool OrderCardDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    if (CourierButtonRect(option.rect).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), QStringLiteral("Solicitar entregador"), view);
        return true;
    }
    // A line cut to its width shows its whole text as the tip.
    for (const CardLine& line : CardLines(TextRect(option.rect))) {
        const QString text = index.data(line.role).toString();
        if (line.rect.contains(event->pos()) && ShownText(line, text) != text) {
            QToolTip::showText(event->globalPos(), text, view, line.rect);
            return true;
        }
    }
    QToolTip::hideText();
    return true;
}

} // namespace brisko::ui
