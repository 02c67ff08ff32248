// The dispatch platform simulator's own rules: who it lets in and how it prices.
#include "DispatchFixture.h"

#include <cstdlib>

namespace brisko::dispatch {
namespace {

class SimulatorPricing : public DispatchTest {
protected:
    double Price(const std::string& lat, const std::string& lng, const std::string& category, bool back) {
        const long long id = test::InsertOrderAt(db, {std::to_string(++orders), std::nullopt}, "");
        EstimateQuery query;
        query.latPartida = "-23.561414";
        query.lngPartida = "-46.655881";
        query.latDesejado = lat;
        query.lngDesejado = lng;
        query.categoriaNome = category;
        query.comRetorno = back;
        EXPECT_EQ(EstimarEntrega(kApiKey, kLojaEmail, kDemoPassword, query, std::to_string(id), db, endpoint),
                  "TRUE");
        const auto pedido = store::PedidoPorId(db, id);
        return pedido ? std::strtod(pedido->TAXAENTREGA.c_str(), nullptr) : 0.0;
    }

    int orders = 0;
};

TEST_F(SimulatorPricing, PriceGrowsWithDistanceAndTheReturnTrip) {
    const double near = Price("-23.5534", "-46.6528", "Moto", false); // about 1 km
    const double far = Price("-23.6500", "-46.7000", "Moto", false);  // about 11 km
    EXPECT_GT(near, 5.0);
    EXPECT_GT(far, near + 10 * 1.5);
    EXPECT_GT(Price("-23.6500", "-46.7000", "Moto", true), far);
    EXPECT_LT(Price("-23.6500", "-46.7000", "Bike", false), far);
}

TEST_F(DispatchTest, SimulatorRefusesUnknownCallersAndPlacelessDestinations) {
    EXPECT_EQ(LoginEmpresa(kApiKey, "ninguem@demo.com", kDemoPassword, false, db, endpoint),
              "E-mail ou senha inválidos\r\n");
    EXPECT_EQ(AbrirEntrega("", kLojaEmail, kDemoPassword, "{}", endpoint),
              "Chave de integração inválida\r\n");

    EstimateQuery query;
    query.categoriaNome = "Moto";
    query.latDesejado = "";
    EXPECT_EQ(EstimarEntrega(kApiKey, kLojaEmail, kDemoPassword, query, "1", db, endpoint),
              "Coordenadas do destino inválidas\r\n");
}

} // namespace
} // namespace brisko::dispatch
