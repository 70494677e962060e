#include "maintenance/CommandReports.h"

#include <utility>

#include "data/Books.h"
#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "maintenance/Recovery.h"

namespace maintenance {

namespace {

std::string Counted(long n, const char* record) {
    return std::to_string(n) + " " + record + (n == 1 ? "" : "s");
}

// The table opened alone, without its indexes (they may be built afresh only later).
template <typename Walk>
long Opened(const char* name, Walk walk) {
    cbk::EngineWork work;
    engine::Data4* table = cbk::OpenBare(name);
    long n = -1;
    if (table != nullptr) {
        n = walk(table);
        engine::d4close(table);
    }
    return n;
}

long LiveRecords(const char* name) {
    return Opened(name, [](engine::Data4* t) {
        long n = 0;
        for (int rc = engine::d4top(t); rc == engine::r4success; rc = engine::d4skip(t, 1))
            if (!engine::d4deleted(t)) ++n;
        return n;
    });
}

long AllRecords(const char* name) {
    return Opened(name, [](engine::Data4* t) { return engine::d4recCount(t); });
}

// The counted tables in report order: expenses, income, then the accounts and folders.
std::vector<const cbk::TableSpec*> CountedTables() {
    std::vector<const cbk::TableSpec*> tables;
    for (const char* name : {"EXP5", "INC5", "ACC", "ACCI", "FOLDER"})
        if (const cbk::TableSpec* spec = cbk::FindTable(name); spec && spec->policy.record)
            tables.push_back(spec);
    return tables;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

}  // namespace

std::string RestoreReport(const std::string& directory, const std::vector<std::string>& tables) {
    std::vector<std::string> counts;
    for (const cbk::TableSpec* spec : CountedTables())
        counts.push_back(Counted(LiveRecords(spec->name), spec->policy.record));
    return "Restored from " + directory + ": " + Joined(tables) + ".\r\n" + Joined(counts) + ".";
}

std::string PackCommand(bool keepDeleted) {
    std::vector<std::pair<const cbk::TableSpec*, long>> before;
    for (const cbk::TableSpec* spec : CountedTables())
        if (spec->packStep > 0) before.emplace_back(spec, AllRecords(spec->name));
    PackDataFiles(keepDeleted);
    long total = 0;
    std::vector<std::string> removed;
    for (const auto& [spec, had] : before) {
        const long gone = had - AllRecords(spec->name);
        if (had < 0 || gone <= 0) continue;
        total += gone;
        removed.push_back(Counted(gone, spec->policy.record));
    }
    if (total == 0) return "The pack found no deleted records.";
    return "The pack removed " + Counted(total, "deleted record") + ": " + Joined(removed) + ".";
}

}  // namespace maintenance
