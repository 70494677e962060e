#pragma once

// The grid of the pick lists: a table view over a model that holds only the record numbers of
// its rows and reads a row's texts when the view shows it.
//
// Rows here are the model's (data rows from 0); the pick lists count from 1 below a heading.

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace cbk {

class PickListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    struct Column {
        QString header;
        int width;
        bool rightAligned = false;
    };
    // The texts of a record's cells but the last; the RecNo column is the model's own.
    using RowReader = std::function<QStringList(std::uint32_t recNo)>;

    explicit PickListModel(QObject* parent = nullptr);

    void setColumns(std::vector<Column> columns, RowReader reader);
    const std::vector<Column>& columns() const { return columns_; }
    void setRows(std::vector<std::uint32_t> rows);
    const std::vector<std::uint32_t>& rows() const { return rows_; }
    // Forgets the texts read so far (the records may have changed).
    void forget();

    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const QStringList& cells(std::uint32_t recNo) const;

    std::vector<Column> columns_;
    RowReader reader_;
    std::vector<std::uint32_t> rows_;
    // The texts of the rows read last: about a few screens of them.
    mutable std::unordered_map<std::uint32_t, QStringList> cache_;
};

class PickGrid : public QTableView {
    Q_OBJECT

public:
    explicit PickGrid(QWidget* parent = nullptr);

    PickListModel* listModel() const { return model_; }
    int rowCount() const { return model_->rowCount(); }
    int columnCount() const { return model_->columnCount(); }
    // The current data row, -1 when none.
    int currentRow() const;
    void setCurrentCell(int row, int column);

private:
    PickListModel* model_;
};

}  // namespace cbk
