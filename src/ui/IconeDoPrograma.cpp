#include "IconeDoPrograma.h"

#include <QPainter>
#include <QPixmap>

namespace brisko::ui {

namespace {

constexpr int kLado = 64;

QPixmap Base() {
    return QPixmap(QStringLiteral(":/art/icon.png"))
        .scaled(kLado, kLado, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QPixmap Cinza(const QPixmap& pixmap) {
    QImage imagem = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < imagem.height(); ++y) {
        auto* linha = reinterpret_cast<QRgb*>(imagem.scanLine(y));
        for (int x = 0; x < imagem.width(); ++x) {
            const int g = qGray(linha[x]);
            linha[x] = qRgba(g, g, g, qAlpha(linha[x]));
        }
    }
    return QPixmap::fromImage(imagem);
}

QPixmap ComMarca(QPixmap pixmap, const QColor& cor) {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 3));
    painter.setBrush(cor);
    const int d = kLado * 7 / 16;
    painter.drawEllipse(kLado - d - 2, 2, d, d);
    return pixmap;
}

} // namespace

QIcon IconeDoPrograma(cycle::EstadoDosAlertas estado) {
    switch (estado) {
    case cycle::EstadoDosAlertas::Atencao:
        return QIcon(ComMarca(Base(), QColor(0xff, 0xc1, 0x07)));
    case cycle::EstadoDosAlertas::SincronizacaoFalhando:
        return QIcon(ComMarca(Cinza(Base()), QColor(0xe5, 0x39, 0x35)));
    case cycle::EstadoDosAlertas::Normal:
        break;
    }
    return QIcon(Base());
}

} // namespace brisko::ui
