#include "TimedMessageDlg.h"

#include <QApplication>
#include <QTimer>

namespace brisko::ui {

QMessageBox::StandardButton TimedMessageDlg(const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("TimedMessageDlg"));
    box.setDefaultButton(QMessageBox::Yes);

    // The timer belongs to the question itself, so it can only ever close this question.
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &box, [&box] { box.done(QMessageBox::No); });
    timeout.start(kTimedMessageMs);

    const int result = box.exec();
    timeout.stop();
    return static_cast<QMessageBox::StandardButton>(result);
}

} // namespace brisko::ui
