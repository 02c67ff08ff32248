#pragma once
// The program's one permanent window: header, sign-in panel, settings panel, order panel and
// status bar. Signed out it shows the sign-in panel; signed in, the settings and the orders. It
// owns its panels, its dialogs and the database connection of the window thread, and wires them.
#include "Endpoint.h"
#include "Marketplace.h"

#include <QMainWindow>
#include <QThreadPool>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

class QFrame;
class QLabel;
class QTimer;
class QToolButton;

namespace brisko::courier {
struct SchedulingInputs;
}

namespace brisko::store {
class Database;
struct Empresa;
struct Pedido;
} // namespace brisko::store

namespace brisko::ui {

class AlertasDaJanela;
class CycleStatusBar;
class TFPreferencias;
class OrderCardGrid;
class SettingsPanel;
class SignInPanel;
class TFCadastroDelivery;
class TFEntrega;
class DayReportBar;

// Where the outside services are reached; the program uses the build's constants, tests point
// them at the simulators. The window sets both endpoints' abandon flag itself.
struct MainFormOptions {
    dispatch::Endpoint dispatch{};
    marketplace::Endpoint marketplace{};
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // programFolder holds BD/BANCO.db, open/ and the command file; tests pass temporary folders.
    explicit TMainForm(std::filesystem::path programFolder, MainFormOptions options = {},
                       QWidget* parent = nullptr);
    ~TMainForm() override;

    // Lays the window out for the signed-in (true) or signed-out (false) state.
    void Logado(bool V);
    bool EstaLogado() const { return vLogado; }

public slots:
    // A pass as soon as possible; one asked for while a pass runs comes after it, never beside it.
    void PassoImediato();
    // The order list re-read at once.
    void AtualizaListaImediata();
    // Restored if minimised and brought to the foreground.
    void TrazParaFrente();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MontaTela();
    QFrame* MontaPanelPedidos(QWidget* parent);
    void MontaTimers();
    void LigaEventos();

    // The dialogs are built once: just after the window's first paint, or earlier if the window
    // needs one before then, so that the window shows sooner.
    void AposPrimeiraPintura();
    void GaranteDialogos();

    // What a pass reads from the window, taken when its scheduling starts.
    courier::SchedulingInputs Entradas() const;

    void FormCreate();
    void AbreBanco();
    // The window thread's connection; throws DatabaseError when the file could not be opened. It
    // waits only briefly for a lock another connection holds: a write under a long lock fails with
    // "database is locked" instead of freezing the window.
    store::Database& Banco();
    void FormShow();
    bool FormCloseQuery();
    void Encerra();
    void TimerVersaoTimer();

    // The panels' and the pass's outcomes.
    void Entrou(const store::Empresa& empresa);
    void Saiu();
    void MostraAviso(const QString& text);
    void OcultaAviso();
    void PedeCadastro();
    void MostraMensagem(const QString& text);
    void AbreEntrega(const store::Pedido& row, const QString& dateLine);
    void MontaAlertas();
    void RestauraPreferencias();
    void PosicionaAlerta();

    void TimerPedidosTimer();
    void TimerLoginTimer();
    void TimerCadastroEntregaTimer();
    void RelePedidos();

    std::filesystem::path programFolder_;
    std::filesystem::path arquivoBanco_;
    MainFormOptions options_;
    std::unique_ptr<store::Database> database_; // empty when the file could not be opened
    // Built after the first paint; they go before the window's connection they use.
    std::unique_ptr<TFCadastroDelivery> cadastroDelivery_;
    std::unique_ptr<TFEntrega> entrega_;
    bool dialogosCriados_ = false;
    bool mostrada_ = false;
    bool aposPintura_ = false; // what follows the first paint has run
    // Set once the operator has answered Yes to closing: every call to the services is abandoned
    // and none starts; the front request marker is left for the next start to find.
    const std::shared_ptr<std::atomic<bool>> encerrando_ = std::make_shared<std::atomic<bool>>(false);
    std::mutex marcadorMutex_; // the bring-to-front check takes the marker only while not closing
    QString ultimoErroLista_;  // the list refresh reports a failure once, not every 2 seconds

    // Operator constants of this build.
    const QString vpEmpresa;
    const QString vpUrlEmpresa;
    const std::string vpTokenRovezor;
    const int vpIndexLogo;

    bool vLogado = false;

    QLabel* VirtualImage1 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QLabel* LabelAlerta = nullptr; // the alerts' line, over the banner's right end, where no tray exists
    DayReportBar* BarraRelatorioDia = nullptr; // over the banner's other corner, signed in only
    SettingsPanel* PanelMenu = nullptr;
    SignInPanel* PanelLogin = nullptr;

    QFrame* PanelPedidos = nullptr;
    QLabel* LabelAvisos = nullptr;
    QLabel* Label6PEDIDOS = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    OrderCardGrid* DBCtrlGrid1 = nullptr;

    CycleStatusBar* StatusBar1 = nullptr;
    AlertasDaJanela* alertas_ = nullptr;
    TFPreferencias* preferencias_ = nullptr;

    QTimer* TimerVersao = nullptr;
    QTimer* TimerPedidos = nullptr;
    QTimer* TimerLogin = nullptr;
    QTimer* TimerCadastroEntrega = nullptr;
    QThreadPool versaoPool_; // the bring-to-front check runs here, one at a time
};

} // namespace brisko::ui
