#include "UCadastroDelivery.h"

namespace brisko::ui {

TFCadastroDelivery::TFCadastroDelivery(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FCadastroDelivery"));
    setWindowTitle(QStringLiteral("Cadastro"));
    setModal(true);
}

} // namespace brisko::ui
