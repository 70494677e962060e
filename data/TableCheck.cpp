#include "data/TableCheck.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "data/Compression.h"
#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "data/engine/Dbf.h"
#include "data/engine/FileSystem.h"

namespace cbk {
namespace {

// The widest header a table can have: 32 bytes, 2,000 fields of 32 and the terminator.
constexpr std::size_t kMaxHeader = 65536;

const char* typeName(char type) {
    switch (type) {
        case 'C':
            return "text";
        case 'N':
        case 'F':
            return "numeric";
        case 'D':
            return "date";
        case 'L':
            return "logical";
        default:
            return "unknown";
    }
}

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool fail(std::string* message, std::string text) {
    if (message) *message = std::move(text);
    return false;
}

// Float fields hold numbers just as numeric ones do.
bool typeFits(char have, char need) {
    return have == need || (need == 'N' && have == 'F');
}

}  // namespace

// What the program reads of a data table, as the catalogue gives it.
static std::vector<FieldNeed> NeedsOf(const TableSpec& table) {
    std::vector<FieldNeed> needs;
    for (const FieldSpec& f : table.fields)
        if (f.needLen > 0) needs.push_back({f.name, f.type, f.needLen, f.dec, f.exact});
    return needs;
}

const std::vector<FieldNeed>& FieldsNeeded(std::string_view table) {
    static const std::vector<FieldNeed> payments = {
        {"PDATE", 'D', 8}, {"PAMT", 'N', 1}, {"IVNO", 'C', 1}};
    static const std::vector<FieldNeed> oldExpenses = {
        {"EXPDATE", 'D', 8}, {"CHECKNO", 'N', 1}, {"ACCNO", 'N', 1}, {"FOLNO", 'N', 1},
        {"PAYTO", 'C', 1},   {"EMEMO", 'C', 1},   {"AMOUNT", 'N', 1}};
    static const std::vector<FieldNeed> oldIncome = {{"INCDATE", 'D', 8},
                                                     {"INCDESC", 'C', 1},
                                                     {"INCAMT", 'N', 1},
                                                     {"FOLNO", 'N', 1},
                                                     {"INCIMP", 'L', 1}};
    static const std::vector<FieldNeed> none;
    static const auto dataTables = [] {
        std::vector<std::pair<const TableSpec*, std::vector<FieldNeed>>> all;
        for (const TableSpec& spec : TableCatalogue()) all.emplace_back(&spec, NeedsOf(spec));
        return all;
    }();
    if (const TableSpec* spec = FindTable(table)) {
        for (const auto& [have, needs] : dataTables)
            if (have == spec) return needs;
    }
    auto is = [&](const char* name) {
        return table.size() == std::strlen(name) &&
               ::strncasecmp(table.data(), name, table.size()) == 0;
    };
    if (is("PMT")) return payments;
    if (is("EXP3")) return oldExpenses;
    if (is("INC3")) return oldIncome;
    return none;
}

bool CheckTableLayout(const std::string& path, const std::vector<FieldNeed>& needs,
                      std::string* message) {
    std::string file = baseName(path);
    engine::FileSystem& fs = DataFileSystem();
    std::unique_ptr<engine::File> f;
    int err = fs.open(path, engine::OpenMode::ReadOnly, f);
    if (err == ENOENT) return fail(message, file + " was not found");
    if (err) return fail(message, file + " cannot be read: " + std::strerror(err));
    std::uint64_t size = 0;
    std::string head;
    std::size_t got = 0;
    if (file.ends_with(kCompressedSuffix)) {
        // A compressed backup: the header is the start of what it decompresses to.
        err = DecompressedHead(*f, kMaxHeader, head, size);
        if (err == EBADMSG) return fail(message, file + std::string(kDamagedFile));
        got = head.size();
    } else {
        err = f->size(size);
        head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxHeader)));
        if (!err) err = f->read(0, head.data(), head.size(), got);
    }
    if (err) return fail(message, file + " cannot be read: " + std::strerror(err));

    engine::DbfLayout layout;
    std::string why;
    if (engine::parseDbfHeader(head.data(), got, size, layout, &why) != 0)
        return fail(message, file + " is not a dBASE table (" + why + ")");

    const std::string invalid = file + " is not a valid Cantabook data file: field ";
    for (const auto& need : needs) {
        auto it = std::find_if(layout.fields.begin(), layout.fields.end(), [&](const auto& l) {
            return ::strcasecmp(l.name.c_str(), need.name.c_str()) == 0;
        });
        if (it == layout.fields.end()) return fail(message, invalid + need.name + " is missing");
        if (!typeFits(it->type, need.type))
            return fail(message, invalid + need.name + " is " + typeName(it->type) + " (type " +
                                     std::string(1, it->type) + "), not " + typeName(need.type));
        if (need.exactLen && it->len != need.minLen)
            return fail(message, invalid + need.name + " is " + std::to_string(it->len) +
                                     " characters wide, not " + std::to_string(need.minLen));
        if (it->len < need.minLen)
            return fail(message, invalid + need.name + " is " + std::to_string(it->len) +
                                     " characters wide, at least " + std::to_string(need.minLen) +
                                     " are needed");
        if (it->dec < need.minDec)
            return fail(message, invalid + need.name + " has " + std::to_string(it->dec) +
                                     " decimals, at least " + std::to_string(need.minDec) +
                                     " are needed");
    }
    return true;
}

}  // namespace cbk
