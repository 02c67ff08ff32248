#pragma once
// Texts from outside (server answers, order and store data, the engine's errors) are never read as
// markup: every label and message box that may show one is made here, plain.
#include <QMessageBox>
#include <QString>

#include <exception>

class QLabel;
class QWidget;

namespace brisko::ui {

// The widget with its object name, the name tests find it by.
template <typename W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* PlainLabel(const QString& text = {});

// A modal box with one OK button showing `text` as it is; `objectName` names it for the tests.
void ShowPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                      const QString& objectName = {});

// The default error box of the windows: the error's text under the program's name.
void ShowDefaultError(QWidget* parent, const std::exception& error);

} // namespace brisko::ui
