#include "data/TableSession.h"

#include "data/Database.h"

namespace cbk {

TableSession::TableSession(std::initializer_list<std::string_view> tables)
    : TableSession(std::span<const std::string_view>(tables.begin(), tables.size())) {}

TableSession::TableSession(std::span<const std::string_view> tables) {
    for (std::string_view name : tables) OpenTableNamed(name);
}

TableSession::~TableSession() {
    CloseAllTables();
}

int TakeEngineError() {
    return cb == nullptr ? 0 : engine::code4errorCode(cb, 0);
}

}  // namespace cbk
