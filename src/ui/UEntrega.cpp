#include "UEntrega.h"

#include "BackgroundCall.h"
#include "Database.h"
#include "DeliveryOptions.h"
#include "DeliveryRequest.h"
#include "Historico.h"
#include "LocalTime.h"
#include "PaymentMethods.h"
#include "PlainText.h"
#include "ResultText.h"
#include "ScheduleMinutes.h"
#include "SolicitaEntrega.h"
#include "TetoTaxaAutomatico.h"
#include "TextoLegivel.h"
#include "URovezor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace brisko::ui {

namespace {

constexpr QSize kClientSize{405, 393};
// The history list's height and the gap above it: what the dialog grows by when it shows one.
constexpr int kHistoryHeight = 132;
constexpr int kHistoryGap = 8;
constexpr std::string_view kOrderPrefix = "aiqfome ";
// The fee label when no estimate of the order on show has succeeded: "R$0,00" would read as a free
// delivery, and a fee left from before may be another order's.
const QString kFeeUnknown = QStringLiteral("—");

QLabel* CentredLine(const char* name, bool bold) {
    auto* label = Named(PlainLabel(), name);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    return label;
}

QComboBox* ChoiceList(const char* name) {
    auto* list = Named(new QComboBox, name);
    list->setEditable(false); // a choice from the entries only
    return list;
}

void FillChoices(QComboBox* list, const std::vector<std::string>& items) {
    list->clear();
    for (const std::string& item : items) {
        list->addItem(QString::fromStdString(item));
    }
    list->setCurrentIndex(items.empty() ? -1 : 0);
}

void ShowMessage(QWidget* parent, const QString& text) {
    ShowPlainMessage(parent, QMessageBox::NoIcon, QApplication::applicationDisplayName(), text);
}

std::string Text(const QString& value) {
    return value.toStdString();
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Erro: " and the platform's words, cut to a readable length; the line the program adds when no
// answer came stays whole.
QString ErrorMessage(std::string_view text) {
    const std::string advice = "\n" + std::string(courier::kMayHaveBeenAcceptedLine);
    const bool advised = text.ends_with(advice);
    if (advised) {
        text.remove_suffix(advice.size());
    }
    return QStringLiteral("Erro: ") + TextoLegivel(text) + (advised ? Q(advice) : QString());
}

} // namespace

template <class Call> std::invoke_result_t<Call, store::Database&> TFEntrega::OffTheWindow(Call&& call) {
    if (db_ == nullptr) {
        throw std::logic_error("the delivery dialog has no database");
    }
    const std::filesystem::path file = db_->File();
    SetBusy(true);
    struct Release {
        TFEntrega* dialog;
        ~Release() { dialog->SetBusy(false); }
    } release{this};
    return RunInBackground([&] {
        store::Database own(file);
        return call(own);
    });
}

template <class Action> void TFEntrega::Guarded(Action&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        ShowMessage(this, QString::fromUtf8(e.what()));
    }
}

