#pragma once
// The delivery request dialog: created hidden at start and kept until exit, so its controls keep
// their state between showings.
#include "Empresa.h"
#include "Endpoint.h"
#include "Pedidos.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <string>
#include <type_traits>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace brisko::store {
class Database;
}

namespace brisko::ui {

class TFEntrega : public QDialog {
    Q_OBJECT
public:
    explicit TFEntrega(QWidget* parent = nullptr);

    // The window thread's connection and where the platform is reached; needed before the first
    // showing. The platform calls, and the writes on the order, use a connection of their own to
    // the same file on a helper thread.
    void Attach(store::Database& db, std::string apiKey, dispatch::Endpoint endpoint = {});

    // Takes the order as a card's row read it, and the card's date line.
    void Fill(const store::Pedido& row, const QString& dateLine);
    // Fill, then show the dialog modally until it closes.
    void OpenFor(const store::Pedido& row, const QString& dateLine);

    // The order as its card read it: "Solicitar entrega" claims it from the state it had then.
    const store::Pedido& Pedido() const { return pedido_; }
    // The store's record, read at each showing and again at each estimate.
    const store::Empresa& Empresa() const { return empresa_; }

    // Shows the card's date line exactly as the card shows it; set by the opener.
    QLabel* LabelDATAHORA = nullptr;

    // Closing is refused while a platform call runs; every other closing ends in FormClose.
    void done(int result) override;

signals:
    // Every closing (buttons or close box): the opener restarts its list refresh.
    void closed();
    // A write of the order's history failed: the text for the second status panel.
    void historyFailed(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void MontaTela();
    void FormShow();
    void EstimaEntrega();
    void Button4Click();
    void Button1Click();
    void FormClose();
    // The order's history under the buttons; the dialog grows downward to hold it, and keeps its
    // own size when the order has none.
    void MostraHistorico();
    void ReportaHistorico(const std::string& failure);

    // Reads the store's record afresh.
    void LeEmpresa();
    // Runs a platform call or a write on a helper thread, on a connection of its own, with the
    // dialog's controls disabled meanwhile.
    template <class Call> std::invoke_result_t<Call, store::Database&> OffTheWindow(Call&& call);
    void SetBusy(bool busy);
    // Runs a window action; an error it raises ends it and is shown in a message box.
    template <class Action> void Guarded(Action&& action);

    store::Database* db_ = nullptr;
    std::string apiKey_;
    dispatch::Endpoint endpoint_;
    bool busy_ = false;             // a platform call is running
    QPointer<QWidget> focusBefore_; // the control that had the focus when the call began
    long long feeOrder_ = 0;        // the order whose fee Label1 shows; 0 for none
    store::Pedido pedido_;
    store::Empresa empresa_;

    QLabel* Label_IDPEDIDO = nullptr;
    QLabel* Label6CLIENTE = nullptr;
    QLabel* LabelENDERECO = nullptr;
    QComboBox* ComboBoxCategorias = nullptr;
    QComboBox* ComboBoxPagamentos = nullptr;
    QComboBox* ComboBoxAgendar = nullptr;
    QComboBox* ComboBoxRetorno = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button4 = nullptr;
    QTreeWidget* ListaHistorico = nullptr;
};

} // namespace brisko::ui
