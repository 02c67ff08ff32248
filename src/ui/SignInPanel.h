#pragma once
// The sign-in panel: the store's e-mail and password, "Continuar conectado", and the sign-in to the
// platform on a helper thread. Signed out it is the window's only panel; it also signs out.
#include "Endpoint.h"

#include <QFrame>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace brisko::store {
class Database;
struct Empresa;
} // namespace brisko::store

namespace brisko::ui {

class SignInPanel : public QFrame {
    Q_OBJECT
public:
    // `banco` is the window thread's connection; the sign-in call itself opens one of its own to
    // `databaseFile`. `empresa` is the build's store name, shown in the title.
    SignInPanel(std::filesystem::path databaseFile, std::string apiKey, dispatch::Endpoint endpoint,
                QString empresa, std::function<store::Database&()> banco, QWidget* parent);

    // When the window first shows: the title, and the stored account with "Continuar conectado"
    // filled in and signed in by itself shortly after; otherwise empty boxes and the focus on e-mail.
    void Prepara(const std::optional<store::Empresa>& salva);
    void MostraTitulo();
    // The error line, and the window brought forward: a failed sign-in must be seen.
    void MostraErro(const QString& text);
    // Asks whether to sign out; on Yes the window lays itself out signed out and the stored store
    // record goes.
    void Sai();
    // The window is closing: no automatic sign-in starts.
    void Encerra();
    QPushButton* BotaoEntrar() const { return Button4; }

signals:
    // The platform accepted the store and its record says it is active.
    void entrou(const store::Empresa& empresa);
    // Signed out: by the operator, or by an error in the sign-in.
    void saiu();
    // The window must come forward.
    void atencao();

private:
    void Button4Click();
    std::string ChamaLoginEmpresa(const std::string& email, const std::string& senha, bool autoConnect) const;
    void HabilitaLogin(bool enabled);

    std::filesystem::path databaseFile_;
    std::string apiKey_;
    dispatch::Endpoint endpoint_;
    QString empresa_;
    std::function<store::Database&()> banco_;

    QLabel* Label7 = nullptr;
    QLabel* LabelErro = nullptr;
    QLineEdit* EditEmail = nullptr;
    QLineEdit* EditSenha = nullptr;
    QCheckBox* CheckBoxAutoConect = nullptr;
    QPushButton* Button4 = nullptr;
    QTimer* TimerLoginAutomatico = nullptr;
};

} // namespace brisko::ui
