#include "books/NewBooks.h"

#include <algorithm>
#include <vector>

#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "data/TableCheck.h"
#include "data/engine/FileSystem.h"

namespace books {

namespace {

cbk::TableSeed MakeStarterChart() {
    cbk::TableSeed seed;
    // Deductible: the ordinary costs of running the business. Not deductible: what is paid
    // privately, fines, political gifts and entertainment. The books have no equity side, so
    // money the owner takes out or puts in has no account here: as an expense or as income it
    // would change the profit, which it is no part of.
    seed.expenseAccounts = {{100, "Advertising", true},
                            {110, "Bank Charges", true},
                            {120, "Car and Truck", true},
                            {130, "Contract Labor", true},
                            {140, "Dues and Subscriptions", true},
                            {150, "Equipment Rental", true},
                            {160, "Insurance", true},
                            {170, "Interest", true},
                            {180, "Legal and Professional Fees", true},
                            {190, "Meals", true},
                            {200, "Office Supplies", true},
                            {210, "Postage and Shipping", true},
                            {220, "Rent", true},
                            {230, "Repairs and Maintenance", true},
                            {240, "Software", true},
                            {250, "Supplies", true},
                            {260, "Taxes and Licenses", true},
                            {270, "Telephone and Internet", true},
                            {280, "Travel", true},
                            {290, "Utilities", true},
                            {300, "Wages", true},
                            {410, "Personal Expenses", false},
                            {420, "Fines and Penalties", false},
                            {430, "Entertainment", false},
                            {440, "Political Contributions", false}};
    // Taxable: what the business earns.
    seed.incomeAccounts = {{10, "Sales", true},
                           {20, "Fees for Services", true},
                           {30, "Interest Income", true},
                           {40, "Other Income", true}};
    seed.folders = {{1, "General", false}};
    return seed;
}

}  // namespace

const cbk::TableSeed& StarterChart() {
    static const cbk::TableSeed chart = MakeStarterChart();
    return chart;
}

std::string AnyTableIn(const std::string& dir) {
    for (const cbk::TableSpec& table : cbk::TableCatalogue()) {
        const std::string file = std::string(table.name) + ".dbf";
        if (engine::fileExists(cbk::DataFileSystem(), dir, file)) return file;
    }
    return {};
}

bool HoldsBooks(const std::string& dir) {
    for (const cbk::TableSpec& table : cbk::TableCatalogue())
        if (!engine::fileExists(cbk::DataFileSystem(), dir, std::string(table.name) + ".dbf"))
            return false;
    return true;
}

bool CreateNewBooks(const std::string& dir, std::string* message, const std::string& company) {
    const std::string existing = AnyTableIn(dir);
    if (!existing.empty()) {
        if (message != nullptr)
            *message = "The folder " + dir + " already holds books (" + existing +
                       "). Open them, or choose another folder for new books.";
        return false;
    }
    // The folder held none of the tables, so whatever a failed making leaves behind is its
    // own: it is taken away again, so that the folder can be used once the fault is mended.
    engine::FileSystem& fs = cbk::DataFileSystem();
    std::vector<std::string> before;
    fs.list(dir, before);
    cbk::TableSeed seed = StarterChart();
    seed.company = company;
    if (cbk::MakeSeededTables(dir, seed, message) == 0) return true;
    std::vector<std::string> after;
    fs.list(dir, after);
    for (const std::string& name : after)
        if (std::find(before.begin(), before.end(), name) == before.end())
            fs.remove(engine::resolvePath(fs, dir, name));
    return false;
}

bool CheckBooksFolder(const std::string& dir, std::string* message) {
    for (const cbk::TableSpec& table : cbk::TableCatalogue()) {
        const std::string file = std::string(table.name) + ".dbf";
        if (!engine::fileExists(cbk::DataFileSystem(), dir, file)) {
            if (message != nullptr)
                *message = "The folder " + dir + " does not hold Cantabook books: " + file +
                           " is not there.";
            return false;
        }
        std::string fault;
        const std::string path = engine::resolvePath(cbk::DataFileSystem(), dir, file);
        if (!cbk::CheckTableLayout(path, cbk::FieldsNeeded(table.name), &fault)) {
            if (message != nullptr)
                *message = "The folder " + dir + " does not hold sound Cantabook books: " + fault;
            return false;
        }
    }
    return true;
}

}  // namespace books
