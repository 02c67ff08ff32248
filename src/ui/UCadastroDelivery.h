#pragma once
// The marketplace account dialog: created hidden at start and kept until exit. It keeps the
// account's user name and password in the CONFIGDELIVERY row and says when they are saved, so that
// the window runs a pass at once.
#include "ConfigDelivery.h"

#include <QDialog>

#include <exception>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace brisko::store {
class Database;
}

namespace brisko::ui {

class TFCadastroDelivery : public QDialog {
    Q_OBJECT
public:
    // `db` is the window thread's connection. The main window opens the dialog at sign-in, from its
    // button and after the marketplace refused the account.
    TFCadastroDelivery(store::Database& db, QWidget* parent);

    // At sign-in when no account is stored: waits until the dialog is closed.
    void AbreModal();
    // From "Configurar aiqfome": the warning line is cleared.
    void AbrePeloBotao();
    // After the marketplace refused the account: not modal, with the warning.
    void AbreAposErroLogin();

signals:
    // The account was saved.
    void contaGravada();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Centraliza();
    void Button4Click();
    void MostraErro(const std::exception& e);

    store::Database& db_;
    // The account row as read at the first showing and as saved since; the table is not re-read.
    std::optional<store::ConfigDelivery> linha_;

    QLabel* Label3 = nullptr;
    QLineEdit* EditLogin = nullptr;
    QLineEdit* EditSenha = nullptr;
    QPushButton* Button4 = nullptr;
};

} // namespace brisko::ui
