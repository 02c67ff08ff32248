#include "ConfigDelivery.h"

#include <sqlite3.h>

namespace brisko::store {

std::vector<ConfigDelivery> LeConfigDelivery(Database& db) {
    // A rowid table is scanned in ID order.
    Statement row = db.Prepare("SELECT * FROM CONFIGDELIVERY");
    std::vector<ConfigDelivery> rows;
    while (row.Step()) {
        rows.push_back({row.Integer("ID"), row.Integer("IDORIGEM"), row.Text("ORIGEM"), row.Text("EMPRESA"),
                        row.Text("LOGIN"), row.Text("SENHA"), row.Text("TOKEN"), row.Text("VALIDADE")});
    }
    return rows;
}

long long InsereConfigDeliveryVazia(Database& db) {
    db.Execute("INSERT INTO CONFIGDELIVERY DEFAULT VALUES");
    return sqlite3_last_insert_rowid(db.Handle());
}

void GravaContaConfigDelivery(Database& db, long long id, std::string_view login, std::string_view senha) {
    db.Prepare("UPDATE CONFIGDELIVERY SET IDORIGEM = :IDORIGEM, ORIGEM = :ORIGEM, LOGIN = :LOGIN, "
               "SENHA = :SENHA WHERE ID = :ID")
        .Bind(":IDORIGEM", 1LL)
        .Bind(":ORIGEM", "AIQFOME")
        .Bind(":LOGIN", login)
        .Bind(":SENHA", senha)
        .Bind(":ID", id)
        .Step();
}

void GravaTokenConfigDelivery(Database& db, long long id, std::string_view token,
                              const LocalDateTime& validade) {
    db.Prepare("UPDATE CONFIGDELIVERY SET TOKEN = :TOKEN , VALIDADE = :VALIDADE WHERE ID = :ID")
        .Bind(":TOKEN", token)
        .Bind(":VALIDADE", FormatIsoDateTimeMs(validade))
        .Bind(":ID", id)
        .Step();
}

} // namespace brisko::store