TFEntrega::TFEntrega(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FEntrega"));
    setWindowTitle(QStringLiteral("Solicitar entrega"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    MontaTela();
    setFixedSize(kClientSize);
    if (const QScreen* s = QApplication::primaryScreen()) {
        move(s->availableGeometry().center() - rect().center());
    }
}

void TFEntrega::Attach(store::Database& db, std::string apiKey, dispatch::Endpoint endpoint) {
    db_ = &db;
    apiKey_ = std::move(apiKey);
    endpoint_ = std::move(endpoint);
}

void TFEntrega::MontaTela() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 12);
    column->setSpacing(8);

    auto* panel = Named(new QFrame, "Panel1");
    auto* lines = new QVBoxLayout(panel);
    lines->setContentsMargins(4, 4, 4, 4);
    lines->setSpacing(2);
    Label_IDPEDIDO = CentredLine("Label_IDPEDIDO", true);
    LabelDATAHORA = CentredLine("LabelDATAHORA", false);
    Label6CLIENTE = CentredLine("Label6CLIENTE", false);
    LabelENDERECO = CentredLine("LabelENDERECO", false);
    for (QLabel* line : {Label_IDPEDIDO, LabelDATAHORA, Label6CLIENTE, LabelENDERECO}) {
        lines->addWidget(line);
    }
    column->addWidget(panel);

    auto* lists = new QGridLayout;
    ComboBoxCategorias = ChoiceList("ComboBoxCategorias");
    ComboBoxPagamentos = ChoiceList("ComboBoxPagamentos");
    lists->addWidget(PlainLabel(QStringLiteral("Categoria")), 0, 0);
    lists->addWidget(PlainLabel(QStringLiteral("Pagamento")), 0, 1);
    lists->addWidget(ComboBoxCategorias, 1, 0);
    lists->addWidget(ComboBoxPagamentos, 1, 1);
    column->addLayout(lists);

    auto* options = new QHBoxLayout;
    ComboBoxAgendar = ChoiceList("ComboBoxAgendar");
    for (const std::string& minutes : courier::ScheduleMinuteChoices()) {
        ComboBoxAgendar->addItem(QString::fromStdString(minutes));
    }
    ComboBoxRetorno = ChoiceList("ComboBoxRetorno");
    for (const std::string& choice : courier::ReturnChoices()) {
        ComboBoxRetorno->addItem(QString::fromStdString(choice));
    }
    options->addWidget(PlainLabel(QStringLiteral("Agendar")));
    options->addWidget(ComboBoxAgendar);
    options->addWidget(PlainLabel(QStringLiteral("min")));
    options->addStretch(1);
    options->addWidget(PlainLabel(QStringLiteral("Retorno")));
    options->addWidget(ComboBoxRetorno);
    column->addLayout(options);

    auto* taxaCaption = PlainLabel(QStringLiteral("TAXA DE ENTREGA"));
    taxaCaption->setAlignment(Qt::AlignCenter);
    column->addWidget(taxaCaption);
    Label1 = Named(PlainLabel(QStringLiteral("R$0,00")), "Label1");
    Label1->setAlignment(Qt::AlignCenter);
    QFont big = Label1->font();
    big.setPixelSize(32);
    big.setBold(true);
    Label1->setFont(big);
    column->addWidget(Label1);
    column->addStretch(1);

    auto* buttons = new QHBoxLayout;
    Button1 = Named(new QPushButton(QStringLiteral("Já foi entregue")), "Button1");
    Button4 = Named(new QPushButton(QStringLiteral("Solicitar entrega")), "Button4");
    for (QPushButton* button : {Button1, Button4}) {
        button->setAutoDefault(false); // Enter in a list must not press a button
        button->setMinimumHeight(40);
    }
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(Button4);
    column->addLayout(buttons);

    ListaHistorico = Named(new QTreeWidget, "ListaHistorico");
    ListaHistorico->setColumnCount(3);
    ListaHistorico->setHeaderLabels(
        {QStringLiteral("Hora"), QStringLiteral("Evento"), QStringLiteral("Detalhe")});
    ListaHistorico->setRootIsDecorated(false);
    ListaHistorico->setSelectionMode(QAbstractItemView::NoSelection);
    ListaHistorico->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListaHistorico->setFocusPolicy(Qt::NoFocus);
    ListaHistorico->setFixedHeight(kHistoryHeight);
    ListaHistorico->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ListaHistorico->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ListaHistorico->header()->setStretchLastSection(true);
    ListaHistorico->hide();
    column->addWidget(ListaHistorico);

    connect(Button4, &QPushButton::clicked, this, [this] { Guarded([this] { Button4Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
    // The payment does not enter the estimate, yet changing it asks for a new one all the same.
    for (QComboBox* list : {ComboBoxCategorias, ComboBoxPagamentos, ComboBoxRetorno}) {
        connect(list, &QComboBox::currentIndexChanged, this,
                [this] { Guarded([this] { EstimaEntrega(); }); });
    }
}

void TFEntrega::Fill(const store::Pedido& row, const QString& dateLine) {
    pedido_ = row;
    LabelDATAHORA->setText(dateLine);
}

void TFEntrega::OpenFor(const store::Pedido& row, const QString& dateLine) {
    Fill(row, dateLine);
    exec();
}

void TFEntrega::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window restored from minimised gets a show event of its own: not a new showing.
    if (!event->spontaneous()) {
        Guarded([this] { FormShow(); });
    }
}

void TFEntrega::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFEntrega::done(int result) {
    if (busy_) {
        return;
    }
    QDialog::done(result);
    FormClose();
}

void TFEntrega::FormShow() {
    ComboBoxAgendar->setFocus();
    Label_IDPEDIDO->setText(QStringLiteral("🧾 ") + TextoLegivel(Q(kOrderPrefix) + Q(pedido_.IDPEDIDO)));
    Label6CLIENTE->setText(QStringLiteral("👤 ") + TextoLegivel(pedido_.CLIENTE));
    LabelENDERECO->setText(QStringLiteral("📍 ") + TextoLegivel(pedido_.ENDERECO));
    LeEmpresa();
    MostraHistorico();
    {
        // Refilled by the program: one estimate for the showing, not one per entry.
        const QSignalBlocker pagamentos(ComboBoxPagamentos);
        const QSignalBlocker categorias(ComboBoxCategorias);
        FillChoices(ComboBoxPagamentos, courier::PaymentChoices(empresa_.TIPOSPAGAMENTOS));
        FillChoices(ComboBoxCategorias, courier::CategoryChoices(empresa_.CATEGORIAS));
    }
    // Once the dialog is on screen, so that the operator sees it while the platform answers.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible()) {
                Guarded([this] { EstimaEntrega(); });
            }
        },
        Qt::QueuedConnection);
}

