#include "BracketList.h"
#include "DispatchCall.h"
#include "Empresa.h"
#include "ResultText.h"
#include "URovezor.h"

namespace brisko::dispatch {

namespace {

using namespace std::chrono_literals;

std::vector<std::string> PaymentCodes(const net::JsonValue& response) {
    std::vector<std::string> codes;
    for (const net::JsonValue& item : response.ArrayAt("tipos_pagamento").Items()) {
        codes.push_back(item.Text());
    }
    return codes;
}

std::vector<std::string> CategoryNames(const net::JsonValue& response) {
    std::vector<std::string> names;
    for (const net::JsonValue& item : response.ArrayAt("categorias").Items()) {
        names.push_back(item.TextAt("nome")); // an item that is no object fails here as well
    }
    return names;
}

} // namespace

std::string LoginEmpresa(std::string_view apiKey, std::string_view email, std::string_view password,
                         bool autoConnect, store::Database& db, const Endpoint& endpoint) {
    const DispatchRequest request{"GET", "/api/integracao/empresa", {}, apiKey, email, password, 10s};
    return CallDispatch(request, endpoint, [&](const net::JsonValue& answer) {
        // The whole answer is read before the table is touched, so a faulty answer keeps the old row.
        const net::JsonValue& response = answer.ObjectAt("response");
        store::Empresa empresa;
        empresa.IDROVEZOR = response.TextAt("id");
        empresa.NOME = response.TextAt("nome");
        empresa.ENDERECO = response.TextAt("endereco");
        empresa.BAIRRO = response.TextAt("bairro");
        empresa.CIDADE = response.TextAt("cidade");
        empresa.UF = response.TextAt("uf");
        empresa.CEP = response.TextAt("cep");
        empresa.LAT = response.TextAt("lat");
        empresa.LNG = response.TextAt("lng");
        empresa.STATUS = response.TextAt("status_empresa");
        empresa.TELEFONE = response.TextAt("telefone");
        empresa.DOCUMENTO = response.TextAt("documento");
        empresa.TIPOSPAGAMENTOS = courier::WriteBracketList(PaymentCodes(response));
        empresa.CATEGORIAS = courier::WriteBracketList(CategoryNames(response));
        empresa.AUTOCONNECT.push_back(autoConnect ? 'S' : 'N');
        empresa.EMAIL = email;
        empresa.SENHA = password;
        store::SubstituiEmpresa(db, empresa);
        return std::string(net::kTrue);
    });
}

} // namespace brisko::dispatch
