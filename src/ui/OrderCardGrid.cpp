#include "OrderCardGrid.h"

#include "LocalTime.h"
#include "OrderCardDelegate.h"
#include "OrderCardModel.h"
#include "TextoLegivel.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace brisko::ui {

namespace {

constexpr int kVisibleCards = 4;
constexpr int kWheelStep = 120;

} // namespace

OrderCardGrid::OrderCardGrid(QWidget* parent) : QListView(parent), model_(new OrderCardModel(this)) {
    setObjectName(QStringLiteral("DBCtrlGrid1"));
    setModel(model_);
    auto* delegate = new OrderCardDelegate(this);
    setItemDelegate(delegate);
    connect(delegate, &OrderCardDelegate::courierClicked, this, &OrderCardGrid::OnCourierClicked);
    connect(delegate, &OrderCardDelegate::logoClicked, this, &OrderCardGrid::logoClicked);

    setFrameShape(QFrame::NoFrame);
    setSpacing(0);
    setResizeMode(QListView::Adjust);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setMinimumHeight(kVisibleCards * OrderCardDelegate::kCardHeight);
    verticalScrollBar()->installEventFilter(this);
}

void OrderCardGrid::SetOrders(std::vector<store::Pedido> rows) {
    model_->SetOrders(std::move(rows));
}

int OrderCardGrid::RowCount() const {
    return model_->rowCount();
}

void OrderCardGrid::SetHeld(std::map<std::string, std::string> fees) {
    model_->SetHeld(std::move(fees));
}

void OrderCardGrid::SetAutomatic(bool on) {
    model_->SetAutomatic(on);
}

long long OrderCardGrid::CurrentId() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? model_->Order(current.row()).ID : 0;
}

bool OrderCardGrid::SelectId(long long id) {
    const int row = model_->RowOf(id);
    if (row < 0) {
        return false;
    }
    MakeCurrent(row);
    return true;
}

void OrderCardGrid::SelectLast() {
    if (RowCount() == 0) {
        return;
    }
    MakeCurrent(RowCount() - 1);
    scrollToBottom();
}

void OrderCardGrid::MoveCurrent(int rows) {
    if (RowCount() == 0) {
        return;
    }
    const QModelIndex current = currentIndex();
    const int from = current.isValid() ? current.row() : 0;
    MakeCurrent(std::clamp(from + rows, 0, RowCount() - 1));
}

QString OrderCardGrid::DateLine(const std::string& datahora) {
    // An unreadable date keeps the stored text, so the operator still sees what arrived.
    const std::optional<LocalDateTime> moment = ParseIsoDateTime(datahora);
    return QStringLiteral("🕗 ") +
           (moment ? QString::fromStdString(FormatBrDateTime(*moment)) : TextoLegivel(datahora));
}

void OrderCardGrid::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    const int rows = std::abs(delta) / kWheelStep;
    MoveCurrent(delta > 0 ? -rows : rows);
    event->accept();
}

bool OrderCardGrid::eventFilter(QObject* watched, QEvent* event) {
    // The scroll bar is part of the grid: the wheel over it moves the current card as well, rather
    // than scrolling the cards away from it.
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QListView::eventFilter(watched, event);
}

void OrderCardGrid::MakeCurrent(int row) {
    const QModelIndex index = model_->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void OrderCardGrid::OnCourierClicked(const QModelIndex& index) {
    MakeCurrent(index.row());
    // A copy: the receiver may refresh the list while its dialog is open.
    const store::Pedido row = model_->Order(index.row());
    emit courierRequested(row, DateLine(row.DATAHORA));
}

} // namespace brisko::ui