void TFEntrega::EstimaEntrega() {
    LeEmpresa();
    const store::Empresa& e = empresa_;
    const dispatch::EstimateQuery query =
        courier::EstimateQueryFor(e, pedido_, Text(ComboBoxCategorias->currentText()),
                                  ComboBoxRetorno->currentText() == QStringLiteral("Sim"));
    const std::string email = e.EMAIL;
    const std::string senha = e.SENHA;
    const long long id = pedido_.ID;
    const std::string pedidoId = std::to_string(id);
    std::string answer;
    std::string historyFailure;
    try {
        // The helper thread writes the estimate, and its event, through its own connection.
        answer = OffTheWindow([&](store::Database& own) {
            std::string result =
                dispatch::EstimarEntrega(apiKey_, email, senha, query, pedidoId, own, endpoint_);
            if (result == net::kTrue) {
                historyFailure = store::AnotaEstimativa(own, id, query.categoriaNome);
            }
            return result;
        });
    } catch (const DatabaseError& error) {
        // A connection that cannot be opened fails the call like any other fault without an answer.
        answer = net::GenericFailure(error.what());
    }
    if (answer != net::kTrue) {
        if (feeOrder_ != pedido_.ID) {
            Label1->setText(kFeeUnknown);
            feeOrder_ = 0;
        }
        ShowMessage(this, TextoLegivel(answer));
        return;
    }
    if (const std::optional<store::Pedido> row = store::PedidoPorId(*db_, pedido_.ID)) {
        Label1->setText(QStringLiteral("R$ ") + TextoLegivel(row->TAXAENTREGA));
        feeOrder_ = pedido_.ID;
    }
    ReportaHistorico(historyFailure);
    MostraHistorico();
}

