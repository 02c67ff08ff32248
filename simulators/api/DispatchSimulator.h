#pragma once
// A local stand-in for the dispatch platform: store login, delivery estimate, delivery opening and
// the order-management page, over HTTPS. Demo stores are built in; tests script odd answers
// through the base's hooks.
#include "SimServer.h"

#include <map>
#include <string>
#include <vector>

namespace brisko::sim {

struct SimCategory {
    std::string nome;
    double basePrice; // per delivery
    double pricePerKm;
};

struct SimStore {
    std::string email;
    std::string password;
    long long id;
    std::string nome, endereco, bairro, cidade, uf, cep, lat, lng, status, telefone, documento;
    // The items of "tipos_pagamento" as JSON literals, so that a platform sending numbers can be shown.
    std::vector<std::string> tiposPagamento;
    std::vector<SimCategory> categorias;
};

// A delivery the platform accepted.
struct SimDelivery {
    long long idMch;
    std::string loja;
    std::string idExterno, cliente, endereco, data, hora, categoria, pagamento;
};

class DispatchSimulator : public SimServer {
public:
    explicit DispatchSimulator(std::string apiKey, SimOptions options = {});

    // The demo stores: loja@demo.com (active), inativa@demo.com (deactivated) and
    // semcodigo@demo.com (no payment code the program knows), all with password "demo123".
    static std::vector<SimStore> DemoStores();

    std::vector<SimDelivery> Deliveries() const;
    // The query values of every estimate priced, decoded, in the order they came.
    std::vector<std::map<std::string, std::string>> Estimates() const;
};

} // namespace brisko::sim
