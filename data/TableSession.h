#pragma once

// A command's tables: opened by their openers when the session starts, every table closed
// (CloseAllTables) when it ends, however the command ends. Work that may run while a command
// holds other tables (the main window's paint, a renumbering walk from an edit form) closes
// only its own (Closes::Own). The engine's pending error is taken as a value by the work's
// scope (EngineWork), so that no caller clears it by hand.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cbk {

class TableSession {
public:
    enum class Closes { All, Own };

    // Opens each table named by its engine name ("EXP5", "ACC", ...) in the order given. A
    // table that cannot be opened ends the program, as its opener does.
    explicit TableSession(std::initializer_list<std::string_view> tables,
                          Closes closes = Closes::All);
    // The same for a list kept elsewhere (a report command's tables).
    explicit TableSession(std::span<const std::string_view> tables, Closes closes = Closes::All);
    ~TableSession();
    TableSession(const TableSession&) = delete;
    TableSession& operator=(const TableSession&) = delete;

private:
    std::vector<std::string> own_;  // empty: every table closes
};

// The engine's pending error (0 when none, negative on a fault), cleared.
int TakeEngineError();

// Work whose engine fault is its own answer (a table opened alone, a side table read or written,
// a pack): the error it leaves pending is taken by Done, as the work's value, and whatever is
// still pending when the scope ends is taken then, so that it ends no later command.
class EngineWork {
public:
    EngineWork() = default;
    ~EngineWork() { TakeEngineError(); }
    EngineWork(const EngineWork&) = delete;
    EngineWork& operator=(const EngineWork&) = delete;

    // The pending error (0 when none, negative on a fault), cleared.
    int Done() { return TakeEngineError(); }
};

}  // namespace cbk
