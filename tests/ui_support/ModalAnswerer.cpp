#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace brisko::test {

ModalAnswerer::ModalAnswerer(std::optional<QMessageBox::StandardButton> answer, std::function<void()> onSeen)
    : answer_(answer), onSeen_(std::move(onSeen)) {
    connect(&poll_, &QTimer::timeout, this, &ModalAnswerer::Poll);
    poll_.start(20);
}

void ModalAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        return;
    }
    poll_.stop();
    SeenBox seen{box->text(), box->icon(), {}, QMessageBox::NoButton};
    for (QAbstractButton* button : box->buttons()) {
        seen.buttons.append(box->standardButton(button));
    }
    if (box->defaultButton() != nullptr) {
        seen.defaultButton = box->standardButton(box->defaultButton());
    }
    seen_ = seen;
    if (onSeen_) {
        onSeen_();
    }
    if (answer_) {
        box->button(*answer_)->click();
    }
}

} // namespace brisko::test
