#pragma once
// The marketplace account dialog: created hidden at start and kept until exit.
#include <QDialog>

namespace brisko::ui {

class TFCadastroDelivery : public QDialog {
    Q_OBJECT
public:
    explicit TFCadastroDelivery(QWidget* parent = nullptr);
};

} // namespace brisko::ui
