#pragma once
// The program's one permanent window: header, sign-in panel, settings panel, order panel and
// status bar. Signed out it shows the sign-in panel; signed in, the settings and the orders.
#include <QMainWindow>
#include <QThreadPool>

#include <filesystem>
#include <memory>

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
}

namespace brisko::ui {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // programFolder holds BD/BANCO.db, open/ and the command file; tests pass temporary folders.
    explicit TMainForm(std::filesystem::path programFolder, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Lays the window out for the signed-in (true) or signed-out (false) state.
    void Logado(bool V);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void MontaTela();
    QFrame* MontaPanelMenu();
    QFrame* MontaPanelLogin();
    QFrame* MontaPanelPedidos();
    void MontaStatusBar();

    void FormCreate();
    void VariaveisPadrao();
    void AbreBanco();
    bool FormCloseQuery();
    void TimerVersaoTimer();
    void TrazParaFrente();

    std::filesystem::path programFolder_;
    std::unique_ptr<store::Database> database_; // empty when the file could not be opened

    // Operator constants of this build, set once at creation.
    QString vpEmpresa;
    QString vpUrlEmpresa;
    QString vpTokenRovezor;
    int vpIndexLogo = 0;

    bool vLogado = false;

    QLabel* VirtualImage1 = nullptr;
    QToolButton* SpeedButton5 = nullptr;

    QFrame* PanelMenu = nullptr;
    QLabel* LabelEmpresa = nullptr;
    QLabel* LabelCIDADE = nullptr;
    QCheckBox* CheckBoxRebimentoAutomatico = nullptr;
    QComboBox* ComboBoxAgendar = nullptr;
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

    QLabel* StatusPanel0 = nullptr; // countdown to the next pass
    QLabel* StatusPanel1 = nullptr; // progress and errors of the cycle

    QTimer* TimerVersao = nullptr;
    QThreadPool versaoPool_; // the bring-to-front check runs here, one at a time
};

} // namespace brisko::ui
