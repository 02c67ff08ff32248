#include <gtest/gtest.h>

#include "StoreFixture.h"

namespace brisko::test {
namespace {

store::Empresa SampleEmpresa(std::string nome) {
    return {"42",           std::move(nome),     "Rua X, 1", "Centro",     "Vilamar",
            "SP",           "01000-000",         "-23",      "-46",        "A",
            "[F] [D] ",     "[Moto] ",           "S",        "loja@x.dev", "s3nha",
            "11 5555-0000", "12.345.678/0001-90"};
}

store::Configuracao SampleConfiguracao(std::string minutos) {
    return {"", 1, std::move(minutos), "Moto", "Dinheiro", "N\xC3\xA3o"};
}

int Rows(store::Database& db, const char* table) {
    auto count = db.Prepare(std::string("SELECT COUNT(*) AS N FROM ") + table);
    count.Step();
    return static_cast<int>(count.Integer("N"));
}

TEST_F(StoreTest, EmptyTablesReadAsNoRow) {
    EXPECT_FALSE(store::LeEmpresa(db).has_value());
    EXPECT_FALSE(store::LeConfiguracao(db).has_value());
    EXPECT_TRUE(store::LeConfigDelivery(db).empty());
    EXPECT_TRUE(store::ListaPedidos(db).empty());
}

TEST_F(StoreTest, RowsOfNullsReadAsEmptyTextsAndZero) {
    db.Execute("INSERT INTO EMPRESA DEFAULT VALUES");
    db.Execute("INSERT INTO CONFIGURACAO DEFAULT VALUES");
    const store::Empresa empresa = store::LeEmpresa(db).value();
    EXPECT_EQ(empresa.IDROVEZOR, "");
    EXPECT_EQ(empresa.STATUS, "");
    EXPECT_EQ(empresa.DOCUMENTO, "");
    const store::Configuracao configuracao = store::LeConfiguracao(db).value();
    EXPECT_EQ(configuracao.SOLICITACAOAUTOMATICO, 0);
    EXPECT_EQ(configuracao.TEMPOAGENDAMENTO, "");
    EXPECT_EQ(configuracao.RETORNOPADRAO, "");
}

TEST_F(StoreTest, EmpresaReplacementLeavesExactlyTheNewRowWithItsSeventeenColumns) {
    db.Execute("INSERT INTO EMPRESA (NOME) VALUES ('left by other means 1')");
    db.Execute("INSERT INTO EMPRESA (NOME) VALUES ('left by other means 2')");
    const store::Empresa empresa = SampleEmpresa("Loja Nova");
    store::SubstituiEmpresa(db, empresa);
    EXPECT_EQ(Rows(db, "EMPRESA"), 1);
    const store::Empresa read = store::LeEmpresa(db).value();
    EXPECT_EQ(read.IDROVEZOR, empresa.IDROVEZOR);
    EXPECT_EQ(read.NOME, empresa.NOME);
    EXPECT_EQ(read.ENDERECO, empresa.ENDERECO);
    EXPECT_EQ(read.BAIRRO, empresa.BAIRRO);
    EXPECT_EQ(read.CIDADE, empresa.CIDADE);
    EXPECT_EQ(read.UF, empresa.UF);
    EXPECT_EQ(read.CEP, empresa.CEP);
    EXPECT_EQ(read.LAT, empresa.LAT);
    EXPECT_EQ(read.LNG, empresa.LNG);
    EXPECT_EQ(read.STATUS, empresa.STATUS);
    EXPECT_EQ(read.TIPOSPAGAMENTOS, empresa.TIPOSPAGAMENTOS);
    EXPECT_EQ(read.CATEGORIAS, empresa.CATEGORIAS);
    EXPECT_EQ(read.AUTOCONNECT, empresa.AUTOCONNECT);
    EXPECT_EQ(read.EMAIL, empresa.EMAIL);
    EXPECT_EQ(read.SENHA, empresa.SENHA);
    EXPECT_EQ(read.TELEFONE, empresa.TELEFONE);
    EXPECT_EQ(read.DOCUMENTO, empresa.DOCUMENTO);

    store::ApagaEmpresa(db);
    EXPECT_FALSE(store::LeEmpresa(db).has_value());
}

TEST_F(StoreTest, ConfiguracaoReplacementLeavesOnePadraoRowWithTextsAsGiven) {
    db.Execute("INSERT INTO CONFIGURACAO (NOME) VALUES ('A')");
    db.Execute("INSERT INTO CONFIGURACAO (NOME) VALUES ('B')");
    store::SubstituiConfiguracao(db, SampleConfiguracao(" 007 "));
    EXPECT_EQ(Rows(db, "CONFIGURACAO"), 1);
    const store::Configuracao read = store::LeConfiguracao(db).value();
    EXPECT_EQ(read.NOME, "PADRAO");
    EXPECT_EQ(read.SOLICITACAOAUTOMATICO, 1);
    EXPECT_EQ(read.TEMPOAGENDAMENTO, " 007 ");
    EXPECT_EQ(read.CATEGORIAPADRAO, "Moto");
    EXPECT_EQ(read.PAGAMENTOPADRAO, "Dinheiro");
    EXPECT_EQ(read.RETORNOPADRAO, "N\xC3\xA3o");
    auto kind = db.Prepare("SELECT typeof(SOLICITACAOAUTOMATICO) AS K FROM CONFIGURACAO");
    kind.Step();
    EXPECT_EQ(kind.Text("K"), "integer");
}

// A replacement whose insert fails must keep the row it was replacing, never leave the table empty.
TEST_F(StoreTest, FailedReplacementKeepsTheOldRow) {
    store::SubstituiEmpresa(db, SampleEmpresa("Loja Antiga"));
    store::SubstituiConfiguracao(db, SampleConfiguracao("30"));
    for (const char* table : {"EMPRESA", "CONFIGURACAO"}) {
        db.Execute(std::string("CREATE TRIGGER REFUSE_") + table + " BEFORE INSERT ON " + table +
                   " BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    }

    EXPECT_THROW(
        {
            try {
                store::SubstituiEmpresa(db, SampleEmpresa("Loja Nova"));
            } catch (const DatabaseError& e) {
                EXPECT_STREQ(e.what(), "disk full");
                throw;
            }
        },
        DatabaseError);
    EXPECT_THROW(store::SubstituiConfiguracao(db, SampleConfiguracao("60")), DatabaseError);

    EXPECT_EQ(store::LeEmpresa(db).value().NOME, "Loja Antiga");
    EXPECT_EQ(store::LeConfiguracao(db).value().TEMPOAGENDAMENTO, "30");
    EXPECT_EQ(Rows(db, "EMPRESA"), 1);
    EXPECT_EQ(Rows(db, "CONFIGURACAO"), 1);

    // The failed attempt left no transaction open: the connection writes on as before.
    db.Execute("DROP TRIGGER REFUSE_EMPRESA");
    store::SubstituiEmpresa(db, SampleEmpresa("Loja Nova"));
    EXPECT_EQ(store::LeEmpresa(db).value().NOME, "Loja Nova");
    store::Database other(File());
    EXPECT_EQ(store::LeEmpresa(other).value().NOME, "Loja Nova");
}

} // namespace
} // namespace brisko::test
