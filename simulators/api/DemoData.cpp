// The simulators' built-in data and samples, the same whichever flavour serves them.
#include "BuildConstants.h"
#include "DispatchSimulator.h"
#include "LocalTime.h"
#include "MarketplaceSimulator.h"

namespace brisko::sim {

std::vector<SimStore> DispatchSimulator::DemoStores() {
    const std::vector<SimCategory> categorias = {{"Moto", 5.00, 1.80}, {"Bike", 4.00, 1.20}};
    // The three stores share the address and differ in what each demo shows.
    const auto store = [&](std::string email, long long id, std::string nome, std::string status,
                           std::vector<std::string> tiposPagamento) {
        return SimStore{std::move(email),
                        "demo123",
                        id,
                        std::move(nome),
                        "Avenida Paulista, 1578",
                        "Bela Vista",
                        "São Paulo",
                        "SP",
                        "01310-200",
                        "-23.561414",
                        "-46.655881",
                        std::move(status),
                        "(11) 3251-4100",
                        "12.345.678/0001-90",
                        std::move(tiposPagamento),
                        categorias};
    };
    return {store("loja@demo.com", 1207, "Empório São Jorge", "A", {R"("F")", R"("D")", R"("X")", R"("C")"}),
            store("inativa@demo.com", 1208, "Padaria Aurora", "I", {R"("F")", R"("D")", R"("X")", R"("C")"}),
            store("semcodigo@demo.com", 1209, "Quitanda do Largo", "A", {R"("Z")", "7"})};
}

IntegratorCredentials BuildIntegrator() {
    return {build::kMarketplaceClientUser, build::kMarketplaceClientKey};
}

SimOrder MarketplaceSimulator::SampleOrder(const std::string& orderId, Clock::duration ago) {
    SimOrder order;
    order.orderId = orderId;
    order.createdAt = LocalDateTimeText(Clock::now() - ago);
    order.userName = "Maria";
    order.userSurname = "Souza";
    order.userMobilePhone = JsonText("77999990000");
    order.address.street_name = JsonText("Rua das Flores");
    order.address.number = JsonText("120");
    order.address.complement = JsonText("Apto 2");
    order.address.reference = JsonText("Perto da praça");
    order.address.neighborhood_name = JsonText("Centro");
    order.address.phone = JsonText("7732214455");
    order.address.mobile_phone = JsonText("77999990000");
    order.address.city_name = JsonText("Vitória da Conquista");
    order.address.state_uf = JsonText("BA");
    order.address.zip_code = JsonText("45000-000");
    order.address.latitude = "-14.8615";
    order.address.longitude = "-40.8442";
    order.items = {{"Pizza grande", 1, "49.90", ""}, {"Refrigerante 2 L", 1, "12.00", "gelado"}};
    order.changeFor = JsonText("100.00");
    order.total = "61.90";
    return order;
}

std::string MarketplaceSimulator::LocalDateTimeText(Clock::time_point moment) {
    return FormatIsoDateTimeMs(ToLocal(moment)).substr(0, 19);
}

} // namespace brisko::sim
