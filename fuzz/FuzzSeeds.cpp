// Writes the seed corpora of the fuzz targets from the simulators' own answers, fetched over real
// HTTPS: fuzz_seeds <folder> makes one sub-folder per target.
#include "AnswerInput.h"
#include "BuildConstants.h"
#include "DispatchSimulator.h"
#include "Http.h"
#include "MarketplaceSimulator.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct Fetched {
    long status = 0;
    std::string body;
};

Fetched Fetch(const std::string& url, const std::string& method,
              std::vector<std::pair<std::string, std::string>> headers,
              std::optional<std::pair<std::string, std::string>> basic = std::nullopt,
              std::string body = {}) {
    brisko::net::HttpRequest request;
    request.method = method;
    request.url = url;
    request.headers = std::move(headers);
    request.basic = std::move(basic);
    request.body = std::move(body);
    request.extraCaFile = brisko::sim::TestCaFile().string();
    const brisko::net::HttpOutcome outcome = brisko::net::Perform(request);
    if (!outcome.response) {
        std::cerr << "fuzz_seeds: " << url << ": " << outcome.failure << "\n";
        return {};
    }
    return {outcome.response->status, outcome.response->body};
}

class Corpus {
public:
    explicit Corpus(fs::path root) : root_(std::move(root)) {}

    void Add(const std::string& target, const std::string& bytes) {
        const fs::path folder = root_ / target;
        fs::create_directories(folder);
        std::ofstream(folder / ("seed-" + std::to_string(++count_)), std::ios::binary) << bytes;
    }

    // An answer for the answer targets (status and charset bytes first) and its body for the readers.
    void AddAnswer(const std::string& target, const Fetched& answer) {
        const auto& statuses = brisko::fuzz::kStatuses;
        const auto found = std::find(statuses.begin(), statuses.end(), answer.status);
        std::string bytes(1, static_cast<char>(found == statuses.end() ? 0 : found - statuses.begin()));
        bytes += '\1'; // utf-8
        bytes += answer.body;
        Add(target, bytes);
        Add("json", answer.body);
        Add("extrai_erros", answer.body);
    }

private:
    fs::path root_;
    int count_ = 0;
};

void MarketplaceSeeds(Corpus& corpus) {
    brisko::sim::MarketplaceSimulator market;
    market.AddAccount("loja", "segredo");
    market.AddOrder("loja", brisko::sim::MarketplaceSimulator::SampleOrder("880001", 10min));
    brisko::sim::SimOrder odd = brisko::sim::MarketplaceSimulator::SampleOrder("880002", 3h);
    odd.address.complement = brisko::sim::kJsonNull;
    odd.address.phone = brisko::sim::JsonText("");
    market.AddOrder("loja", odd);
    if (!market.Start()) {
        throw std::runtime_error("the marketplace simulator did not start");
    }
    const std::string base = market.BaseUrl();
    const std::vector<std::pair<std::string, std::string>> json = {{"Content-Type", "application/json"}};
    corpus.AddAnswer("marketplace_answer",
                     Fetch(base + "/alfredo/auth/token", "POST", json,
                           std::make_pair(std::string(brisko::build::kMarketplaceClientUser),
                                          std::string(brisko::build::kMarketplaceClientKey)),
                           R"(  {"username" : "loja","password" : "segredo"})"));
    corpus.AddAnswer("marketplace_answer",
                     Fetch(base + "/alfredo/auth/token", "POST", json, std::nullopt, R"({"username":"x"})"));
    const auto bearer = json.front();
    std::vector<std::pair<std::string, std::string>> authorised = {
        bearer, {"Authorization", "Bearer " + market.IssueToken("loja")}};
    corpus.AddAnswer("marketplace_answer",
                     Fetch(base + "/alfredo/orders/search?per_page=99999", "GET", authorised));
    corpus.AddAnswer("marketplace_answer", Fetch(base + "/alfredo/orders/880001", "GET", authorised));
    corpus.AddAnswer("marketplace_answer", Fetch(base + "/alfredo/orders/880002", "GET", authorised));
    corpus.AddAnswer("marketplace_answer", Fetch(base + "/alfredo/orders/search", "GET", json));
}

void DispatchSeeds(Corpus& corpus) {
    const std::string key = brisko::build::kDispatchApiKey;
    brisko::sim::DispatchSimulator platform(key);
    if (!platform.Start()) {
        throw std::runtime_error("the dispatch simulator did not start");
    }
    const std::string base = platform.BaseUrl() + "/api/integracao/";
    const std::vector<std::pair<std::string, std::string>> headers = {{"api-key", key},
                                                                      {"Content-Type", "application/json"}};
    const auto loja = std::make_pair(std::string("loja@demo.com"), std::string("demo123"));
    corpus.AddAnswer("dispatch_answer", Fetch(base + "empresa", "GET", headers, loja));
    corpus.AddAnswer("dispatch_answer",
                     Fetch(base + "empresa", "GET", headers,
                           std::make_pair(std::string("loja@demo.com"), std::string("errada"))));
    corpus.AddAnswer(
        "dispatch_answer",
        Fetch(base + "estimarEntrega?categoria_nome=Moto&lat_desejado=-23.55&lng_desejado=-46.65", "GET",
              headers, loja));
    corpus.AddAnswer("dispatch_answer",
                     Fetch(base + "estimarEntrega?categoria_nome=Nenhuma", "GET", headers, loja));
    corpus.AddAnswer("dispatch_answer", Fetch(base + "abrirEntrega", "POST", headers, loja, "{}"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds <folder>\n";
        return 2;
    }
    try {
        Corpus corpus(argv[1]);
        MarketplaceSeeds(corpus);
        DispatchSeeds(corpus);
        for (const char* list : {"[F] [D] ", "[Moto] [Carro] [Caminhão] ", "[a] [b", "]]][[["}) {
            corpus.Add("bracket_list", list);
        }
        for (const char* text : {"Jo\"ão \\ teste", "linha\r\nnova", "\xC3\x28\xFF"}) {
            corpus.Add("json_string", text);
        }
    } catch (const std::exception& e) {
        std::cerr << "fuzz_seeds: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
