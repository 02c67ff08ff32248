#include "UPreferencias.h"

#include "PlainText.h"
#include "Preferencias.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
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
    coluna->addLayout(formulario_);
    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Close);
    botoes->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("ButtonFecharPreferencias"));
    botoes->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
    connect(botoes, &QDialogButtonBox::rejected, this, &QDialog::close);
    coluna->addWidget(botoes);

    connect(CheckBoxAlertas, &QCheckBox::toggled, this, [this](bool ligado) { Grava(kAlertas, ligado); });
    connect(CheckBoxSom, &QCheckBox::toggled, this, [this](bool ligado) { Grava(kSom, ligado); });
}

void TFPreferencias::Abre() {
    try {
        const PreferenciasDeAlerta lidas = LePreferenciasDeAlerta(banco_());
        const QSignalBlocker a(CheckBoxAlertas);
        const QSignalBlocker s(CheckBoxSom);
        CheckBoxAlertas->setChecked(lidas.alertas);
        CheckBoxSom->setChecked(lidas.som);
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
