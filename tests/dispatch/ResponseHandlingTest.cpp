// How an answer, or its absence, becomes the result text: the same rules for every operation.
#include "DispatchFixture.h"

#include <functional>

namespace brisko::dispatch {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

struct Operation {
    std::string name;
    std::string method;
    std::string path;
    std::function<std::string(DispatchTest&)> call;
};

std::vector<Operation> Operations() {
    EstimateQuery query;
    query.categoriaNome = "Moto";
    return {
        {"LoginEmpresa", "GET", "/api/integracao/empresa",
         [](DispatchTest& t) {
             return LoginEmpresa(kApiKey, kLojaEmail, kDemoPassword, false, t.db, t.endpoint);
         }},
        {"EstimarEntrega", "GET", "/api/integracao/estimarEntrega",
         [query](DispatchTest& t) {
             return EstimarEntrega(kApiKey, kLojaEmail, kDemoPassword, query, "1", t.db, t.endpoint);
         }},
        {"AbrirEntrega", "POST", "/api/integracao/abrirEntrega",
         [](DispatchTest& t) { return AbrirEntrega(kApiKey, kLojaEmail, kDemoPassword, "{}", t.endpoint); }},
    };
}

class ResponseHandling : public DispatchTest {};

TEST_F(ResponseHandling, AnswersOtherThanSuccessGiveTheirResultText) {
    struct Case {
        std::string label;
        sim::Answer answer;
        std::string expected; // "" with generic set: the generic failure
        bool generic = false;
    };
    const std::string errorsWithoutMessage = R"({"errors":[{"code":17}]})";
    const std::string page = "<html><body><h1>502 Bad Gateway</h1></body></html>";
    const Case cases[] = {
        {"204 without a body", sim::Answer().WithStatus(204).WithContentType(""), "204"},
        {"201 with an object", JsonAnswer(201, R"({"response":{}})"), "201"},
        {"200 that is not JSON", JsonAnswer(200, "OK").WithContentType("text/plain"), "200"},
        {"200 with an array", JsonAnswer(200, "[]"), "", true},
        {"200 with a bare string", JsonAnswer(200, R"("TRUE")"), "", true},
        {"error status with an array", JsonAnswer(422, "[]"), "", true},
        {"422 with message objects", JsonAnswer(422, R"({"errors":[{"message":"X"},{"message":"Y"}]})"),
         "X\r\nY\r\n"},
        {"a number item adds nothing", JsonAnswer(400, R"({"errors":["A",3]})"), "A\r\n"},
        {"an object without message", JsonAnswer(422, errorsWithoutMessage), errorsWithoutMessage},
        {"errors that is no array", JsonAnswer(422, R"({"errors":"X"})"), R"({"errors":"X"})"},
        {"an HTML error page", JsonAnswer(502, page).WithContentType("text/html"), page},
        {"an empty error body", sim::Answer().WithStatus(404).WithContentType(""), ""},
        {"a declared single-byte charset",
         JsonAnswer(401, "{\"errors\":[\"N\xE3o autorizado\"]}")
             .WithContentType("application/json; charset=windows-1252"),
         "Não autorizado\r\n"},
    };
    for (const Operation& operation : Operations()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(operation.name + ": " + c.label);
            platform.Script(operation.method, operation.path, c.answer);
            const std::string result = operation.call(*this);
            if (c.generic) {
                EXPECT_THAT(result, IsGenericFailure());
            } else {
                EXPECT_EQ(result, c.expected);
            }
        }
    }
}

TEST_F(ResponseHandling, RedirectsAreFollowed) {
    for (const Operation& operation : Operations()) {
        SCOPED_TRACE(operation.name);
        platform.Script(operation.method, operation.path,
                        sim::Answer().WithStatus(307).WithHeader("Location", platform.BaseUrl() + "/moved"));
        platform.Script(operation.method, "/moved", JsonAnswer(422, R"({"errors":["moved here"]})"));
        EXPECT_EQ(operation.call(*this), "moved here\r\n");
    }
}

TEST_F(ResponseHandling, AClosedPortIsAGenericFailure) {
    sim::DispatchSimulator gone{kApiKey};
    ASSERT_TRUE(gone.Start());
    endpoint.baseUrl = gone.BaseUrl();
    gone.Stop();
    for (const Operation& operation : Operations()) {
        EXPECT_THAT(operation.call(*this), IsGenericFailure()) << operation.name;
    }
}

TEST_F(ResponseHandling, AServerThatNeverAnswersFailsAfterTheReadTimeOut) {
    endpoint.readTimeout = 300ms;
    for (const Operation& operation : Operations()) {
        platform.Script(operation.method, operation.path,
                        JsonAnswer(200, R"({"response":{}})").WithDelay(30s));
        const std::string result = operation.call(*this);
        EXPECT_THAT(result, IsGenericFailure()) << operation.name;
        EXPECT_THAT(result, HasSubstr("timed out")) << operation.name;
    }
}

TEST_F(ResponseHandling, ACertificateFromAnUnknownAuthorityIsRefusedBeforeAnyRequest) {
    sim::DispatchSimulator impostor{kApiKey, sim::SimOptions{sim::UnknownCaServerCertificate()}};
    ASSERT_TRUE(impostor.Start());
    endpoint.baseUrl = impostor.BaseUrl();
    for (const Operation& operation : Operations()) {
        EXPECT_THAT(operation.call(*this), IsGenericFailure()) << operation.name;
    }
    EXPECT_TRUE(impostor.Requests().empty());
}

TEST(ExtraiErros, GathersTheMessagesOrNothing) {
    struct Case {
        std::string body;
        std::string expected;
    };
    const Case cases[] = {
        {R"({"errors":[{"message":"A"},{"message":"B"}]})", "A\r\nB\r\n"},
        {R"({"errors":["A",{"message":"B"},null,true,3,[]]})", "A\r\nB\r\n"},
        {R"({"errors":[{"message":7}]})", "7\r\n"},
        {R"({"errors":[{"message":"A"},{"text":"B"}]})", ""}, // nothing gathered survives a bad item
        {R"({"errors":[]})", ""},
        {R"({"errors":{"message":"A"}})", ""},
        {R"({"erros":["A"]})", ""},
        {R"(["A"])", ""},
        {"not json", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtraiErros(c.body), c.expected) << c.body;
    }
}

} // namespace
} // namespace brisko::dispatch
