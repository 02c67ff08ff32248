#pragma once
// Answers the next modal message box the code under test opens, and remembers what it showed.
#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace brisko::test {

struct SeenBox {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

class ModalAnswerer : public QObject {
public:
    // answer: the button to click, or nothing to leave the box open. onSeen runs when the box is
    // first found, before it is answered.
    explicit ModalAnswerer(std::optional<QMessageBox::StandardButton> answer,
                           std::function<void()> onSeen = {});

    const std::optional<SeenBox>& Seen() const { return seen_; }

private:
    void Poll();

    std::optional<QMessageBox::StandardButton> answer_;
    std::function<void()> onSeen_;
    std::optional<SeenBox> seen_;
    QTimer poll_;
};

} // namespace brisko::test
