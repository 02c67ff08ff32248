// Store login: the EMPRESA row it writes, and the old row kept whenever it fails.
#include "DispatchFixture.h"

#include "BracketList.h"

namespace brisko::dispatch {
namespace {

using ::testing::ElementsAre;

const std::vector<std::string> kLojaRow = {"1207",
                                           "Empório São Jorge",
                                           "Avenida Paulista, 1578",
                                           "Bela Vista",
                                           "São Paulo",
                                           "SP",
                                           "01310-200",
                                           "-23.561414",
                                           "-46.655881",
                                           "A",
                                           "[F] [D] [X] [C] ",
                                           "[Moto] [Bike] ",
                                           "S",
                                           "loja@demo.com",
                                           "demo123",
                                           "(11) 3251-4100",
                                           "12.345.678/0001-90"};

long long EmpresaRows(store::Database& db) {
    store::Statement count = db.Prepare("SELECT COUNT(*) AS N FROM EMPRESA");
    count.Step();
    return count.Integer("N");
}

// A login answer with every member the row needs; `lists` are the two arrays' members.
std::string LoginAnswer(const std::string& lists) {
    std::string body = R"({"response":{"id":98765432109876543210,"nome":"Loja","endereco":"Rua 1",)"
                       R"("bairro":"B","cidade":"C","uf":"PR","cep":87000000,"lat":-23.50,"lng":"-51.9",)"
                       R"("status_empresa":"A","telefone":null,"documento":true,)";
    body += lists;
    body += "}}";
    return body;
}

TEST_F(DispatchTest, LoginWritesTheSeventeenColumns) {
    ASSERT_EQ(LoginLoja(true), "TRUE");
    EXPECT_EQ(EmpresaRow(db), kLojaRow);

    // Numbers keep their literal text; null and true read as their names.
    platform.Script(
        "GET", "/api/integracao/empresa",
        JsonAnswer(200, LoginAnswer(R"("tipos_pagamento":["F",5],"categorias":[{"nome":"Moto"}])")));
    ASSERT_EQ(LoginLoja(false), "TRUE");
    EXPECT_THAT(EmpresaRow(db), ElementsAre("98765432109876543210", "Loja", "Rua 1", "B", "C", "PR",
                                            "87000000", "-23.50", "-51.9", "A", "[F] [5] ", "[Moto] ", "N",
                                            "loja@demo.com", "demo123", "null", "true"));
    EXPECT_EQ(EmpresaRows(db), 1);
}

TEST_F(DispatchTest, ASecondStoreReplacesTheFirst) {
    ASSERT_EQ(LoginLoja(), "TRUE");
    ASSERT_EQ(LoginEmpresa(kApiKey, "inativa@demo.com", kDemoPassword, false, db, endpoint), "TRUE");
    EXPECT_EQ(EmpresaRows(db), 1);
    const auto row = store::LeEmpresa(db);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->EMAIL, "inativa@demo.com");
    EXPECT_EQ(row->STATUS, "I"); // refusing an inactive store is the sign-in's business
}

TEST_F(DispatchTest, EmptyListsGiveEmptyTexts) {
    platform.Script("GET", "/api/integracao/empresa",
                    JsonAnswer(200, LoginAnswer(R"("tipos_pagamento":[],"categorias":[])")));
    ASSERT_EQ(LoginLoja(), "TRUE");
    const auto row = store::LeEmpresa(db);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->TIPOSPAGAMENTOS, "");
    EXPECT_EQ(row->CATEGORIAS, "");
}

TEST_F(DispatchTest, ALongCategoryListIsCutAt255Characters) {
    // Fifteen names of 17 characters: each "[name] " is 20 characters, 300 in all.
    std::string categorias;
    std::string full;
    for (char last = 'a'; last < 'a' + 15; ++last) {
        std::string name(16, 'c');
        name += last;
        categorias += categorias.empty() ? R"({"nome":")" : R"(,{"nome":")";
        categorias += name;
        categorias += R"("})";
        full += '[';
        full += name;
        full += "] ";
    }
    ASSERT_EQ(full.size(), 300u);
    std::string lists = R"("tipos_pagamento":["F"],"categorias":[)";
    lists += categorias;
    lists += ']';
    platform.Script("GET", "/api/integracao/empresa", JsonAnswer(200, LoginAnswer(lists)));
    ASSERT_EQ(LoginLoja(), "TRUE");

    const std::string stored = store::LeEmpresa(db)->CATEGORIAS;
    EXPECT_EQ(stored, full.substr(0, 255));
    EXPECT_EQ(store::ParseBracketList(stored).size(), 12u); // the cut thirteenth has no "]"
}

TEST_F(DispatchTest, AFailedLoginKeepsTheOldRow) {
    ASSERT_EQ(LoginLoja(true), "TRUE");
    struct Case {
        std::string label;
        std::string body;
    };
    const Case faulty[] = {
        {"a category without a name", LoginAnswer(R"("tipos_pagamento":["F"],"categorias":[{"id":1}])")},
        {"a category that is a text", LoginAnswer(R"("tipos_pagamento":["F"],"categorias":["Moto"])")},
        {"payments that are no array", LoginAnswer(R"("tipos_pagamento":"F","categorias":[])")},
        {"no categories", LoginAnswer(R"("tipos_pagamento":["F"])")},
        {"a member missing", R"({"response":{"id":1,"nome":"Loja"}})"},
        {"response that is no object", R"({"response":"ok"})"},
        {"no response", R"({"status":"ok"})"},
    };
    for (const Case& c : faulty) {
        platform.Script("GET", "/api/integracao/empresa", JsonAnswer(200, c.body));
        EXPECT_THAT(LoginLoja(false), IsGenericFailure()) << c.label;
        EXPECT_EQ(EmpresaRow(db), kLojaRow) << c.label;
    }

    EXPECT_EQ(LoginEmpresa(kApiKey, kLojaEmail, "wrong", false, db, endpoint),
              "E-mail ou senha inválidos\r\n");
    EXPECT_EQ(LoginEmpresa("bd_someoneElsesKey", kLojaEmail, kDemoPassword, false, db, endpoint),
              "Chave de integração inválida\r\n");
    platform.Script("GET", "/api/integracao/empresa", JsonAnswer(200, "OK").WithContentType("text/plain"));
    EXPECT_EQ(LoginLoja(false), "200");
    EXPECT_EQ(EmpresaRow(db), kLojaRow);
}

TEST_F(DispatchTest, ADatabaseErrorIsAGenericFailure) {
    db.Execute("DROP TABLE EMPRESA");
    const std::string result = LoginLoja();
    EXPECT_THAT(result, IsGenericFailure());
    EXPECT_THAT(result, ::testing::HasSubstr("EMPRESA"));
}

} // namespace
} // namespace brisko::dispatch
