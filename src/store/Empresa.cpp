#include "Empresa.h"

namespace brisko::store {

std::optional<Empresa> LeEmpresa(Database& db) {
    Statement row = db.Prepare("SELECT * FROM EMPRESA");
    if (!row.Step()) {
        return std::nullopt;
    }
    return Empresa{row.Text("IDROVEZOR"),
                   row.Text("NOME"),
                   row.Text("ENDERECO"),
                   row.Text("BAIRRO"),
                   row.Text("CIDADE"),
                   row.Text("UF"),
                   row.Text("CEP"),
                   row.Text("LAT"),
                   row.Text("LNG"),
                   row.Text("STATUS"),
                   row.Text("TIPOSPAGAMENTOS"),
                   row.Text("CATEGORIAS"),
                   row.Text("AUTOCONNECT"),
                   row.Text("EMAIL"),
                   row.Text("SENHA"),
                   row.Text("TELEFONE"),
                   row.Text("DOCUMENTO")};
}

void SubstituiEmpresa(Database& db, const Empresa& empresa) {
    Transaction transaction(db);
    db.Execute("DELETE FROM EMPRESA");
    db.Prepare("INSERT INTO EMPRESA (IDROVEZOR,NOME,ENDERECO,BAIRRO,CIDADE,UF,CEP,LAT,LNG,STATUS,"
               "TIPOSPAGAMENTOS,CATEGORIAS,AUTOCONNECT,EMAIL,SENHA,TELEFONE,DOCUMENTO)\n"
               " VALUES (:IDROVEZOR,:NOME,:ENDERECO,:BAIRRO,:CIDADE,:UF,:CEP,:LAT,:LNG,:STATUS,"
               ":TIPOSPAGAMENTOS,:CATEGORIAS,:AUTOCONNECT,:EMAIL,:SENHA,:TELEFONE,:DOCUMENTO)")
        .Bind(":IDROVEZOR", empresa.IDROVEZOR)
        .Bind(":NOME", empresa.NOME)
        .Bind(":ENDERECO", empresa.ENDERECO)
        .Bind(":BAIRRO", empresa.BAIRRO)
        .Bind(":CIDADE", empresa.CIDADE)
        .Bind(":UF", empresa.UF)
        .Bind(":CEP", empresa.CEP)
        .Bind(":LAT", empresa.LAT)
        .Bind(":LNG", empresa.LNG)
        .Bind(":STATUS", empresa.STATUS)
        .Bind(":TIPOSPAGAMENTOS", empresa.TIPOSPAGAMENTOS)
        .Bind(":CATEGORIAS", empresa.CATEGORIAS)
        .Bind(":AUTOCONNECT", empresa.AUTOCONNECT)
        .Bind(":EMAIL", empresa.EMAIL)
        .Bind(":SENHA", empresa.SENHA)
        .Bind(":TELEFONE", empresa.TELEFONE)
        .Bind(":DOCUMENTO", empresa.DOCUMENTO)
        .Step();
    transaction.Commit();
}

void ApagaEmpresa(Database& db) {
    db.Execute("DELETE FROM EMPRESA");
}

} // namespace brisko::store
