// What each operation puts on the wire, as the platform receives it.
#include "DispatchFixture.h"

#include <set>

namespace brisko::dispatch {
namespace {

constexpr std::string_view kUserAgent = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 "
                                        "(KHTML, like Gecko) Chrome/58.0.3029.96 Safari/537.36";

std::set<std::string> HeaderNames(const sim::RecordedRequest& request) {
    std::set<std::string> names;
    for (auto [name, value] : request.headers) {
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        names.insert(name);
    }
    return names;
}

// The headers every call carries, credentials included from the very first request.
void ExpectCommonHeaders(const sim::RecordedRequest& seen, const std::string& email,
                         const std::string& password) {
    EXPECT_EQ(seen.Header("api-key"), kApiKey);
    EXPECT_EQ(seen.Header("Content-Type"), "application/json; charset=UTF-8");
    EXPECT_EQ(seen.Header("Connection"), "Keep-Alive");
    EXPECT_EQ(seen.Header("User-Agent"), kUserAgent);
    EXPECT_EQ(sim::BasicCredentials(seen), std::make_pair(email, password));
}

TEST_F(DispatchTest, LoginIsOneGetWithCredentialsOnTheFirstRequest) {
    // A password with a colon and a non-ASCII letter travels whole in the Basic credentials.
    platform.Script("GET", "/api/integracao/empresa", JsonAnswer(401, R"({"errors":["no"]})"));
    LoginEmpresa(kApiKey, "Loja@Exemplo.com", "s3nh@:ç x", false, db, endpoint);

    const auto requests = platform.Requests();
    ASSERT_EQ(requests.size(), 1u); // no challenge round trip
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/api/integracao/empresa");
    EXPECT_EQ(requests[0].body, "");
    ExpectCommonHeaders(requests[0], "Loja@Exemplo.com", "s3nh@:ç x");
    EXPECT_EQ(HeaderNames(requests[0]), (std::set<std::string>{"api-key", "authorization", "connection",
                                                               "content-type", "host", "user-agent"}));
}

TEST_F(DispatchTest, EstimateSendsTheFifteenValuesInOrderEachEncodedOnItsOwn) {
    const EstimateQuery query{"Avenida Paulista, 1578",
                              "Bela Vista",
                              "São Paulo",
                              "SP",
                              "-23.561414",
                              "-46.655881",
                              "Rua São João 10",
                              "Centro",
                              "São Paulo",
                              "SP",
                              "-23.5431",
                              "-46.6291",
                              "",
                              "Moto",
                              true};
    EstimarEntrega(kApiKey, kLojaEmail, kDemoPassword, query, "1", db, endpoint);

    const auto requests = platform.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/api/integracao/estimarEntrega"
                                  "?endereco_partida=Avenida%20Paulista%2C%201578"
                                  "&bairro_partida=Bela%20Vista"
                                  "&cidade_partida=S%C3%A3o%20Paulo"
                                  "&estado_partida=SP"
                                  "&lat_partida=-23.561414"
                                  "&lng_partida=-46.655881"
                                  "&endereco_desejado=Rua%20S%C3%A3o%20Jo%C3%A3o%2010"
                                  "&bairro_desejado=Centro"
                                  "&cidade_desejado=S%C3%A3o%20Paulo"
                                  "&estado_desejado=SP"
                                  "&lat_desejado=-23.5431"
                                  "&lng_desejado=-46.6291"
                                  "&latlng_paradas="
                                  "&categoria_nome=Moto"
                                  "&com_retorno=true");
    EXPECT_EQ(requests[0].body, "");
    ExpectCommonHeaders(requests[0], kLojaEmail, kDemoPassword);
}

TEST_F(DispatchTest, QueryDelimitersInsideAValueStayPartOfIt) {
    EstimateQuery query;
    query.enderecoDesejado = "Rua A&B=C+D #10";
    query.bairroDesejado = "50% off/?";
    query.latDesejado = "-23.5431";
    query.lngDesejado = "-46.6291";
    query.categoriaNome = "Moto";
    EstimarEntrega(kApiKey, kLojaEmail, kDemoPassword, query, "1", db, endpoint);

    const auto estimates = platform.Estimates();
    ASSERT_EQ(estimates.size(), 1u);
    EXPECT_EQ(estimates[0].size(), 15u); // no key added, none lost after the '#'
    EXPECT_EQ(estimates[0].at("endereco_desejado"), "Rua A&B=C+D #10");
    EXPECT_EQ(estimates[0].at("bairro_desejado"), "50% off/?");
    EXPECT_EQ(estimates[0].at("com_retorno"), "false");
}

TEST_F(DispatchTest, OpeningPostsTheDocumentUnchanged) {
    const std::string document =
        R"({"forma_pagamento":"F","empresa_id":1207,"retorno": false,)"
        R"("categoria_nome":"Moto","paradas":[{"nome_cliente_parada":"José \"Zé\""}]})";
    AbrirEntrega(kApiKey, kLojaEmail, kDemoPassword, document, endpoint);

    const auto requests = platform.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/api/integracao/abrirEntrega");
    EXPECT_EQ(requests[0].body, document); // UTF-8 as given, no byte-order mark
    EXPECT_EQ(requests[0].Header("Content-Length"), std::to_string(document.size()));
    ExpectCommonHeaders(requests[0], kLojaEmail, kDemoPassword);
    EXPECT_EQ(HeaderNames(requests[0]),
              (std::set<std::string>{"api-key", "authorization", "connection", "content-length",
                                     "content-type", "host", "user-agent"}));
}

} // namespace
} // namespace brisko::dispatch
