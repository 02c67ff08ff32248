#include "UPreferencias.h"

#include "PlainText.h"
#include "Preferencias.h"
#include "TetoTaxa.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace brisko::ui {

namespace {

constexpr const char* kAlertas = "ALERTAS";
constexpr const char* kSom = "SOM";

bool Ligado(store::Database& db, const char* nome) {
    return store::LePreferencia(db, nome).value_or("1") != "0";
}

} // namespace

PreferenciasDeAlerta LePreferenciasDeAlerta(store::Database& db) {
    return {Ligado(db, kAlertas), Ligado(db, kSom)};
}

TFPreferencias::TFPreferencias(std::function<store::Database&()> banco, QWidget* parent)
    : QDialog(parent), banco_(std::move(banco)) {
    setObjectName(QStringLiteral("FPreferencias"));
    setWindowTitle(QStringLiteral("Preferências"));
    auto* coluna = new QVBoxLayout(this);
    formulario_ = Named(new QFormLayout, "FormPreferencias");
    CheckBoxAlertas =
        Named(new QCheckBox(QStringLiteral("Avisar de pedidos novos e de falhas")), "CheckBoxAlertas");
    CheckBoxSom = Named(new QCheckBox(QStringLiteral("Tocar um som com cada aviso")), "CheckBoxSom");
    formulario_->addRow(QStringLiteral("Alertas"), CheckBoxAlertas);
    formulario_->addRow(QStringLiteral("Som"), CheckBoxSom);
    EditTetoTaxa = Named(new QLineEdit, "EditTetoTaxa");
    EditTetoTaxa->setPlaceholderText(QStringLiteral("sem teto"));
    EditTetoTaxa->setToolTip(QStringLiteral("Acima deste valor de taxa, o agendamento automático não "
                                            "solicita o entregador: o pedido fica retido no cartão."));
    formulario_->addRow(QStringLiteral("Teto da taxa (R$)"), EditTetoTaxa);
    coluna->addLayout(formulario_);
    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Close);
    botoes->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("ButtonFecharPreferencias"));
    botoes->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
    connect(botoes, &QDialogButtonBox::rejected, this, &QDialog::close);
    coluna->addWidget(botoes);

    connect(CheckBoxAlertas, &QCheckBox::toggled, this, [this](bool ligado) { Grava(kAlertas, ligado); });
    connect(CheckBoxSom, &QCheckBox::toggled, this, [this](bool ligado) { Grava(kSom, ligado); });
    connect(EditTetoTaxa, &QLineEdit::editingFinished, this, &TFPreferencias::GravaTeto);
}

void TFPreferencias::MostraTeto(store::Database& db) {
    const std::optional<long long> teto = store::LeTetoTaxa(db);
    EditTetoTaxa->setText(teto ? QString::fromStdString(store::Reais(*teto)) : QString());
}

void TFPreferencias::GravaTeto() {
    // The warning below takes the focus, which would finish the editing again.
    const QSignalBlocker bloqueio(EditTetoTaxa);
    try {
        store::Database& db = banco_();
        const std::optional<long long> antes = store::LeTetoTaxa(db);
        const std::string texto = EditTetoTaxa->text().trimmed().toStdString();
        const std::optional<long long> lido =
            texto.empty() ? std::optional<long long>(0) : store::Centavos(texto);
        if (!lido) {
            ShowPlainMessage(
                this, QMessageBox::Warning, windowTitle(),
                QStringLiteral("Valor inválido para o teto da taxa: ") + EditTetoTaxa->text() +
                    QStringLiteral("\nUse reais com vírgula, por exemplo 15,00, ou deixe em branco."),
                QStringLiteral("MensagemTetoInvalido"));
        } else if (const std::optional<long long> novo = *lido > 0 ? lido : std::nullopt; novo != antes) {
            // Only a changed ceiling is saved: saving releases every held order for a new estimate.
            store::GravaTetoTaxa(db, texto);
        }
        MostraTeto(db);
    } catch (const std::exception& e) {
        ShowDefaultError(this, e);
    }
}

void TFPreferencias::Abre() {
    try {
        const PreferenciasDeAlerta lidas = LePreferenciasDeAlerta(banco_());
        const QSignalBlocker a(CheckBoxAlertas);
        const QSignalBlocker s(CheckBoxSom);
        CheckBoxAlertas->setChecked(lidas.alertas);
        CheckBoxSom->setChecked(lidas.som);
        MostraTeto(banco_());
    } catch (const std::exception& e) {
        ShowDefaultError(parentWidget(), e);
        return;
    }
    show();
    raise();
    activateWindow();
}

void TFPreferencias::Grava(const char* nome, bool ligado) {
    try {
        store::GravaPreferencia(banco_(), nome, ligado ? "1" : "0");
        emit mudou({CheckBoxAlertas->isChecked(), CheckBoxSom->isChecked()});
    } catch (const std::exception& e) {
        ShowDefaultError(this, e);
    }
}

} // namespace brisko::ui
