// Texts from the services in the signed-in window: a store record that looks like markup shows as
// the characters it is; one that runs to a megabyte, and a marketplace answer of 32 MiB, show cut to
// a readable line, while the window keeps answering and the database keeps the whole text.
#include "MainWindowFixture.h"
#include "StallMeter.h"

#include "JsonWriter.h"
#include "Store.h"

#include <QLabel>

#include <iostream>

namespace brisko::test {
namespace {

struct HostileName {
    const char* name;
    std::string text;
    std::string shown; // as the labels show it
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
    const std::string& shown = GetParam().shown;
    EXPECT_EQ(Text("LabelEmpresa").toStdString(), shown);
    EXPECT_EQ(Text("LabelCIDADE").toStdString(), shown == text ? text + " - SP" : shown);
    EXPECT_EQ(store::LeEmpresa(Db())->NOME, text);
    // Every label that shows a text from outside draws it as characters, never as markup.
    for (const char* label : {"LabelEmpresa", "LabelCIDADE", "LabelErro", "LabelAvisos", "StatusBar1Panel0",
                              "StatusBar1Panel1"}) {
        EXPECT_EQ(Main<QLabel>(label)->textFormat(), Qt::PlainText) << label;
    }
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Texts, HostileLabelTest,
                         ::testing::Values(HostileName{"Markup", "<b>x</b>", "<b>x</b>"},
                                           HostileName{"Script", "<script>alert(1)</script><img src=x>",
                                                       "<script>alert(1)</script><img src=x>"},
                                           HostileName{"OneMegabyte", std::string(std::size_t{1} << 20, 'm'),
                                                       std::string(300, 'm') + "…"}),
                         [](const auto& info) { return std::string(info.param.name); });

class HostileAnswerWindowTest : public MainWindowTest {};

TEST_F(HostileAnswerWindowTest, A32MiBErrorFromTheMarketplaceShowsAsOneLineAndTheWindowKeepsAnswering) {
    constexpr const char* kLogin = "loja-enorme";
    marketplace.AddAccount(kLogin, "senha");
    StoreAccount(kLogin, "senha");
    // The order search may be a large document, so it may take the whole 32 MiB.
    marketplace.Script("GET", "/alfredo/orders/search",
                       sim::Answer()
                           .WithStatus(500)
                           .WithContentType("text/plain")
                           .WithBody(std::string((std::size_t{32} << 20) - 1, 'x') + "!"));
    Open();
    SignIn();
    auto* status = Main<QLabel>("StatusBar1Panel1");
    auto* warning = Main<QLabel>("LabelAvisos");
    const QString shown = QString(300, u'x') + QStringLiteral("…");
    StallMeter meter;
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith(u'x'); }, 40'000))
        << status->text().toStdString();
    EXPECT_EQ(status->text(), shown);
    EXPECT_EQ(warning->text(), shown);
    EXPECT_TRUE(warning->isVisible());
    std::cout << "worst lateness of the window thread's 1 ms timer: " << meter.WorstMs() << " ms\n";
    // Not a speed figure: the whole text in the word-wrapped warning line held the window for a
    // minute (about 2 s per MiB).
    EXPECT_LT(meter.WorstMs(), 2000);
}

} // namespace
} // namespace brisko::test
