#pragma once
// The order cards (DBCtrlGrid1): a list view over the order rows with a delegate that paints each
// card and handles the courier button and the marketplace logo.
#include "Pedidos.h"

#include <QListView>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace brisko::ui {

class OrderCardModel;

class OrderCardGrid : public QListView {
    Q_OBJECT
public:
    explicit OrderCardGrid(QWidget* parent = nullptr);

    // Replaces the rows (the order list query's result, in its order). Keeps no current row by
    // itself: the refresh restores it by ID with SelectId / SelectLast.
    void SetOrders(std::vector<store::Pedido> rows);
    int RowCount() const;

    // Automatic scheduling on: pictures show the state only and the courier button does nothing.
    void SetAutomatic(bool on);
    // The orders the fee ceiling holds (IDPEDIDO to fee): their cards say so, with the fee.
    void SetHeld(std::map<std::string, std::string> fees);

    long long CurrentId() const; // 0 when the list has no row
    bool SelectId(long long id); // exact match; false (and nothing changes) when absent
    void SelectLast();           // the last row becomes current and the list shows its end
    void MoveCurrent(int rows);  // negative: towards earlier rows (the mouse wheel)

    // The card's date line ("🕗 " + dd/mm/yyyy hh:nn:ss, or the stored text when unreadable).
    static QString DateLine(const std::string& datahora);

signals:
    // Courier button of an active card (automatic scheduling off); the row is the list's current row.
    void courierRequested(const brisko::store::Pedido& row, const QString& dateLine);
    void logoClicked();

protected:
    // One row per full 120 units of wheel movement: away from the user towards the first row.
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MakeCurrent(int row);
    void OnCourierClicked(const QModelIndex& index);

    OrderCardModel* model_ = nullptr;
};

} // namespace brisko::ui
