#include "SettingsPanel.h"

#include "BracketList.h"
#include "DeliveryOptions.h"
#include "PaymentMethods.h"
#include "PlainText.h"
#include "ScheduleMinutes.h"
#include "Store.h"
#include "TextoLegivel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>
#include <string>
#include <utility>

namespace brisko::ui {

namespace {

constexpr int kPanelMenuHeight = 80;
constexpr int kPreferenciasWidth = 110;
const QString kMinutosPadrao = QStringLiteral("120");

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The entry whose text equals the stored one becomes current; none equal: the choice stays.
void SelecionaTexto(QComboBox* list, const std::string& text) {
    const int index = list->findText(Q(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        list->setCurrentIndex(index);
    }
}

} // namespace

SettingsPanel::SettingsPanel(std::function<store::Database&()> banco, QWidget* parent)
    : QFrame(parent), banco_(std::move(banco)) {
    setObjectName(QStringLiteral("PanelMenu"));
    setFixedHeight(kPanelMenuHeight);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(8, 4, 8, 4);
    rows->setSpacing(2);

    LabelEmpresa = Named(PlainLabel(), "LabelEmpresa");
    LabelEmpresa->setAlignment(Qt::AlignCenter);
    LabelCIDADE = Named(PlainLabel(), "LabelCIDADE");
    LabelCIDADE->setAlignment(Qt::AlignCenter);
    rows->addWidget(LabelEmpresa);
    rows->addWidget(LabelCIDADE);

    auto* agendar = new QHBoxLayout;
    CheckBoxRebimentoAutomatico = Named(new QCheckBox(QStringLiteral("Agendar automático os pedidos em")),
                                        "CheckBoxRebimentoAutomatico");
    ComboBoxAgendar = Named(new QLineEdit(kMinutosPadrao), "ComboBoxAgendar");
    ComboBoxAgendar->setAlignment(Qt::AlignCenter);
    ComboBoxAgendar->setFixedWidth(60);
    ComboBoxAgendar->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ComboBoxAgendar));
    // The preferences button ends the row; a blank as wide opens it, so the row's centre stays put.
    auto* preferencias = Named(new QToolButton, "ButtonPreferencias");
    preferencias->setText(QStringLiteral("⚙ Preferências"));
    preferencias->setAutoRaise(true);
    preferencias->setFixedWidth(kPreferenciasWidth);
    agendar->addSpacing(kPreferenciasWidth);
    agendar->addStretch(1);
    agendar->addWidget(CheckBoxRebimentoAutomatico);
    agendar->addWidget(ComboBoxAgendar);
    agendar->addWidget(Named(PlainLabel(QStringLiteral("min")), "Label16"));
    agendar->addStretch(1);
    agendar->addWidget(preferencias);
    rows->addLayout(agendar);
    connect(preferencias, &QToolButton::clicked, this, &SettingsPanel::preferenciasPedidas);

    // The delivery defaults live with the settings but below the panel's visible height: they are
    // filled at sign-in and read by automatic scheduling, never shown, yet still reached by Tab.
    auto* padroes = new QWidget(this);
    padroes->setGeometry(0, kPanelMenuHeight + 10, 700, 30);
    auto* padroesRow = new QHBoxLayout(padroes);
    ComboBoxCategorias = Named(new QComboBox(padroes), "ComboBoxCategorias");
    ComboBoxPagamentos = Named(new QComboBox(padroes), "ComboBoxPagamentos");
    ComboBoxRetorno = Named(new QComboBox(padroes), "ComboBoxRetorno");
    for (const std::string& choice : courier::ReturnChoices()) {
        ComboBoxRetorno->addItem(Q(choice));
    }
    ComboBoxRetorno->setCurrentIndex(0);
    padroesRow->addWidget(Named(PlainLabel(QStringLiteral("Categoria")), "Label12"));
    padroesRow->addWidget(ComboBoxCategorias);
    padroesRow->addWidget(Named(PlainLabel(QStringLiteral("Pagamento")), "Label13"));
    padroesRow->addWidget(ComboBoxPagamentos);
    padroesRow->addWidget(Named(PlainLabel(QStringLiteral("Retorno")), "Label14"));
    padroesRow->addWidget(ComboBoxRetorno);

    setTabOrder(CheckBoxRebimentoAutomatico, ComboBoxPagamentos);
    setTabOrder(ComboBoxPagamentos, ComboBoxCategorias);
    setTabOrder(ComboBoxCategorias, ComboBoxRetorno);
    setTabOrder(ComboBoxRetorno, ComboBoxAgendar);

    // The check box and the minutes box react to changes made by the program too; the lists only
    // to the operator's choice (activated), never to a fill or a selection by the program.
    connect(CheckBoxRebimentoAutomatico, &QCheckBox::toggled, this,
            &SettingsPanel::CheckBoxRebimentoAutomaticoClick);
    connect(ComboBoxAgendar, &QLineEdit::textChanged, this, &SettingsPanel::ComboBoxAgendarChange);
    for (QComboBox* list : {ComboBoxCategorias, ComboBoxPagamentos, ComboBoxRetorno}) {
        connect(list, &QComboBox::activated, this, &SettingsPanel::GravaConfiguracao);
    }
}

