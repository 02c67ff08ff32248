#include "AlertasDaJanela.h"

#include "IconeDoPrograma.h"
#include "Platform.h"
#include "WindowTimers.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include <utility>

namespace brisko::ui {

namespace {

constexpr int kAlertasMs = 1000;
constexpr int kNotificacaoMs = 15000;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

AlertasDaJanela::AlertasDaJanela(QWidget* janela, QLabel* faixa, QString urlGestao, QObject* parent)
    : QObject(parent), janela_(janela), faixa_(faixa) {
    TimerAlertas = NewTimer(this, "TimerAlertas", kAlertasMs);
    connect(TimerAlertas, &QTimer::timeout, this, &AlertasDaJanela::Mostra);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        MontaBandeja(urlGestao);
    }
    Atualiza();
    TimerAlertas->start();
}

AlertasDaJanela::~AlertasDaJanela() {
    delete menu_; // a menu has no parent widget to go with
}

void AlertasDaJanela::MontaBandeja(const QString& urlGestao) {
    menu_ = new QMenu;
    menu_->setObjectName(QStringLiteral("MenuBandeja"));
    connect(menu_->addAction(QStringLiteral("Mostrar a janela")), &QAction::triggered, this,
            &AlertasDaJanela::janelaPedida);
    connect(menu_->addAction(QStringLiteral("Abrir a página de gestão de pedidos")), &QAction::triggered,
            this, [urlGestao] { platform::OpenUrl(urlGestao.toStdString()); });
    connect(menu_->addAction(QStringLiteral("Pausar os alertas por 15 minutos")), &QAction::triggered, this,
            &AlertasDaJanela::Pausa);

    bandeja_ = new QSystemTrayIcon(this);
    bandeja_->setObjectName(QStringLiteral("BandejaDoSistema"));
    bandeja_->setContextMenu(menu_);
    connect(bandeja_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason motivo) {
        if (motivo == QSystemTrayIcon::Trigger || motivo == QSystemTrayIcon::DoubleClick) {
            emit janelaPedida();
        }
    });
    connect(bandeja_, &QSystemTrayIcon::messageClicked, this, &AlertasDaJanela::janelaPedida);
    bandeja_->show();
}

void AlertasDaJanela::DefinePreferencias(bool alertas, bool som) {
    alertas_ = alertas;
    som_ = som;
    if (!alertas_) {
        faixa_->hide();
    }
}

void AlertasDaJanela::Pedidos(const std::vector<store::Pedido>& rows, bool automatico,
                              const std::map<std::string, std::string>& retidos) {
    central_.Pedidos(rows, automatico, Agora(), retidos);
    Atualiza();
}

void AlertasDaJanela::Sincronizou(int resultado, const QString& text) {
    central_.Sincronizou(static_cast<cycle::Sincronizacao>(resultado), text.toStdString(), Agora());
    Atualiza();
}

void AlertasDaJanela::Respondida(qlonglong id, const QString& idPedido, int outcome, const QString& text) {
    central_.Solicitacao(id, idPedido.toStdString(), static_cast<courier::RequestOutcome>(outcome),
                         text.toStdString(), Agora());
    Atualiza();
}

void AlertasDaJanela::Olhou() {
    central_.Olhou();
    if (!central_.AlgumaAberta()) {
        faixa_->hide();
    }
    Atualiza();
}

void AlertasDaJanela::Pausa() {
    central_.Pausa(Agora() + kPausa);
}

void AlertasDaJanela::Encerra() {
    TimerAlertas->stop();
    if (bandeja_) {
        bandeja_->hide();
    }
}

void AlertasDaJanela::Mostra() {
    if (!alertas_) {
        return; // switched off: the open alerts wait, and come if the operator switches them on
    }
    const std::vector<cycle::AlertaDevida> devidas = central_.Devidas(Agora());
    if (devidas.empty()) {
        return;
    }
    const QString titulo = Q(devidas.front().titulo);
    QStringList textos;
    for (const cycle::AlertaDevida& alerta : devidas) {
        textos << Q(alerta.texto);
    }
    if (bandeja_) {
        bandeja_->showMessage(titulo, textos.join(QLatin1Char('\n')), QSystemTrayIcon::Warning,
                              kNotificacaoMs);
    } else {
        // The line has room for one alert; the others wait for the next minute or the tray.
        faixa_->setText(textos.size() == 1
                            ? textos.front()
                            : textos.front() + QStringLiteral(" (+%1)").arg(textos.size() - 1));
        faixa_->show();
        faixa_->raise();
        faixaDesde_ = Agora();
    }
    if (som_ && !platform::PlayAlertSound()) {
        QApplication::beep();
    }
    // Shown in a window the operator is looking at, it has been seen.
    if (janela_->isActiveWindow()) {
        central_.Olhou();
    }
    Atualiza();
}

void AlertasDaJanela::Atualiza() {
    // The line stays a minute at least, and goes once nothing it told of is still open.
    if (!central_.AlgumaAberta() && Agora() - faixaDesde_ >= cycle::CentralDeAlertas::kRepeticao) {
        faixa_->hide();
    }
    const auto estado = central_.Estado();
    if (bandeja_ && static_cast<int>(estado) != estadoMostrado_) {
        estadoMostrado_ = static_cast<int>(estado);
        bandeja_->setIcon(IconeDoPrograma(estado));
        bandeja_->setToolTip(janela_->windowTitle()); // the caption is set after the alerts are built
    }
}

} // namespace brisko::ui
