#pragma once
// The order cards' pictures, painted by the program itself so that no image file has to ship.
#include <QPixmap>
#include <QString>

namespace brisko::ui {

enum class CardPicture {
    LogoAiqfome, // the marketplace logo at the left of every card
    Entregador4, // courier button: no request yet, the operator may request one
    Ok,          // courier button: a request was made or the order was settled
    Solicitando, // courier button: no request yet, left to automatic scheduling
};

// The picture's name as the program's picture collection knows it ("entregador 4", "OK", ...).
QString CardPictureName(CardPicture picture);

// Painted once per picture and kept; the size is the one the card lays it out at.
const QPixmap& CardPixmap(CardPicture picture);

} // namespace brisko::ui
