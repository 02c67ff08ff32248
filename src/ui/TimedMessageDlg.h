#pragma once
// A Yes/No question that answers itself when nobody does: after five seconds it closes as if
// cancelled, so an unattended program is never left waiting on a modal question.
#include <QMessageBox>
#include <QString>

class QWidget;

namespace brisko::ui {

inline constexpr int kTimedMessageMs = 5000;

// Returns the button that closed the question; the time-out never yields Yes.
QMessageBox::StandardButton TimedMessageDlg(const QString& text, QWidget* parent = nullptr);

} // namespace brisko::ui
