#include "DayReportBar.h"

#include "Database.h"
#include "PlainText.h"
#include "RelatorioDia.h"

#include <QApplication>
#include <QDate>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSaveFile>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>
#include <string>

namespace brisko::ui {

namespace {

std::string Today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
}

} // namespace

DayReportBar::DayReportBar(QWidget* banner, std::function<store::Database&()> banco)
    : QWidget(banner), banco_(std::move(banco)) {
    setObjectName(QStringLiteral("BarraRelatorioDia"));
    // The button over the summary, both at the right edge, clear of the banner's centred logo.
    auto* row = new QVBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    LabelResumoDia = Named(PlainLabel(), "LabelResumoDia");
    BotaoRelatorioDia = Named(new QToolButton, "BotaoRelatorioDia");
    BotaoRelatorioDia->setText(QStringLiteral("📄 Relatório do dia"));
    BotaoRelatorioDia->setAutoRaise(true);
    LabelResumoDia->setAlignment(Qt::AlignRight);
    QFont small = LabelResumoDia->font();
    small.setPixelSize(11);
    LabelResumoDia->setFont(small);
    row->addWidget(BotaoRelatorioDia, 0, Qt::AlignRight);
    row->addWidget(LabelResumoDia);
    connect(BotaoRelatorioDia, &QToolButton::clicked, this, &DayReportBar::Exporta);
    banner->installEventFilter(this);
    Posiciona();
}

void DayReportBar::Atualiza() {
    try {
        const store::ResumoDia r = store::Resume(store::RelatorioDoDia(banco_(), Today()));
        LabelResumoDia->setText(QStringLiteral("Hoje: %1 pedidos · %2 solicitados · %3 falhas · %4 retidos")
                                    .arg(r.pedidos)
                                    .arg(r.solicitados)
                                    .arg(r.falhas)
                                    .arg(r.retidos));
    } catch (const std::exception&) {
        return; // the summary is a convenience: the list refresh reports the database's troubles
    }
    Posiciona();
}

void DayReportBar::Exporta() {
    const std::string dia = Today();
    const QString file = QFileDialog::getSaveFileName(
        window(), QStringLiteral("Relatório do dia"),
        QStringLiteral("relatorio-%1.csv").arg(QString::fromStdString(dia)), QStringLiteral("CSV (*.csv)"));
    if (file.isEmpty()) {
        return;
    }
    QString problem;
    try {
        const std::string csv = store::RelatorioCsv(store::RelatorioDoDia(banco_(), dia));
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
            !out.commit()) {
            problem = out.errorString();
        }
    } catch (const std::exception& e) {
        problem = QString::fromUtf8(e.what());
    }
    if (!problem.isEmpty()) {
        ShowPlainMessage(window(), QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                         QStringLiteral("Relatório não gravado: ") + problem);
    }
}

bool DayReportBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        Posiciona();
    }
    return QWidget::eventFilter(watched, event);
}

void DayReportBar::Posiciona() {
    adjustSize();
    const QWidget* banner = parentWidget();
    move(banner->width() - width() - 4, 4);
}

} // namespace brisko::ui
