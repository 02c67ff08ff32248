#include "Alertas.h"

#include "TetoTaxa.h"

#include <algorithm>
#include <iterator>

namespace brisko::cycle {

namespace {

constexpr std::string_view kErroRovezor = "ERRO ROVEZOR";

// How each kind behaves. `emEstado`, for an alert about one order, says whether the order is still
// in the state the alert is about (the alert ends when it is not, or when the order leaves the
// list); without it the alert is not tied to an order. In the texts "{pedido}" is the order's
// number and "{motivo}" the reason given.
struct Tipo {
    Alerta tipo;
    const char* titulo;
    const char* texto;
    bool repete;         // due again every minute while open; otherwise shown once
    bool terminaAoOlhar; // the operator opening the window ends it
    bool (*emEstado)(const store::Pedido& pedido, bool automatico);
};

constexpr Tipo kTipos[] = {
    {Alerta::PedidoNovo, "Novo pedido sem entregador",
     "O pedido aiqfome {pedido} chegou e o agendamento automático está desligado. Solicite o entregador "
     "pelo botão do cartão do pedido.",
     true, true, [](const store::Pedido& p, bool automatico) { return p.ID_MCH.empty() && !automatico; }},
    {Alerta::SolicitacaoFalhou, "Solicitação de entrega falhou",
     "A solicitação automática do pedido aiqfome {pedido} falhou: {motivo} Desligue o agendamento "
     "automático e solicite pelo cartão do pedido, ou confira a página de gestão de pedidos.",
     true, false, [](const store::Pedido& p, bool) { return p.ID_MCH == kErroRovezor; }},
    {Alerta::SolicitacaoSemResposta, "Solicitação sem resposta",
     "A plataforma não respondeu à solicitação do pedido aiqfome {pedido}: ela pode ter sido aceita. "
     "Confira a página de gestão de pedidos antes de solicitar de novo.",
     true, true, [](const store::Pedido& p, bool) { return p.ID_MCH == kErroRovezor; }},
    {Alerta::SincronizacaoFalhando, "Sincronização com o aiqfome falhando",
     "Os pedidos do aiqfome não são lidos há três verificações seguidas: {motivo} Verifique a internet e "
     "a conta em Configurar aiqfome.",
     false, false, nullptr},
    {Alerta::SincronizacaoVoltou, "Sincronização restabelecida",
     "Os pedidos do aiqfome voltaram a ser lidos. Nada mais a fazer.", false, false, nullptr},
    {Alerta::PedidoRetido, "Pedido retido pelo teto da taxa",
     "A taxa de entrega do pedido aiqfome {pedido} ({motivo}) passa do teto do agendamento automático, e o "
     "entregador não foi solicitado. Solicite pelo botão do cartão do pedido, ou mude o teto em "
     "Preferências.",
     true, true, [](const store::Pedido& p, bool) { return p.ID_MCH.empty(); }},
};

const Tipo& TipoDe(Alerta tipo) {
    return *std::find_if(std::begin(kTipos), std::end(kTipos),
                         [tipo](const Tipo& t) { return t.tipo == tipo; });
}

void Troca(std::string& texto, std::string_view marca, const std::string& valor) {
    for (auto at = texto.find(marca); at != std::string::npos; at = texto.find(marca, at + valor.size())) {
        texto.replace(at, marca.size(), valor);
    }
}

// The reason as one sentence: the platform's lines (each may start with "- ") joined by blanks.
std::string Frase(std::string motivo) {
    std::replace(motivo.begin(), motivo.end(), '\n', ' ');
    const auto inicio = motivo.find_first_not_of(" -");
    motivo.erase(0, std::min(inicio, motivo.size()));
    while (!motivo.empty() && motivo.back() == ' ') {
        motivo.pop_back();
    }
    if (motivo.empty()) {
        return "sem motivo informado.";
    }
    const char last = motivo.back();
    return (last == '.' || last == '!' || last == '?') ? motivo : motivo + ".";
}

} // namespace

void CentralDeAlertas::Abre(Alerta tipo, long long pedido, const std::string& idPedido,
                            const std::string& motivo, Instante agora) {
    const Chave chave{tipo, pedido};
    if (abertas_.count(chave) == 0 && vistas_.count(chave) == 0) {
        abertas_.emplace(chave, Aberta_{idPedido, motivo, agora});
    }
}

void CentralDeAlertas::Pedidos(const std::vector<store::Pedido>& rows, bool automatico, Instante agora,
                               const std::map<std::string, std::string>& retidos) {
    std::map<long long, const store::Pedido*> porId;
    for (const store::Pedido& row : rows) {
        porId.emplace(row.ID, &row);
    }
    const auto terminou = [&](const Chave& chave) {
        const Tipo& tipo = TipoDe(chave.first);
        if (!tipo.emEstado) {
            return false;
        }
        const auto row = porId.find(chave.second);
        return row == porId.end() || !tipo.emEstado(*row->second, automatico);
    };
    std::erase_if(abertas_, [&](const auto& aberta) { return terminou(aberta.first); });
    std::erase_if(vistas_, terminou);
    for (const store::Pedido& row : rows) {
        if (TipoDe(Alerta::PedidoNovo).emEstado(row, automatico)) {
            Abre(Alerta::PedidoNovo, row.ID, row.IDPEDIDO, {}, agora);
        }
        if (const auto retido = retidos.find(row.IDPEDIDO);
            retido != retidos.end() && TipoDe(Alerta::PedidoRetido).emEstado(row, automatico)) {
            const std::optional<long long> centavos = store::Centavos(retido->second);
            Abre(Alerta::PedidoRetido, row.ID, row.IDPEDIDO,
                 "R$ " + (centavos ? store::Reais(*centavos) : retido->second), agora);
        }
    }
}

void CentralDeAlertas::Solicitacao(long long pedido, const std::string& idPedido,
                                   courier::RequestOutcome outcome, const std::string& texto,
                                   Instante agora) {
    if (outcome == courier::RequestOutcome::Refused) {
        Abre(Alerta::SolicitacaoFalhou, pedido, idPedido, texto, agora);
    } else if (outcome == courier::RequestOutcome::Unanswered) {
        Abre(Alerta::SolicitacaoSemResposta, pedido, idPedido, texto, agora);
    }
}

void CentralDeAlertas::Sincronizou(Sincronizacao resultado, const std::string& texto, Instante agora) {
    if (resultado == Sincronizacao::Falhou) {
        if (++falhasSeguidas_ == kFalhasSeguidas) {
            abertas_.erase({Alerta::SincronizacaoVoltou, 0});
            Abre(Alerta::SincronizacaoFalhando, 0, {}, texto, agora);
        }
    } else if (resultado == Sincronizacao::Conectada) {
        if (falhasSeguidas_ >= kFalhasSeguidas) {
            abertas_.erase({Alerta::SincronizacaoFalhando, 0});
            Abre(Alerta::SincronizacaoVoltou, 0, {}, {}, agora);
        }
        falhasSeguidas_ = 0;
    }
}

void CentralDeAlertas::Olhou() {
    for (auto aberta = abertas_.begin(); aberta != abertas_.end();) {
        const Tipo& tipo = TipoDe(aberta->first.first);
        if (tipo.terminaAoOlhar) {
            if (tipo.emEstado) {
                vistas_.insert(aberta->first);
            }
            aberta = abertas_.erase(aberta);
        } else {
            ++aberta;
        }
    }
}

std::vector<AlertaDevida> CentralDeAlertas::Devidas(Instante agora) {
    std::vector<AlertaDevida> devidas;
    if (Pausada(agora)) {
        return devidas;
    }
    for (auto aberta = abertas_.begin(); aberta != abertas_.end();) {
        auto& [chave, estado] = *aberta;
        if (agora < estado.devida) {
            ++aberta;
            continue;
        }
        const Tipo& tipo = TipoDe(chave.first);
        std::string texto = tipo.texto;
        Troca(texto, "{pedido}", estado.idPedido);
        Troca(texto, "{motivo}", Frase(estado.motivo));
        devidas.push_back({chave.first, tipo.titulo, std::move(texto)});
        if (tipo.repete) {
            estado.devida = agora + kRepeticao;
            ++aberta;
        } else {
            aberta = abertas_.erase(aberta);
        }
    }
    return devidas;
}

EstadoDosAlertas CentralDeAlertas::Estado() const {
    if (falhasSeguidas_ >= kFalhasSeguidas) {
        return EstadoDosAlertas::SincronizacaoFalhando;
    }
    const bool pedidoAberto = std::any_of(abertas_.begin(), abertas_.end(), [](const auto& aberta) {
        return TipoDe(aberta.first.first).emEstado != nullptr;
    });
    return pedidoAberto ? EstadoDosAlertas::Atencao : EstadoDosAlertas::Normal;
}

} // namespace brisko::cycle
