#pragma once
// A program folder copied from the build (executable, command file, the fresh database that
// installations ship) into a temporary session, its database prepared as a store that signed in
// before with "stay connected", and both simulators on the fixed ports the program is built to reach.
#include "DispatchSimulator.h"
#include "MarketplaceSimulator.h"
#include "ProgramProcess.h"

#include "Database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace brisko::test {

inline constexpr const char* kStoreEmail = "loja@demo.com";
inline constexpr const char* kStorePassword = "demo123";
inline constexpr const char* kMarketLogin = "loja-e2e";
inline constexpr const char* kMarketPassword = "senha-e2e";
inline constexpr const char* kOpenPath = "/api/integracao/abrirEntrega";
inline constexpr const char* kTokenPath = "/alfredo/auth/token";

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest();
    void SetUp() override;

    // EMPRESA with the sign-in and AUTOCONNECT "S", one marketplace account in CONFIGDELIVERY, and
    // the operator's settings with automatic scheduling on or off.
    void PrepareSignedInStore(bool automaticScheduling);
    // The real executable of the copied folder, offscreen, in this test's own desktop session.
    std::unique_ptr<ProgramProcess> StartProgram();

    // An imported order as the program stored it.
    struct StoredOrder {
        long long origem = 0;
        std::string cliente;
        std::string idMch;
    };
    // Read afresh through the test's own connection to the program's database file.
    std::optional<StoredOrder> Order(const std::string& idPedido);
    long long OrderRows(const std::string& idPedido);
    std::string StoreName();
    // How many requests of that method and path a simulator has received.
    static std::size_t Count(const sim::SimServer& server, const std::string& method,
                             const std::string& path);
    // A simulator's page fetched over HTTPS; the failure text when it could not be fetched.
    static std::string Page(const sim::SimServer& server, const std::string& path);

    Session session;
    std::filesystem::path folder; // the program folder
    sim::DispatchSimulator dispatch;
    sim::MarketplaceSimulator marketplace;
    std::unique_ptr<store::Database> db;
};

} // namespace brisko::test
