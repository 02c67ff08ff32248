// One courier per order: every request claims its order before it is sent, so that what the
// platform answers, another request for the same order, a failing statement or the program closing
// can never lead to a second courier.
#include "CycleFixture.h"

#include "SilentListener.h"
#include "SolicitaEntrega.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using courier::Requester;
using courier::RequestOutcome;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

class ClaimTest : public CycleTest {
protected:
    courier::CourierAnswer Request(const store::Pedido& pedido, Requester requester) {
        return RequestOn(db, pedido, requester, services.dispatch);
    }

    courier::CourierAnswer RequestOn(store::Database& on, const store::Pedido& pedido, Requester requester,
                                     const dispatch::Endpoint& endpoint) {
        courier::CourierRequest request;
        request.options = {"D", false, "Moto", 30};
        request.pickup = {"01/01/2030", "10:00"};
        request.requester = requester;
        return courier::SolicitaEntrega(on, *store::LeEmpresa(on), pedido, request, services.dispatchApiKey,
                                        endpoint);
    }

    store::Pedido Row(long long id) { return store::PedidoPorId(db, id).value(); }

    std::size_t Requests() { return RequestsTo(platform, kOpenPath).size(); }

    // Sets the flag from another thread once `when` holds.
    static std::thread SetWhen(std::shared_ptr<std::atomic<bool>> flag, std::function<bool()> when) {
        return std::thread([flag, when] {
            while (!when()) {
                std::this_thread::sleep_for(5ms);
            }
            flag->store(true);
        });
    }
};

TEST_F(ClaimTest, WhatEachAnswerLeavesOnTheOrder) {
    sim::SimServer stopped;
    ASSERT_TRUE(stopped.Start());
    dispatch::Endpoint unreachable = services.dispatch;
    unreachable.baseUrl = stopped.BaseUrl();
    stopped.Stop();

    struct Case {
        const char* what;
        std::optional<sim::Answer> answer; // nothing: the simulator's own acceptance
        bool reachable;
        RequestOutcome outcome;
        const char* automaticLeaves;
        const char* operatorLeaves;
    };
    const std::string maybeAccepted = "\n" + std::string(courier::kMayHaveBeenAcceptedLine);
    const Case cases[] = {
        {"accepted", std::nullopt, true, RequestOutcome::Accepted, "ROVEZOR", "ROVEZOR"},
        {"reasons in a 200", sim::Answer().WithBody(R"({"response":{"erros":["Fora da área"]}})"), true,
         RequestOutcome::Refused, "ERRO ROVEZOR", ""},
        {"a 422", sim::Answer().WithStatus(422).WithBody(R"({"errors":[{"message":"Inválido"}]})"), true,
         RequestOutcome::Refused, "ERRO ROVEZOR", ""},
        {"never sent: nobody listens", std::nullopt, false, RequestOutcome::Refused, "ERRO ROVEZOR", ""},
        {"a 500", sim::Answer().WithStatus(500).WithBody("{}"), true, RequestOutcome::Unanswered,
         "ERRO ROVEZOR", "ERRO ROVEZOR"},
        {"a 200 that cannot be read", sim::Answer().WithBody(R"({"response":{}})"), true,
         RequestOutcome::Unanswered, "ERRO ROVEZOR", "ERRO ROVEZOR"},
        {"dropped mid-answer", sim::Answer().WithBody(R"({"response":)").DroppedAfterHeaders(), true,
         RequestOutcome::Unanswered, "ERRO ROVEZOR", "ERRO ROVEZOR"},
        {"no answer within the time-out", sim::Answer().WithDelay(3s).WithBody("{}"), true,
         RequestOutcome::Unanswered, "ERRO ROVEZOR", "ERRO ROVEZOR"},
    };
    int order = 0;
    for (const Case& c : cases) {
        for (const Requester requester : {Requester::Automatic, Requester::Operator}) {
            const bool automatic = requester == Requester::Automatic;
            SCOPED_TRACE(std::string(c.what) + (automatic ? ", automatic" : ", by the operator"));
            const long long id = AddPending(std::to_string(6000 + ++order));
            if (c.answer) {
                platform.Script("POST", kOpenPath, *c.answer);
            }
            const std::size_t before = Requests();
            // A short read time-out for the answer that is held back; the others have time to spare.
            dispatch::Endpoint endpoint = c.reachable ? services.dispatch : unreachable;
            endpoint.readTimeout = c.answer && c.answer->delay.count() > 0 ? 1s : 10s;
            const courier::CourierAnswer answer = RequestOn(db, Row(id), requester, endpoint);

            EXPECT_EQ(answer.outcome, c.outcome);
            const std::string leaves = automatic ? c.automaticLeaves : c.operatorLeaves;
            EXPECT_EQ(Row(id).ID_MCH, leaves);
            EXPECT_EQ(answer.state, leaves);
            EXPECT_EQ(Requests() - before, c.reachable ? 1u : 0u);
            if (c.outcome == RequestOutcome::Accepted) {
                EXPECT_EQ(answer.text, "TRUE");
            } else if (c.outcome == RequestOutcome::Unanswered && !automatic) {
                EXPECT_THAT(answer.text, EndsWith(maybeAccepted));
            } else {
                EXPECT_THAT(answer.text, Not(HasSubstr(courier::kMayHaveBeenAcceptedLine)));
            }
        }
    }
    // The automatic pass sends again only what the operator's certain refusals put back.
    const std::size_t putBack = store::PedidosPendentes(db).size();
    EXPECT_EQ(putBack, 3u);
    const std::size_t before = Requests();
    Schedule();
    EXPECT_EQ(Requests() - before, putBack);
    std::map<std::string, int> accepted;
    for (const std::string& id : SentOrderIds()) {
        EXPECT_EQ(++accepted[id], 1) << id << " got a second courier";
    }
}

