// Store texts from the platform that look like markup, or run to a megabyte, shown by the signed-in
// window as the characters they are.
#include "MainWindowFixture.h"

#include "JsonWriter.h"

#include <QLabel>

namespace brisko::test {
namespace {

struct HostileName {
    const char* name;
    std::string text;
};

// Test listings name the case rather than dump a megabyte.
void PrintTo(const HostileName& hostile, std::ostream* out) {
    *out << hostile.name;
}

class HostileLabelTest : public MainWindowTest, public ::testing::WithParamInterface<HostileName> {
protected:
    // The store record as the platform sends it, with the text as the name and the town.
    void ScriptStoreRecord(const std::string& text) {
        const std::string s = net::JsonString(text);
        dispatch.Script(
            "GET", "/api/integracao/empresa",
            sim::Answer().WithBody(R"({"response":{"id":77,"nome":)" + s +
                                   R"(,"endereco":"Rua A","bairro":"Centro","cidade":)" + s +
                                   R"(,"uf":"SP","cep":"01000-000","lat":"-23.5","lng":"-46.6",)"
                                   R"("status_empresa":"A","telefone":"1","documento":"1",)"
                                   R"("tipos_pagamento":["D"],"categorias":[{"nome":"Moto"}]}})"));
    }
};

TEST_P(HostileLabelTest, StoreNameAndTownShowTheirOwnCharacters) {
    const std::string& text = GetParam().text;
    ScriptStoreRecord(text);
    StoreAccount("", "");
    Open();
    SignIn();
    EXPECT_EQ(Text("LabelEmpresa").toStdString(), text);
    EXPECT_EQ(Text("LabelCIDADE").toStdString(), text + " - SP");
    // Every label that shows a text from outside draws it as characters, never as markup.
    for (const char* label : {"LabelEmpresa", "LabelCIDADE", "LabelErro", "LabelAvisos", "StatusBar1Panel0",
                              "StatusBar1Panel1"}) {
        EXPECT_EQ(Main<QLabel>(label)->textFormat(), Qt::PlainText) << label;
    }
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Texts, HostileLabelTest,
                         ::testing::Values(HostileName{"Markup", "<b>x</b>"},
                                           HostileName{"Script", "<script>alert(1)</script><img src=x>"},
                                           HostileName{"OneMegabyte",
                                                       std::string(std::size_t{1} << 20, 'm')}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace brisko::test
