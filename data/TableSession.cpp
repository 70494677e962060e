#include "data/TableSession.h"

#include "data/Database.h"

namespace cbk {

TableSession::TableSession(std::initializer_list<std::string_view> tables, Closes closes)
    : TableSession(std::span<const std::string_view>(tables.begin(), tables.size()), closes) {}

TableSession::TableSession(std::span<const std::string_view> tables, Closes closes) {
    if (closes == Closes::Own) own_.assign(tables.begin(), tables.end());
    for (std::string_view name : tables) OpenTableNamed(name);
}

TableSession::~TableSession() {
    if (own_.empty()) {
        CloseAllTables();
        return;
    }
    for (auto name = own_.rbegin(); name != own_.rend(); ++name) CloseTableNamed(*name);
}

int TakeEngineError() {
    return cb == nullptr ? 0 : engine::code4errorCode(cb, 0);
}

}  // namespace cbk
