#include "PlainText.h"

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

} // namespace brisko::ui
