#pragma once
// Paints one order card and turns clicks on its logo and courier button into signals.
#include <QStyledItemDelegate>

namespace brisko::ui {

class OrderCardDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kCardWidth = 863;
    static constexpr int kCardHeight = 75;

    using QStyledItemDelegate::QStyledItemDelegate;

    // Where the parts of a card lie inside the card's rectangle.
    static QRect LogoRect(const QRect& card);
    static QRect TextRect(const QRect& card); // between the logo and the courier button panel
    static QRect CourierButtonRect(const QRect& card);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

signals:
    void courierClicked(const QModelIndex& index); // only while the button is active
    void logoClicked();
};

} // namespace brisko::ui
