#include "OrderCardLines.h"

#include "OrderCardModel.h"

#include <QFontMetrics>

namespace brisko::ui {

namespace {

constexpr int kDateLeft = 16;
constexpr int kDateTop = 19;

QFont CardFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Roboto"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

std::array<CardLine, 4> CardLines(const QRect& text) {
    const int centred = Qt::AlignHCenter | Qt::AlignTop;
    return {{
        {OrderCardModel::OrderLineRole, QRect(text.left(), text.top(), text.width(), 22), CardFont(17, true),
         centred},
        {OrderCardModel::DateLineRole,
         QRect(text.left() + kDateLeft, text.top() + kDateTop, text.width() - kDateLeft, 16),
         CardFont(13, false), Qt::AlignLeft | Qt::AlignTop},
        {OrderCardModel::ClientLineRole, QRect(text.left(), text.top() + 35, text.width(), 20),
         CardFont(15, true), centred},
        {OrderCardModel::AddressLineRole, QRect(text.left(), text.top() + 55, text.width(), 20),
         CardFont(13, false), centred},
    }};
}

QString ShownText(const CardLine& line, const QString& text) {
    return QFontMetrics(line.font).elidedText(text, Qt::ElideRight, line.rect.width());
}

} // namespace brisko::ui