void SettingsPanel::Preenche(const store::Empresa& empresa) {
    LabelEmpresa->setText(TextoLegivel(empresa.NOME));
    LabelCIDADE->setText(TextoLegivel(empresa.CIDADE + " - " + empresa.UF));
    PreencheListas(empresa.TIPOSPAGAMENTOS, empresa.CATEGORIAS);
}

void SettingsPanel::PreencheListas(const std::string& tiposPagamentos, const std::string& categorias) {
    ComboBoxPagamentos->clear();
    for (const std::string& name : courier::PaymentChoices(tiposPagamentos)) {
        ComboBoxPagamentos->addItem(Q(name));
    }
    ComboBoxPagamentos->setCurrentIndex(ComboBoxPagamentos->count() > 0 ? 0 : -1);
    ComboBoxCategorias->clear();
    for (const std::string& name : store::ParseBracketList(categorias)) {
        ComboBoxCategorias->addItem(Q(name));
    }
    ComboBoxCategorias->setCurrentIndex(ComboBoxCategorias->count() > 0 ? 0 : -1);
}

void SettingsPanel::RestauraConfiguracao() {
    // The minutes box and the check box save through their own handlers when the stored value
    // differs; held back until every control is restored, so no save writes one not yet put back.
    const store::Configuracao config = store::LeConfiguracao(banco_()).value_or(store::Configuracao{});
    restauro_.While(
        [&] {
            SelecionaTexto(ComboBoxCategorias, config.CATEGORIAPADRAO);
            SelecionaTexto(ComboBoxPagamentos, config.PAGAMENTOPADRAO);
            ComboBoxAgendar->setText(config.TEMPOAGENDAMENTO.empty() ? kMinutosPadrao
                                                                     : Q(config.TEMPOAGENDAMENTO));
            SelecionaTexto(ComboBoxRetorno, config.RETORNOPADRAO);
            CheckBoxRebimentoAutomatico->setChecked(config.SOLICITACAOAUTOMATICO == 1);
        },
        [this] { GravaConfiguracao(); });
}

courier::SchedulingInputs SettingsPanel::Entradas() const {
    courier::SchedulingInputs inputs;
    inputs.automatic = CheckBoxRebimentoAutomatico->isChecked();
    inputs.paymentName = ComboBoxPagamentos->currentText().toStdString();
    inputs.categoryName = ComboBoxCategorias->currentText().toStdString();
    inputs.returnText = ComboBoxRetorno->currentText().toStdString();
    inputs.minutesText = ComboBoxAgendar->text().toStdString();
    return inputs;
}

bool SettingsPanel::Automatico() const {
    return CheckBoxRebimentoAutomatico->isChecked();
}

void SettingsPanel::GaranteMinutos() {
    if (ComboBoxAgendar->text().isEmpty()) {
        ComboBoxAgendar->setText(kMinutosPadrao); // saved by the box's own handler
    }
}

void SettingsPanel::BloqueiaMinutos(bool locked) {
    ComboBoxAgendar->setEnabled(!locked);
}

void SettingsPanel::GravaConfiguracao() {
    if (restauro_.Holds()) {
        return; // the restore saves once at its end
    }
    store::Configuracao config;
    config.CATEGORIAPADRAO = ComboBoxCategorias->currentText().toStdString();
    config.PAGAMENTOPADRAO = ComboBoxPagamentos->currentText().toStdString();
    config.TEMPOAGENDAMENTO = ComboBoxAgendar->text().toStdString();
    config.RETORNOPADRAO = ComboBoxRetorno->currentText().toStdString();
    config.SOLICITACAOAUTOMATICO = CheckBoxRebimentoAutomatico->isChecked() ? 1 : 0;
    try {
        store::SubstituiConfiguracao(banco_(), config);
    } catch (const std::exception& e) {
        ShowDefaultError(window(), e);
    }
}

void SettingsPanel::CheckBoxRebimentoAutomaticoClick() {
    emit automaticoMudou();
    GravaConfiguracao();
    setFixedHeight(kPanelMenuHeight);
}

void SettingsPanel::ComboBoxAgendarChange() {
    std::optional<std::string> corrigido;
    try {
        corrigido = courier::CorrectMinutesText(ComboBoxAgendar->text().toStdString());
    } catch (const ConvertError& e) {
        ShowDefaultError(window(), e); // the text stays as typed and nothing is saved
        return;
    }
    if (!corrigido) {
        return;
    }
    if (Q(*corrigido) != ComboBoxAgendar->text()) {
        ComboBoxAgendar->setText(Q(*corrigido)); // runs this handler again for the new text
    }
    GravaConfiguracao();
}

} // namespace brisko::ui
