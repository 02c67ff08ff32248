#pragma once
// What the operator must be told while the window may be hidden behind others: which alerts are
// open, when each is due again and when it ends. Qt-free: the window feeds it what it reads and
// what the pass reports, with the time, and shows what it answers.
#include "Pedidos.h"
#include "SolicitaEntrega.h"

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace brisko::cycle {

// A new kind is one value here and one row in the table of Alertas.cpp.
enum class Alerta {
    PedidoNovo,             // imported while automatic scheduling is off: a courier must be asked for
    SolicitacaoFalhou,      // the automatic request was refused or never left
    SolicitacaoSemResposta, // the automatic request left and no answer came
    SincronizacaoFalhando,  // the marketplace sync failed three passes in a row
    SincronizacaoVoltou,    // ... and then a pass synced again
    PedidoRetido,           // its fee is above the ceiling of automatic scheduling: held back
};

// How one pass's marketplace sync went.
enum class Sincronizacao {
    SemConta,  // no account was tried
    Conectada, // every account tried answered "TRUE"
    Falhou,    // at least one account failed
};

// What the icon of the program tells at a glance.
enum class EstadoDosAlertas { Normal, Atencao, SincronizacaoFalhando };

struct AlertaDevida {
    Alerta tipo;
    std::string titulo;
    std::string texto;
};

class CentralDeAlertas {
public:
    using Instante = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::minutes kRepeticao{1};
    static constexpr int kFalhasSeguidas = 3;

    // The order list as just read, with the automatic mode and the fees of the orders the ceiling
    // holds (by IDPEDIDO): opens the alert of each pending order while scheduling is off and of each
    // held one, and ends every order's alert whose order left that alert's state.
    void Pedidos(const std::vector<store::Pedido>& rows, bool automatico, Instante agora,
                 const std::map<std::string, std::string>& retidos = {});
    // What the automatic scheduling's request for the order `pedido` (its ID) came to; `texto` is
    // the platform's.
    void Solicitacao(long long pedido, const std::string& idPedido, courier::RequestOutcome outcome,
                     const std::string& texto, Instante agora);
    // How a pass's sync went; `texto` is the last failure's text.
    void Sincronizou(Sincronizacao resultado, const std::string& texto, Instante agora);
    // Opens the alert `tipo` of `pedido` (0 and empty when it is not about one order), unless it is
    // already open or the operator saw it while the order stayed in the same state.
    void Abre(Alerta tipo, long long pedido, const std::string& idPedido, const std::string& motivo,
              Instante agora);
    // The operator looked at the window: alerts that end so end now.
    void Olhou();
    // No alert is shown before `ate`; the open ones stay open and come after it.
    void Pausa(Instante ate) { pausaAte_ = ate; }
    bool Pausada(Instante agora) const { return agora < pausaAte_; }

    // The alerts due at `agora`, oldest first; each is due again a minute later while it repeats.
    std::vector<AlertaDevida> Devidas(Instante agora);
    EstadoDosAlertas Estado() const;
    bool Aberta(Alerta tipo, long long pedido = 0) const { return abertas_.count({tipo, pedido}) > 0; }
    bool AlgumaAberta() const { return !abertas_.empty(); }

private:
    struct Aberta_ {
        std::string idPedido;
        std::string motivo;
        Instante devida;
    };
    using Chave = std::pair<Alerta, long long>;

    std::map<Chave, Aberta_> abertas_;
    std::set<Chave> vistas_; // ended by a look while their order stays in the same state
    int falhasSeguidas_ = 0;
    Instante pausaAte_{};
};

} // namespace brisko::cycle
