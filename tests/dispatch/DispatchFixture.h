#pragma once
// A fresh database file and the dispatch platform simulator on 127.0.0.1, with an endpoint that
// points the client at it and trusts its test CA.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BuildConstants.h"
#include "DispatchSimulator.h"
#include "ResultText.h"
#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"
#include "URovezor.h"

#include <chrono>
#include <string>
#include <vector>

namespace brisko::dispatch {

inline const std::string kApiKey = build::kDispatchApiKey;
inline const std::string kLojaEmail = "loja@demo.com";
inline const std::string kDemoPassword = "demo123";

// Matches a result text that reports a failure without an HTTP error status.
MATCHER(IsGenericFailure, "is the generic failure text with a message after it") {
    const std::string prefix = net::GenericFailure("");
    return arg.size() > prefix.size() && arg.compare(0, prefix.size(), prefix) == 0;
}

class DispatchTest : public ::testing::Test {
public:
    DispatchTest() : db(FreshDatabaseIn(folder)) {}

    void SetUp() override {
        ASSERT_TRUE(platform.Start());
        endpoint = EndpointOf(platform);
    }

    static Endpoint EndpointOf(const sim::SimServer& server) {
        using namespace std::chrono_literals;
        Endpoint e;
        e.baseUrl = server.BaseUrl();
        e.caFile = sim::TestCaFile().string();
        e.connectTimeout = 5s;
        e.readTimeout = 5s;
        return e;
    }

    std::string LoginLoja(bool autoConnect = false) {
        return LoginEmpresa(kApiKey, kLojaEmail, kDemoPassword, autoConnect, db, endpoint);
    }

    test::TempFolder folder;
    store::Database db;
    sim::DispatchSimulator platform{kApiKey};
    Endpoint endpoint;

private:
    static store::Database FreshDatabaseIn(const test::TempFolder& where) {
        test::FreshDatabase(where / "BANCO.db");
        return store::Database(where / "BANCO.db");
    }
};

// The 17 columns of a row, in table order, so that a whole row compares at once.
inline std::vector<std::string> Columns(const store::Empresa& e) {
    return {e.IDROVEZOR,   e.NOME,  e.ENDERECO, e.BAIRRO,   e.CIDADE,          e.UF,
            e.CEP,         e.LAT,   e.LNG,      e.STATUS,   e.TIPOSPAGAMENTOS, e.CATEGORIAS,
            e.AUTOCONNECT, e.EMAIL, e.SENHA,    e.TELEFONE, e.DOCUMENTO};
}

inline std::vector<std::string> EmpresaRow(store::Database& db) {
    const std::optional<store::Empresa> row = store::LeEmpresa(db);
    return row ? Columns(*row) : std::vector<std::string>{};
}

inline sim::Answer JsonAnswer(int status, std::string body) {
    return sim::Answer().WithStatus(status).WithBody(std::move(body));
}

} // namespace brisko::dispatch
