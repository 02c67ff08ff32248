#include "ProgramFolderFixture.h"

#include "BuildConstants.h"
#include "Http.h"
#include "Store.h"

#include <algorithm>

namespace brisko::test {

namespace fs = std::filesystem;

ProgramFolderTest::ProgramFolderTest()
    : folder(session.Root() / "program"), dispatch(build::kDispatchApiKey) {
    const fs::path built = BRISKO_PROGRAM_DIR;
    fs::create_directories(folder / "BD");
    fs::copy_file(built / BRISKO_PROGRAM_FILE_NAME, folder / BRISKO_PROGRAM_FILE_NAME);
    fs::copy_file(built / "fechar.sh", folder / "fechar.sh");
    // The build's own program folder may hold a developer's sign-in; installations ship this one.
    fs::copy_file(BRISKO_FRESH_DB, folder / "BD" / "BANCO.db");
    db = std::make_unique<store::Database>(folder / "BD" / "BANCO.db");
}

void ProgramFolderTest::SetUp() {
    ASSERT_TRUE(dispatch.Start(build::kDispatchSimPort))
        << "port " << build::kDispatchSimPort << " is taken (is the demo running?)";
    ASSERT_TRUE(marketplace.Start(build::kMarketplaceSimPort))
        << "port " << build::kMarketplaceSimPort << " is taken (is the demo running?)";
}

void ProgramFolderTest::PrepareSignedInStore(bool automaticScheduling) {
    store::Empresa empresa;
    empresa.EMAIL = kStoreEmail;
    empresa.SENHA = kStorePassword;
    empresa.AUTOCONNECT = "S";
    store::SubstituiEmpresa(*db, empresa);

    store::GravaContaConfigDelivery(*db, store::InsereConfigDeliveryVazia(*db), kMarketLogin,
                                    kMarketPassword);

    store::Configuracao configuracao;
    configuracao.SOLICITACAOAUTOMATICO = automaticScheduling ? 1 : 0;
    configuracao.TEMPOAGENDAMENTO = "30";
    configuracao.CATEGORIAPADRAO = "Moto";
    configuracao.PAGAMENTOPADRAO = "Dinheiro";
    configuracao.RETORNOPADRAO = "Não";
    store::SubstituiConfiguracao(*db, configuracao);
}

std::unique_ptr<ProgramProcess> ProgramFolderTest::StartProgram() {
    return std::make_unique<ProgramProcess>(folder / BRISKO_PROGRAM_FILE_NAME, session.Environment());
}

std::optional<ProgramFolderTest::StoredOrder> ProgramFolderTest::Order(const std::string& idPedido) {
    auto row = db->Prepare("SELECT ORIGEM, CLIENTE, ID_MCH FROM PEDIDOS WHERE IDPEDIDO = :IDPEDIDO");
    row.Bind(":IDPEDIDO", idPedido);
    if (!row.Step()) {
        return std::nullopt;
    }
    return StoredOrder{row.Integer("ORIGEM"), row.Text("CLIENTE"), row.Text("ID_MCH")};
}

long long ProgramFolderTest::OrderRows(const std::string& idPedido) {
    auto count = db->Prepare("SELECT COUNT(*) AS N FROM PEDIDOS WHERE IDPEDIDO = :IDPEDIDO");
    count.Bind(":IDPEDIDO", idPedido);
    count.Step();
    return count.Integer("N");
}

std::string ProgramFolderTest::StoreName() {
    const auto empresa = store::LeEmpresa(*db);
    return empresa ? empresa->NOME : std::string();
}

std::size_t ProgramFolderTest::Count(const sim::SimServer& server, const std::string& method,
                                     const std::string& path) {
    const auto requests = server.Requests();
    return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(), [&](const auto& r) {
        return r.method == method && r.path == path;
    }));
}

std::string ProgramFolderTest::Page(const sim::SimServer& server, const std::string& path) {
    net::HttpRequest request;
    request.url = server.BaseUrl() + path;
    request.extraCaFile = sim::TestCaFile().string();
    const net::HttpOutcome outcome = net::Perform(request);
    return outcome.response ? outcome.response->body : outcome.failure;
}

} // namespace brisko::test
