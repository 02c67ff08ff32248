#include "Preferencias.h"

namespace brisko::store {

std::optional<std::string> LePreferencia(Database& db, std::string_view nome) {
    Statement row = db.Prepare("SELECT VALOR FROM PREFERENCIAS WHERE NOME=:NOME");
    row.Bind(":NOME", nome);
    if (!row.Step()) {
        return std::nullopt;
    }
    return row.Text("VALOR");
}

void GravaPreferencia(Database& db, std::string_view nome, std::string_view valor) {
    db.Prepare("INSERT INTO PREFERENCIAS (NOME,VALOR) VALUES (:NOME,:VALOR) "
               "ON CONFLICT(NOME) DO UPDATE SET VALOR=excluded.VALOR")
        .Bind(":NOME", nome)
        .Bind(":VALOR", valor)
        .Step();
}

} // namespace brisko::store
