#pragma once
// The order rows behind the cards, and what each card shows, as item roles.
#include "CardArtwork.h"
#include "Pedidos.h"

#include <QAbstractListModel>

#include <map>
#include <string>
#include <vector>

namespace brisko::ui {

class OrderCardModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        OrderLineRole = Qt::UserRole + 1, // "🧾 " + IDPEDIDO (also the display role)
        DateLineRole,                     // "🕗 " + the date as the card shows it
        ClientLineRole,                   // "👤 " + CLIENTE
        AddressLineRole,                  // "📍 " + ENDERECO
        CourierPictureRole,               // int: the CardPicture of the courier button
        CourierActiveRole,                // bool: the courier button opens the dialog
        IdRole,                           // qlonglong: PEDIDOS.ID
        HeldLineRole, // "RETIDO R$ 25,00" when the fee ceiling holds the order; else empty
    };

    explicit OrderCardModel(QObject* parent = nullptr);

    void SetOrders(std::vector<store::Pedido> rows);
    void SetAutomatic(bool on);
    // The fees of the orders the fee ceiling holds, by IDPEDIDO.
    void SetHeld(std::map<std::string, std::string> fees);

    const store::Pedido& Order(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
    int RowOf(long long id) const; // -1 when absent

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    CardPicture CourierPicture(const store::Pedido& row) const;
    QString HeldLine(const store::Pedido& row) const;

    std::vector<store::Pedido> rows_;
    bool automatic_ = false;
    std::map<std::string, std::string> held_;
};

} // namespace brisko::ui
