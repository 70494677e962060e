#include "records/forms/PickGrid.h"

#include <QHeaderView>

namespace cbk {

namespace {
// A few screens of rows; past that the texts read first are dropped all at once.
constexpr std::size_t kCachedRows = 512;
}  // namespace

PickListModel::PickListModel(QObject* parent) : QAbstractTableModel(parent) {}

void PickListModel::setColumns(std::vector<Column> columns, RowReader reader) {
    beginResetModel();
    columns_ = std::move(columns);
    reader_ = std::move(reader);
    cache_.clear();
    endResetModel();
}

void PickListModel::setRows(std::vector<std::uint32_t> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void PickListModel::forget() {
    cache_.clear();
}

const QStringList& PickListModel::cells(std::uint32_t recNo) const {
    auto it = cache_.find(recNo);
    if (it != cache_.end()) return it->second;
    if (cache_.size() >= kCachedRows) cache_.clear();
    QStringList texts = reader_ ? reader_(recNo) : QStringList();
    texts << QString::number(recNo);
    return cache_.emplace(recNo, std::move(texts)).first->second;
}

QString PickListModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
    const QStringList& texts = cells(rows_[std::size_t(row)]);
    return column < texts.size() ? texts[column] : QString();
}

int PickListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int PickListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant PickListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && columns_[std::size_t(index.column())].rightAligned)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant PickListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return columns_[std::size_t(section)].header;
    return {};
}

PickGrid::PickGrid(QWidget* parent) : QTableView(parent), model_(new PickListModel(this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    verticalHeader()->hide();
    // Every row as high as the others, so that a million rows cost the header nothing.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int PickGrid::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PickGrid::setCurrentCell(int row, int column) {
    setCurrentIndex(model_->index(row, column));
}

}  // namespace cbk
