// Closing closes: after Yes the window goes at once, a slow marketplace call is abandoned instead of
// waited for, a courier request already sent is finished and marked while no other starts, and a
// start made during the close waits for the closing copy and then shows its own window.
#include "MainWindowFixture.h"

#include "ModalAnswerer.h"
#include "ProgramFiles.h"
#include "ProgramProcess.h"
#include "SingleCopy.h"
#include "Store.h"
#include "TestDatabase.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdlib>
#include <iostream>

namespace brisko::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kLogin = "loja-fecha";
constexpr const char* kSenha = "senha-fecha";
constexpr const char* kTokenPath = "/alfredo/auth/token";
constexpr const char* kOpenPath = "/api/integracao/abrirEntrega";

class CloseTest : public MainWindowTest {
protected:
    std::size_t RequestsTo(const sim::SimServer& server, const std::string& path) {
        std::size_t count = 0;
        for (const auto& request : server.Requests()) {
            count += request.path == path ? 1 : 0;
        }
        return count;
    }

    // Answers Yes to the close question; the window is gone when this returns.
    void CloseWithYes() {
        ModalAnswerer yes(QMessageBox::Yes);
        EXPECT_TRUE(form->close());
        EXPECT_FALSE(form->isVisible()) << "the window stayed after Yes";
    }

    // What the program does once its event loop has ended: the windows go, the worker is waited
    // for. Answers how long that took.
    qint64 EndAsTheProgramDoes() {
        QElapsedTimer ending;
        ending.start();
        form.reset(); // the window takes its dialogs with it
        return ending.elapsed();
    }
};

TEST_F(CloseTest, ASlowMarketplaceCallIsAbandonedAndAStartMadeMeanwhileShowsItsWindowAfterwards) {
    // The window's program folder, with the real executable in it, run in a session of its own.
    Session session;
    fs::copy_file(fs::path(BRISKO_PROGRAM_DIR) / BRISKO_PROGRAM_FILE_NAME, folder / BRISKO_PROGRAM_FILE_NAME);
    fs::copy_file(fs::path(BRISKO_PROGRAM_DIR) / "fechar.sh", folder / "fechar.sh");
    setenv("XDG_RUNTIME_DIR", session.Root().c_str(), 1);
    // This test process is the running copy: it holds what the program's start takes.
    std::optional<app::CopyLocks> locks =
        app::TakeTurn(folder.Path(), std::string(BRISKO_PROGRAM_FILE_NAME) + "Mutex");
    ASSERT_TRUE(locks && locks->database->State() == platform::LockState::Acquired);

    marketplace.AddAccount(kLogin, kSenha);
    StoreAccount(kLogin, kSenha);
    // Far longer than the test waits for anything below.
    marketplace.Script("POST", kTokenPath, sim::Answer().WithDelay(60s).WithBody("{}"));
    Open();
    SignIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsTo(marketplace, kTokenPath) == 1; }, 30'000));

    CloseWithYes();
    ProgramProcess started(folder / BRISKO_PROGRAM_FILE_NAME, session.Environment());
    const qint64 endedAfterMs = EndAsTheProgramDoes();
    std::cout << "the window's work ended " << endedAfterMs << " ms after Yes (the call would take 60 s)\n";
    EXPECT_LT(endedAfterMs, 30000) << "the marketplace call was waited for";

    // Until this process ends, the start waits: its front request is left untaken and no window shows.
    QTest::qWait(1500);
    EXPECT_TRUE(started.Running());
    EXPECT_TRUE(fs::exists(platform::FrontRequestMarker(folder.Path())));
    EXPECT_FALSE(fs::exists(session.UserAutostart())) << "a second copy ran beside the closing one";

    locks.reset(); // this process's end, as far as the start can tell
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(session.UserAutostart()); }, 30'000))
        << "the start made during the close never showed its window";
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !fs::exists(platform::FrontRequestMarker(folder.Path())); }, 10'000))
        << "its window did not take the front request";
    EXPECT_TRUE(started.Running());
    unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(CloseTest, DuringAutomaticSchedulingTheRequestUnderWayIsMarkedAndNoOtherStarts) {
    StoreAccount("", "");
    std::vector<long long> ids;
    for (const char* order : {"8801", "8802", "8803"}) {
        ids.push_back(InsertOrderAt(Db(), {order, std::nullopt}, "-5 minutes"));
    }
    store::Configuracao automatic;
    automatic.SOLICITACAOAUTOMATICO = 1;
    automatic.TEMPOAGENDAMENTO = "30";
    automatic.PAGAMENTOPADRAO = "Dinheiro";
    automatic.CATEGORIAPADRAO = "Moto";
    automatic.RETORNOPADRAO = "Não";
    store::SubstituiConfiguracao(Db(), automatic);
    // The platform opens each delivery at once and answers a while later.
    dispatch.SetAnswerDelay(2s, kOpenPath);
    Open();
    SignIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsTo(dispatch, kOpenPath) == 1; }, 30'000));

    CloseWithYes();
    EndAsTheProgramDoes();

    EXPECT_EQ(store::PedidoPorId(Db(), ids[0])->ID_MCH, "ROVEZOR") << "the request under way was not marked";
    EXPECT_EQ(store::PedidoPorId(Db(), ids[1])->ID_MCH, "");
    EXPECT_EQ(store::PedidoPorId(Db(), ids[2])->ID_MCH, "");
    QTest::qWait(500);
    EXPECT_EQ(RequestsTo(dispatch, kOpenPath), 1u) << "a request started after Yes";
}

} // namespace
} // namespace brisko::test
