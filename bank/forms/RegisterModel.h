#pragma once

// The register as a table model over its rows (record numbers with their amounts and
// balances): a cell's text is read from its record only when it is shown, as the pick lists do.
// The record tables must stay open while the model is shown.

#include <QAbstractTableModel>

#include "bank/Register.h"

namespace cbk {

class RegisterModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Date, CheckNo, Payee, Payment, Deposit, Cleared, Balance, Columns };

    explicit RegisterModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void Reset(bank::Register reg);
    const bank::Register& reg() const { return reg_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    bank::Register reg_;
    // The last row read, so that the columns of one row read its record once.
    mutable long cachedRow_ = -1;
    mutable bank::RowText cached_;
};

}  // namespace cbk
