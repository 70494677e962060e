#include "data/TableCheck.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

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

const std::vector<FieldNeed>& FieldsNeeded(std::string_view table) {
    static const std::vector<FieldNeed> settings = {
        {"FYMONTH", 'N', 2}, {"FYDAY", 'N', 2}, {"FONTNAME", 'C', 1}, {"FONTSIZE", 'N', 1}};
    static const std::vector<FieldNeed> accounts = {
        {"ACCNO", 'N', 4}, {"ACDESC", 'C', 30}, {"ACDED", 'L', 1}};
    // The default-folder list takes the first four characters of the number's text.
    static const std::vector<FieldNeed> folders = {{"FOLNO", 'N', 4, 0, true},
                                                   {"FOLNAME", 'C', 30}};
    static const std::vector<FieldNeed> expenses = {
        {"EXPDATE", 'D', 8}, {"CHECKNO", 'N', 8},    {"ACCNO", 'N', 4},  {"FOLNO", 'N', 4},
        {"PAYTO", 'C', 30},  {"AMOUNT", 'N', 10, 2}, {"EMEMO", 'C', 30}, {"ARCHIVE", 'L', 1}};
    static const std::vector<FieldNeed> income = {
        {"INCACC", 'N', 4},     {"INCIMP", 'L', 1}, {"INCDATE", 'D', 8}, {"INCDESC", 'C', 30},
        {"INCAMT", 'N', 10, 2}, {"FOLNO", 'N', 4},  {"ARCHIVE", 'L', 1}};
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
    auto is = [&](const char* name) {
        return table.size() == std::strlen(name) &&
               ::strncasecmp(table.data(), name, table.size()) == 0;
    };
    if (is("CBK1")) return settings;
    if (is("ACC") || is("ACCI")) return accounts;
    if (is("FOLDER")) return folders;
    if (is("EXP5")) return expenses;
    if (is("INC5")) return income;
    if (is("PMT")) return payments;
    if (is("EXP3")) return oldExpenses;
    if (is("INC3")) return oldIncome;
    return none;
}

bool CheckTableLayout(const std::string& path, const std::vector<FieldNeed>& needs,
                      std::string* message) {
    std::string file = baseName(path);
    engine::FileSystem& fs = engine::posixFileSystem();
    std::unique_ptr<engine::File> f;
    int err = fs.open(path, engine::OpenMode::ReadOnly, f);
    if (err == ENOENT) return fail(message, file + " was not found");
    if (err) return fail(message, file + " cannot be read: " + std::strerror(err));
    std::uint64_t size = 0;
    err = f->size(size);
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxHeader)), '\0');
    std::size_t got = 0;
    if (!err) err = f->read(0, head.data(), head.size(), got);
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
