#include "OrderCardDelegate.h"

#include "CardArtwork.h"
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
constexpr int kDateLeft = 16;
constexpr int kDateTop = 19;

QFont CardFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Roboto"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// The area between the logo and the courier button panel.
QRect TextArea(const QRect& card) {
    return card.adjusted(kLogoWidth, 0, -kButtonPanelWidth, 0);
}

} // namespace

QRect OrderCardDelegate::LogoRect(const QRect& card) {
    return {card.left(), card.top(), kLogoWidth, card.height()};
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
    const QRect text = TextArea(card);
    painter->setPen(option.palette.color(QPalette::WindowText));
    painter->setFont(CardFont(17, true));
    painter->drawText(QRect(text.left(), text.top(), text.width(), 22), Qt::AlignHCenter | Qt::AlignTop,
                      index.data(OrderCardModel::OrderLineRole).toString());
    painter->setFont(CardFont(13, false));
    painter->drawText(QRect(text.left() + kDateLeft, text.top() + kDateTop, text.width() - kDateLeft, 16),
                      Qt::AlignLeft | Qt::AlignTop, index.data(OrderCardModel::DateLineRole).toString());
    painter->setFont(CardFont(15, true));
    painter->drawText(QRect(text.left(), text.top() + 35, text.width(), 20),
                      Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                      index.data(OrderCardModel::ClientLineRole).toString());
    painter->setFont(CardFont(13, false));
    painter->drawText(QRect(text.left(), text.top() + 55, text.width(), 20),
                      Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                      index.data(OrderCardModel::AddressLineRole).toString());

    const auto picture = static_cast<CardPicture>(index.data(OrderCardModel::CourierPictureRole).toInt());
    painter->drawPixmap(CourierButtonRect(card).topLeft(), CardPixmap(picture));
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
    if (event->type() == QEvent::ToolTip && CourierButtonRect(option.rect).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), QStringLiteral("Solicitar entregador"), view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

} // namespace brisko::ui
