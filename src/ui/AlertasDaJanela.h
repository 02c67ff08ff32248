#pragma once
// The alerts as the operator gets them: a notification of the tray icon where the desktop has a
// tray, otherwise a line over the window's banner; a short sound when the operator wants one. The
// tray icon also tells the program's state and offers the window, the platform's management page
// and a pause of the alerts. It adds no way to close the program.
#include "Alertas.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace brisko::ui {

class AlertasDaJanela : public QObject {
    Q_OBJECT
public:
    using Relogio = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::minutes kPausa{15};

    // `janela` is the window the alerts are about, `faixa` its alert line (hidden until needed),
    // `urlGestao` the platform's order-management page.
    AlertasDaJanela(QWidget* janela, QLabel* faixa, QString urlGestao, QObject* parent);
    ~AlertasDaJanela() override;

    // The clock the alerts count their minutes by (the steady clock unless a test sets one).
    void DefineRelogio(Relogio relogio) { relogio_ = std::move(relogio); }
    void DefinePreferencias(bool alertas, bool som);
    bool TemBandeja() const { return bandeja_ != nullptr; }
    const cycle::CentralDeAlertas& Central() const { return central_; }

    // What the window and the pass report.
    void Pedidos(const std::vector<store::Pedido>& rows, bool automatico,
                 const std::map<std::string, std::string>& retidos);
    void Sincronizou(int resultado, const QString& text);
    void Respondida(qlonglong id, const QString& idPedido, int outcome, const QString& text);
    // The operator brought the window up: what ends when seen ends, and the line goes when nothing
    // is left open.
    void Olhou();
    // No alert for the next 15 minutes.
    void Pausa();
    // Shows the alerts due now; the timer calls it every second.
    void Mostra();
    // The window is closing: nothing more is shown.
    void Encerra();

signals:
    // The operator asked for the window from the tray.
    void janelaPedida();

private:
    void MontaBandeja(const QString& urlGestao);
    void Atualiza();
    std::chrono::steady_clock::time_point Agora() const { return relogio_(); }

    QWidget* janela_;
    QLabel* faixa_;
    QSystemTrayIcon* bandeja_ = nullptr;
    QMenu* menu_ = nullptr;
    QTimer* TimerAlertas = nullptr;
    Relogio relogio_ = [] { return std::chrono::steady_clock::now(); };
    cycle::CentralDeAlertas central_;
    bool alertas_ = true;
    bool som_ = true;
    int estadoMostrado_ = -1;
    std::chrono::steady_clock::time_point faixaDesde_{}; // when the line was last shown
};

} // namespace brisko::ui