void TFEntrega::Button4Click() {
    ComboBoxAgendar->setFocus();
    const std::optional<std::string> code =
        courier::PaymentCodeForName(Text(ComboBoxPagamentos->currentText()));
    if (!code) {
        ShowMessage(this, Q(courier::kPaymentNotSpecifiedMessage));
        return;
    }
    courier::CourierRequest request;
    request.options = {*code, courier::ReturnFlag(Text(ComboBoxRetorno->currentText())),
                       Text(ComboBoxCategorias->currentText()),
                       courier::MinutesFromText(Text(ComboBoxAgendar->currentText()))};
    request.pickup = courier::PickupTime(LocalNow(), request.options.minutes);
    request.requester = courier::Requester::Operator;
    const store::Pedido pedido = pedido_;
    const store::Empresa empresa = empresa_;
    const courier::CourierAnswer answer = OffTheWindow([&](store::Database& own) {
        return courier::SolicitaEntrega(own, empresa, pedido, request, apiKey_, endpoint_);
    });
    ReportaHistorico(answer.historyFailure);
    MostraHistorico();
    switch (answer.outcome) {
    case courier::RequestOutcome::Accepted:
        pedido_.ID_MCH = answer.state;
        accept();
        ShowMessage(parentWidget(), QStringLiteral("Entrega solicitada com sucesso!"));
        break;
    case courier::RequestOutcome::Refused:
    case courier::RequestOutcome::Unanswered:
        // A second press claims the order from the state this request left it in.
        pedido_.ID_MCH = answer.state;
        ShowMessage(this, ErrorMessage(answer.text));
        break;
    case courier::RequestOutcome::NotClaimed:
        // The state read at opening stays: every press is refused until the dialog is opened anew.
        ShowMessage(this, Q(answer.text));
        break;
    case courier::RequestOutcome::Abandoned:
        break; // the program is closing
    }
}

void TFEntrega::Button1Click() {
    ComboBoxAgendar->setFocus();
    const std::string failure =
        OffTheWindow([id = pedido_.ID, idPedido = pedido_.IDPEDIDO](store::Database& own) {
            store::MarcaJaEntregue(own, id);
            return store::AnotaEvento(own, {idPedido, store::kEventoEntregue});
        });
    ReportaHistorico(failure);
    accept();
}

void TFEntrega::FormClose() {
    ComboBoxAgendar->setFocus();
    emit closed();
}

void TFEntrega::MostraHistorico() {
    if (db_ == nullptr) {
        throw std::logic_error("the delivery dialog has no database");
    }
    std::vector<store::LinhaHistorico> linhas;
    try {
        linhas = store::HistoricoDoPedido(*db_, pedido_.IDPEDIDO);
    } catch (const DatabaseError& error) {
        ReportaHistorico(error.what()); // the dialog works without its history
    }
    ListaHistorico->clear();
    for (const store::LinhaHistorico& linha : linhas) {
        std::string detalhe = linha.TAXA.empty() ? linha.DETALHE : "R$ " + linha.TAXA;
        if (!linha.TAXA.empty() && !linha.DETALHE.empty()) {
            detalhe += " (" + linha.DETALHE + ")";
        }
        auto* item = new QTreeWidgetItem(ListaHistorico);
        // "dd/mm hh:mm:ss": the history is at most 90 days long, the year would only crowd the line.
        item->setText(
            0, Q(linha.HORA.size() == 19 ? linha.HORA.substr(0, 5) + linha.HORA.substr(10) : linha.HORA));
        item->setText(1, Q(linha.EVENTO));
        item->setText(2, TextoLegivel(detalhe));
    }
    if (!linhas.empty()) {
        ListaHistorico->scrollToBottom();
    }
    ListaHistorico->setVisible(!linhas.empty());
    setFixedSize(linhas.empty() ? kClientSize : kClientSize + QSize(0, kHistoryHeight + kHistoryGap));
}

void TFEntrega::ReportaHistorico(const std::string& failure) {
    if (!failure.empty()) {
        emit historyFailed(Q(failure));
    }
}

void TFEntrega::LeEmpresa() {
    if (db_ == nullptr) {
        throw std::logic_error("the delivery dialog has no database");
    }
    empresa_ = store::LeEmpresa(*db_).value_or(store::Empresa{});
}

void TFEntrega::SetBusy(bool busy) {
    busy_ = busy;
    if (busy) {
        focusBefore_ = focusWidget(); // disabling it moves the focus away for good
    }
    for (QWidget* control : std::initializer_list<QWidget*>{
             Button1, Button4, ComboBoxCategorias, ComboBoxPagamentos, ComboBoxAgendar, ComboBoxRetorno}) {
        control->setEnabled(!busy);
    }
    if (!busy && focusBefore_) {
        focusBefore_->setFocus();
    }
}

} // namespace brisko::ui
