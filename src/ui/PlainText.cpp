#include "PlainText.h"

#include <QApplication>
#include <QLabel>

namespace brisko::ui {

QLabel* PlainLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void ShowPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                      const QString& objectName) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setObjectName(objectName);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ShowDefaultError(QWidget* parent, const std::exception& error) {
    ShowPlainMessage(parent, QMessageBox::Critical, QApplication::applicationDisplayName(),
                     QString::fromUtf8(error.what()), QStringLiteral("MensagemErro"));
}

} // namespace brisko::ui
