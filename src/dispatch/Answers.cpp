#include "Answers.h"

#include "BracketList.h"
#include "ResultText.h"

#include <vector>

namespace brisko::dispatch {

namespace {

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

store::Empresa EmpresaFromAnswer(const net::JsonValue& answer, std::string_view email,
                                 std::string_view password, bool autoConnect) {
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
    empresa.TIPOSPAGAMENTOS = store::WriteBracketList(PaymentCodes(response));
    empresa.CATEGORIAS = store::WriteBracketList(CategoryNames(response));
    empresa.AUTOCONNECT.push_back(autoConnect ? 'S' : 'N');
    empresa.EMAIL = email;
    empresa.SENHA = password;
    return empresa;
}

EstimateAnswer EstimateFromAnswer(const net::JsonValue& answer) {
    const net::JsonValue& response = answer.ObjectAt("response");
    EstimateAnswer estimate;
    estimate.taxa = response.TextAt("estimativa_valor");
    const net::JsonValue& desejado = response.ObjectAt("desejado");
    estimate.latitude = desejado.At("lat").StrictString();
    estimate.longitude = desejado.At("lng").StrictString();
    return estimate;
}

std::string OpeningResult(const net::JsonValue& answer) {
    const net::JsonValue& response = answer.ObjectAt("response");
    if (response.Find("id_mch") != nullptr) {
        return std::string(net::kTrue); // only its presence counts, whatever its value
    }
    std::string reasons;
    for (const net::JsonValue& item : response.ArrayAt("erros").Items()) {
        reasons += " - ";
        reasons += item.Text();
    }
    return reasons;
}

} // namespace brisko::dispatch
