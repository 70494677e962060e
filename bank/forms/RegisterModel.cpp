#include "bank/forms/RegisterModel.h"

#include "bank/forms/BankText.h"

namespace cbk {

void RegisterModel::Reset(bank::Register reg) {
    beginResetModel();
    reg_ = std::move(reg);
    cachedRow_ = -1;
    endResetModel();
}

int RegisterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(reg_.rows.size());
}

int RegisterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant RegisterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= reg_.rows.size()) return {};
    const bank::RegisterRow& row = reg_.rows[std::size_t(index.row())];
    if (role == Qt::TextAlignmentRole)
        return index.column() >= Payment && index.column() != Cleared
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case Date:
            return bankforms::DateShown(row.date);
        case Payment:
            return row.amount < 0 ? bankforms::Money(-row.amount) : QString();
        case Deposit:
            return row.amount > 0 ? bankforms::Money(row.amount) : QString();
        case Cleared:
            return row.reconciled ? QStringLiteral("R")
                   : row.cleared  ? QStringLiteral("c")
                                  : QString();
        case Balance:
            return bankforms::Money(row.balance);
        default:
            break;
    }
    if (cachedRow_ != index.row()) {
        cached_ = bank::ReadRowText(row);
        cachedRow_ = index.row();
    }
    if (index.column() == CheckNo) return QString::fromStdString(cached_.checkNo);
    QString payee = QString::fromStdString(cached_.payee);
    if (!cached_.memo.empty())
        payee += QStringLiteral(" — ") + QString::fromStdString(cached_.memo);
    return payee;
}

QVariant RegisterModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* titles[] = {
        "Date", "Check No", "Paid to / Description", "Payment", "Deposit", "C", "Balance"};
    return section >= 0 && section < Columns ? QString::fromLatin1(titles[section]) : QVariant();
}

}  // namespace cbk
