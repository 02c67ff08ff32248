#pragma once
// The operator's settings under the header: the store's name and city, automatic scheduling and
// its minutes, and the delivery defaults (category, payment, return) that scheduling reads. Every
// change the operator makes is saved at once in CONFIGURACAO.
#include "AgendamentoAutomatico.h"
#include "SaveHold.h"

#include <QFrame>

#include <exception>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace brisko::store {
class Database;
struct Empresa;
} // namespace brisko::store

namespace brisko::ui {

class SettingsPanel : public QFrame {
    Q_OBJECT
public:
    // `banco` is the window thread's connection; it throws when the file could not be opened.
    SettingsPanel(std::function<store::Database&()> banco, QWidget* parent);

    // At sign-in: the store's lines and lists from its record, then the stored settings put back.
    void Preenche(const store::Empresa& empresa);
    void RestauraConfiguracao();

    // What automatic scheduling reads (signed in or not is the window's to say).
    courier::SchedulingInputs Entradas() const;
    bool Automatico() const;
    // The minutes box: Enter in it presses the sign-in button, as in the sign-in boxes.
    QLineEdit* Minutos() const { return ComboBoxAgendar; }
    // A pass is due: an empty minutes box gets the default, which its own handler saves.
    void GaranteMinutos();
    // The minutes box is locked while a pass runs.
    void BloqueiaMinutos(bool locked);

signals:
    // The automatic mode changed: the cards' courier buttons depend on it.
    void automaticoMudou();
    // The operator asked for the preferences of the alerts.
    void preferenciasPedidas();

private:
    void GravaConfiguracao();
    void CheckBoxRebimentoAutomaticoClick();
    void ComboBoxAgendarChange();
    void PreencheListas(const std::string& tiposPagamentos, const std::string& categorias);

    std::function<store::Database&()> banco_;
    SaveHold restauro_; // the settings restore at sign-in saves once, after every control

    QLabel* LabelEmpresa = nullptr;
    QLabel* LabelCIDADE = nullptr;
    QCheckBox* CheckBoxRebimentoAutomatico = nullptr;
    QLineEdit* ComboBoxAgendar = nullptr;
    QComboBox* ComboBoxCategorias = nullptr;
    QComboBox* ComboBoxPagamentos = nullptr;
    QComboBox* ComboBoxRetorno = nullptr;
};

} // namespace brisko::ui
