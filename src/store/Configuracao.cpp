#include "Configuracao.h"

namespace brisko::store {

std::optional<Configuracao> LeConfiguracao(Database& db) {
    Statement row = db.Prepare("SELECT * FROM CONFIGURACAO");
    if (!row.Step()) {
        return std::nullopt;
    }
    return Configuracao{row.Text("NOME"),
                        row.Integer("SOLICITACAOAUTOMATICO"),
                        row.Text("TEMPOAGENDAMENTO"),
                        row.Text("CATEGORIAPADRAO"),
                        row.Text("PAGAMENTOPADRAO"),
                        row.Text("RETORNOPADRAO")};
}

void SubstituiConfiguracao(Database& db, const Configuracao& configuracao) {
    Transaction transaction(db);
    db.Execute("DELETE FROM CONFIGURACAO");
    db.Prepare("INSERT INTO CONFIGURACAO (NOME,SOLICITACAOAUTOMATICO,TEMPOAGENDAMENTO,CATEGORIAPADRAO,"
               "PAGAMENTOPADRAO,RETORNOPADRAO)\n"
               " VALUES (:NOME,:SOLICITACAOAUTOMATICO,:TEMPOAGENDAMENTO,:CATEGORIAPADRAO,:PAGAMENTOPADRAO,"
               ":RETORNOPADRAO)")
        .Bind(":NOME", "PADRAO")
        .Bind(":SOLICITACAOAUTOMATICO", configuracao.SOLICITACAOAUTOMATICO)
        .Bind(":TEMPOAGENDAMENTO", configuracao.TEMPOAGENDAMENTO)
        .Bind(":CATEGORIAPADRAO", configuracao.CATEGORIAPADRAO)
        .Bind(":PAGAMENTOPADRAO", configuracao.PAGAMENTOPADRAO)
        .Bind(":RETORNOPADRAO", configuracao.RETORNOPADRAO)
        .Step();
    transaction.Commit();
}

} // namespace brisko::store
