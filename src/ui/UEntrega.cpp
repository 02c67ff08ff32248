#include "UEntrega.h"

namespace brisko::ui {

TFEntrega::TFEntrega(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FEntrega"));
    setWindowTitle(QStringLiteral("Solicitar entrega"));
    setModal(true);
}

} // namespace brisko::ui
