#pragma once
// The program's one permanent window: header, sign-in panel, settings panel, order panel and
// status bar. Signed out it shows the sign-in panel; signed in, the settings and the orders.
#include "Endpoint.h"
#include "Marketplace.h"
#include "SaveHold.h"

#include <QMainWindow>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

namespace brisko::store {
class Database;
struct Pedido;
} // namespace brisko::store

namespace brisko::ui {

class CycleBridge;
class OrderCardGrid;
class TFCadastroDelivery;
class TFEntrega;

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

    // The window thread's connection; throws DatabaseError when the file could not be opened. It
    // waits only briefly for a lock another connection holds: a write under a long lock fails with
    // "database is locked" instead of freezing the window.
    store::Database& Banco();
    const std::filesystem::path& ArquivoBanco() const { return arquivoBanco_; }
    const MainFormOptions& Opcoes() const { return options_; }

    // The account dialog registers itself here when it is created.
    void RegistraCadastroDelivery(TFCadastroDelivery* dialog);
    // The delivery request dialog, opened by the cards' courier button.
    void RegistraEntrega(TFEntrega* dialog);
    // `criaDialogos` builds and registers both dialogs. It runs once: just after the window's first
    // paint, or earlier if the window needs a dialog before then, so that the window shows sooner.
    void AdiaDialogos(std::function<void()> criaDialogos);

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
    friend class CycleBridge; // writes the status texts and takes the settings on the window thread

    void MontaTela();
    QFrame* MontaPanelMenu(QWidget* parent);
    QFrame* MontaPanelLogin(QWidget* parent);
    QFrame* MontaPanelPedidos(QWidget* parent);
    void MontaStatusBar();
    void MontaTimers();
    void LigaEventos();

    void AposPrimeiraPintura();
    void GaranteDialogos();

    void FormCreate();
    void VariaveisPadrao();
    void AbreBanco();
    void FormShow();
    bool FormCloseQuery();
    void Encerra();
    void TimerVersaoTimer();

    // Sign-in and sign-out.
    void Button4Click();
    std::string ChamaLoginEmpresa(const std::string& email, const std::string& senha, bool autoConnect) const;
    void ConcluiLogin();
    void PreencheListas(const std::string& tiposPagamentos, const std::string& categorias);
    void RestauraConfiguracao();
    void MostraErroLogin(const QString& text);
    void HabilitaLogin(bool enabled);
    void SpeedButton5Click();
    void VirtualImage1Click();

    // Operator settings.
    void GravaConfiguracao();
    void CheckBoxRebimentoAutomaticoClick();
    void ComboBoxAgendarChange();
    void ComboBoxPagamentosChange();
    void ComboBoxCategoriasChange();
    void SpeedButton2Click();
    void AbreEntrega(const store::Pedido& row, const QString& dateLine);

    // Timers of the integration cycle and the screen.
    void TimerDeliveryTimer();
    void TimerCountDeliveryTimer();
    void TimerPedidosTimer();
    void TimerLoginTimer();
    void TimerCadastroEntregaTimer();
    void TimerLoginAutomaticoTimer();
    void RelePedidos();
    void FimDoPasso();

    // Handlers never let an error escape into the toolkit: it goes to the default error box.
    void MostraErroPadrao(const std::exception& e);

    std::filesystem::path programFolder_;
    std::filesystem::path arquivoBanco_;
    MainFormOptions options_;
    std::unique_ptr<store::Database> database_; // empty when the file could not be opened
    QPointer<TFCadastroDelivery> cadastroDelivery_;
    QPointer<TFEntrega> entrega_;
    std::function<void()> criaDialogos_; // empty once run, or when the dialogs were given directly
    std::unique_ptr<CycleBridge> ciclo_;
    bool mostrada_ = false;
    bool aposPintura_ = false;   // what follows the first paint has run
    bool passoEmCurso_ = false;  // a pass was asked for and has not handed the cycle back yet
    bool passoSeguinte_ = false; // an immediate pass asked for meanwhile: it starts when that pass ends
    // Set once the operator has answered Yes to closing: every call to the services is abandoned
    // and none starts; the front request marker is left for the next start to find.
    const std::shared_ptr<std::atomic<bool>> encerrando_ = std::make_shared<std::atomic<bool>>(false);
    std::mutex marcadorMutex_; // the bring-to-front check takes the marker only while not closing
    QString ultimoErroLista_;  // the list refresh reports a failure once, not every 2 seconds
    SaveHold restauro_;        // the settings restore at sign-in saves once, after every control

    // Operator constants of this build, set once at creation.
    QString vpEmpresa;
    QString vpUrlEmpresa;
    QString vpTokenRovezor;
    int vpIndexLogo = 0;

    bool vLogado = false;
    int CountDelivery = 0;

    QLabel* VirtualImage1 = nullptr;
    QToolButton* SpeedButton5 = nullptr;

    QFrame* PanelMenu = nullptr;
    QLabel* LabelEmpresa = nullptr;
    QLabel* LabelCIDADE = nullptr;
    QCheckBox* CheckBoxRebimentoAutomatico = nullptr;
    QLineEdit* ComboBoxAgendar = nullptr;
    QComboBox* ComboBoxCategorias = nullptr;
    QComboBox* ComboBoxPagamentos = nullptr;
    QComboBox* ComboBoxRetorno = nullptr;

    QFrame* PanelLogin = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* LabelErro = nullptr;
    QLineEdit* EditEmail = nullptr;
    QLineEdit* EditSenha = nullptr;
    QCheckBox* CheckBoxAutoConect = nullptr;
    QPushButton* Button4 = nullptr;

    QFrame* PanelPedidos = nullptr;
    QLabel* LabelAvisos = nullptr;
    QLabel* Label6PEDIDOS = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    OrderCardGrid* DBCtrlGrid1 = nullptr;

    QLabel* StatusPanel0 = nullptr; // countdown to the next pass
    QLabel* StatusPanel1 = nullptr; // progress and errors of the cycle

    QTimer* TimerVersao = nullptr;
    QTimer* TimerDelivery = nullptr;
    QTimer* TimerCountDelivery = nullptr;
    QTimer* TimerPedidos = nullptr;
    QTimer* TimerLogin = nullptr;
    QTimer* TimerCadastroEntrega = nullptr;
    QTimer* TimerLoginAutomatico = nullptr;
    QThreadPool versaoPool_; // the bring-to-front check runs here, one at a time
};

} // namespace brisko::ui
