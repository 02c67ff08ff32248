#pragma once
// The day's summary line and its report button, over the banner's top-right corner so that no
// control of the window moves for them. The button saves the day's orders as a CSV file.
#include <QWidget>

#include <functional>

class QLabel;
class QToolButton;

namespace brisko::store {
class Database;
}

namespace brisko::ui {

class DayReportBar : public QWidget {
    Q_OBJECT
public:
    // `banner` is the widget it sits on; `banco` answers the window's connection (or throws).
    DayReportBar(QWidget* banner, std::function<store::Database&()> banco);

    // Reads today's summary afresh; an error leaves the last one on show.
    void Atualiza();

    QLabel* LabelResumoDia = nullptr;
    QToolButton* BotaoRelatorioDia = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Exporta();
    void Posiciona();

    std::function<store::Database&()> banco_;
};

} // namespace brisko::ui
