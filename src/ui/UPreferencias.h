#pragma once
// The operator's preferences of the alerts and the fee ceiling of automatic scheduling, in a small
// dialog reached from the settings row. Each change is saved at once in PREFERENCIAS; an alert
// preference never stored reads as on, a ceiling never stored as none.
#include <QDialog>

#include <functional>

class QCheckBox;
class QFormLayout;
class QLineEdit;

namespace brisko::store {
class Database;
}

namespace brisko::ui {

struct PreferenciasDeAlerta {
    bool alertas = true;
    bool som = true;
};

// Throws DatabaseError when the table cannot be read.
PreferenciasDeAlerta LePreferenciasDeAlerta(store::Database& db);

class TFPreferencias : public QDialog {
    Q_OBJECT
public:
    // `banco` is the window thread's connection; it throws when the file could not be opened.
    TFPreferencias(std::function<store::Database&()> banco, QWidget* parent);

    // Shows the stored choices and opens the dialog, not modal.
    void Abre();
    // Where further preferences get their rows.
    QFormLayout* Formulario() const { return formulario_; }

signals:
    void mudou(const brisko::ui::PreferenciasDeAlerta& preferencias);

private:
    void Grava(const char* nome, bool ligado);
    void GravaTeto();
    void MostraTeto(store::Database& db);

    std::function<store::Database&()> banco_;
    QFormLayout* formulario_ = nullptr;
    QCheckBox* CheckBoxAlertas = nullptr;
    QCheckBox* CheckBoxSom = nullptr;
    QLineEdit* EditTetoTaxa = nullptr; // reais; empty: no ceiling
};

} // namespace brisko::ui
