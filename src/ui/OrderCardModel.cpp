#include "OrderCardModel.h"

#include "OrderCardGrid.h"
#include "TetoTaxa.h"
#include "TextoLegivel.h"

#include <optional>

namespace brisko::ui {

namespace {

QString Line(const char* prefix, const std::string& value) {
    return QString::fromUtf8(prefix) + TextoLegivel(value);
}

} // namespace

OrderCardModel::OrderCardModel(QObject* parent) : QAbstractListModel(parent) {}

void OrderCardModel::SetOrders(std::vector<store::Pedido> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void OrderCardModel::SetAutomatic(bool on) {
    if (automatic_ == on) {
        return;
    }
    automatic_ = on;
    if (!rows_.empty()) {
        emit dataChanged(index(0), index(rowCount() - 1), {CourierPictureRole, CourierActiveRole});
    }
}

void OrderCardModel::SetHeld(std::map<std::string, std::string> fees) {
    if (held_ == fees) {
        return;
    }
    held_ = std::move(fees);
    if (!rows_.empty()) {
        emit dataChanged(index(0), index(rowCount() - 1), {HeldLineRole});
    }
}

QString OrderCardModel::HeldLine(const store::Pedido& row) const {
    const auto held = held_.find(row.IDPEDIDO);
    if (held == held_.end() || !row.ID_MCH.empty()) {
        return {};
    }
    const std::optional<long long> fee = store::Centavos(held->second);
    return QStringLiteral("RETIDO R$ ") + TextoLegivel(fee ? store::Reais(*fee) : held->second);
}

int OrderCardModel::RowOf(long long id) const {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].ID == id) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int OrderCardModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

CardPicture OrderCardModel::CourierPicture(const store::Pedido& row) const {
    if (!row.ID_MCH.empty()) {
        return CardPicture::Ok;
    }
    return automatic_ ? CardPicture::Solicitando : CardPicture::Entregador4;
}

QVariant OrderCardModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const store::Pedido& row = Order(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case OrderLineRole:
        return Line("🧾 ", row.IDPEDIDO);
    case DateLineRole:
        return OrderCardGrid::DateLine(row.DATAHORA);
    case ClientLineRole:
        return Line("👤 ", row.CLIENTE);
    case AddressLineRole:
        return Line("📍 ", row.ENDERECO);
    case CourierPictureRole:
        return static_cast<int>(CourierPicture(row));
    case CourierActiveRole:
        return !automatic_;
    case IdRole:
        return static_cast<qlonglong>(row.ID);
    case HeldLineRole:
        return HeldLine(row);
    default:
        return {};
    }
}

} // namespace brisko::ui