TEST_F(ClaimTest, AnOrderClaimedMeanwhileIsNotSentAgain) {
    for (const Requester requester : {Requester::Automatic, Requester::Operator}) {
        const long long id = AddPending(requester == Requester::Automatic ? "7001" : "7002");
        const store::Pedido readAsPending = Row(id);
        ASSERT_TRUE(store::ReservaPedido(db, id, "")); // another request took it first
        const courier::CourierAnswer answer = Request(readAsPending, requester);
        EXPECT_EQ(answer.outcome, RequestOutcome::NotClaimed);
        EXPECT_EQ(answer.text, courier::kAlreadyRequestedMessage);
        EXPECT_EQ(Row(id).ID_MCH, "ERRO ROVEZOR");
    }
    EXPECT_EQ(Requests(), 0u);

    // The operator may ask again for an order that is in the error state when the dialog opens.
    const long long failed = InsertOrderAt(db, {"7003", std::string("ERRO ROVEZOR")}, "");
    EXPECT_EQ(Request(Row(failed), Requester::Operator).outcome, RequestOutcome::Accepted);
    EXPECT_EQ(Row(failed).ID_MCH, "ROVEZOR");
}

TEST_F(ClaimTest, RequestsRacingForOneOrderSendOneCourier) {
    const long long id = AddPending("7101");
    const store::Pedido pending = Row(id);
    constexpr int kRacers = 6;
    std::vector<courier::CourierAnswer> answers(kRacers);
    std::vector<std::thread> racers;
    for (int i = 0; i < kRacers; ++i) {
        racers.emplace_back([&, i] {
            store::Database own(file_); // every racer on a connection of its own, as copies would be
            answers[static_cast<std::size_t>(i)] = RequestOn(
                own, pending, i % 2 == 0 ? Requester::Automatic : Requester::Operator, services.dispatch);
        });
    }
    for (std::thread& racer : racers) {
        racer.join();
    }
    int accepted = 0;
    int notClaimed = 0;
    for (const courier::CourierAnswer& answer : answers) {
        accepted += answer.outcome == RequestOutcome::Accepted ? 1 : 0;
        notClaimed += answer.outcome == RequestOutcome::NotClaimed ? 1 : 0;
    }
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(notClaimed, kRacers - 1);
    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 7101"));
    EXPECT_EQ(Row(id).ID_MCH, "ROVEZOR");
}

TEST_F(ClaimTest, AFailedClaimSendsNothingAndAFailedMarkIsNeverSentAgain) {
    const long long claimFails = AddPending("7201");
    db.FailNthStatement(1);
    EXPECT_THROW(Request(Row(claimFails), Requester::Automatic), DatabaseError);
    EXPECT_EQ(Requests(), 0u);
    EXPECT_EQ(Row(claimFails).ID_MCH, "");

    // The platform accepts, then the mark cannot be written.
    db.Execute("CREATE TRIGGER no_mark BEFORE UPDATE OF ID_MCH ON PEDIDOS WHEN NEW.ID_MCH = 'ROVEZOR' "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_THROW(Request(Row(claimFails), Requester::Automatic), DatabaseError);
    EXPECT_EQ(Row(claimFails).ID_MCH, "ERRO ROVEZOR");
    db.Execute("DROP TRIGGER no_mark");
    Schedule();
    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 7201"));
}

TEST_F(ClaimTest, ClosingSendsNothingNewAndFinishesARequestAlreadySent) {
    const auto closing = std::make_shared<std::atomic<bool>>(true);
    services.dispatch.abandon = closing;
    const long long before = AddPending("7301");
    EXPECT_EQ(Request(Row(before), Requester::Automatic).outcome, RequestOutcome::Abandoned);
    EXPECT_EQ(Row(before).ID_MCH, "");

    // Closed while the platform's connection is still being made: nothing left, the claim undone.
    SilentListener handshakeNeverEnds;
    dispatch::Endpoint connecting = services.dispatch;
    connecting.baseUrl = handshakeNeverEnds.BaseUrl();
    closing->store(false);
    std::thread closer([closing] {
        std::this_thread::sleep_for(300ms);
        closing->store(true);
    });
    const long long whileConnecting = AddPending("7302");
    EXPECT_EQ(RequestOn(db, Row(whileConnecting), Requester::Automatic, connecting).outcome,
              RequestOutcome::Abandoned);
    closer.join();
    EXPECT_EQ(Row(whileConnecting).ID_MCH, "");

    // Closed once the request is on its way: its answer is waited for and marked.
    closing->store(false);
    platform.SetAnswerDelay(1s);
    const long long underWay = AddPending("7303");
    std::thread closeWhenSent = SetWhen(closing, [this] { return Requests() == 1; });
    EXPECT_EQ(Request(Row(underWay), Requester::Automatic).outcome, RequestOutcome::Accepted);
    closeWhenSent.join();
    EXPECT_EQ(Row(underWay).ID_MCH, "ROVEZOR");
    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 7303"));
}

TEST_F(ClaimTest, ClosingDuringSchedulingFinishesTheRequestUnderWayAndStartsNoOther) {
    AddPending("7401");
    AddPending("7402");
    AddPending("7403");
    const auto closing = std::make_shared<std::atomic<bool>>(false);
    services.dispatch.abandon = closing;
    platform.SetAnswerDelay(1s);
    std::thread closeWhenSent = SetWhen(closing, [this] { return Requests() == 1; });
    Schedule();
    closeWhenSent.join();
    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "", ""));
    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 7401"));
    EXPECT_THAT(window.Events(), ::testing::IsEmpty());
}

} // namespace
} // namespace brisko::test
