#pragma once
// The four text lines of an order card: where each lies, in which font, and how a text longer than
// its line shows. The card is 75 pixels high, room for one row per line: a long name or address is
// cut at the end with "…" and shown whole as the line's tool tip.
#include <QFont>
#include <QRect>
#include <QString>

#include <array>

namespace brisko::ui {

struct CardLine {
    int role; // the OrderCardModel role that holds the line's text
    QRect rect;
    QFont font;
    int flags; // alignment; never word wrap
};

// The order, date, customer and address lines of the card drawn in `textArea` (the card between the
// logo and the courier button).
std::array<CardLine, 4> CardLines(const QRect& textArea);

// The text as the line draws it: whole when it fits the line's width, else cut with "…".
QString ShownText(const CardLine& line, const QString& text);

} // namespace brisko::ui
