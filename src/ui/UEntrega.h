#pragma once
// The delivery request dialog: created hidden at start and kept until exit, so its controls keep
// their state between showings.
#include <QDialog>

namespace brisko::ui {

class TFEntrega : public QDialog {
    Q_OBJECT
public:
    explicit TFEntrega(QWidget* parent = nullptr);
};

} // namespace brisko::ui
