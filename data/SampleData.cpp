#include "data/SampleData.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "data/engine/Engine.h"

namespace cbk {

namespace {

using engine::Field4Info;

// In the catalogue's order: CBK1, ACC, ACCI, FOLDER, EXP5, INC5.
const char* const kTables[] = {"CBK1", "ACC", "ACCI", "FOLDER", "EXP5", "INC5"};

struct Folder {
    int no;
    const char* name;
};
const Folder kFolders[] = {{1, "General"},
                           {2, "Main Street Duplex"},
                           {3, "Smith Kitchen Job"},
                           {4, "Oak Avenue Rental"},
                           {5, "Harbor Office Remodel"}};

struct Account {
    int no;
    const char* desc;
    bool ded;
};
const Account kExpenseAccounts[] = {{100, "Advertising", true},
                                    {110, "Auto and Truck", true},
                                    {120, "Bank Charges", true},
                                    {130, "Contract Labor", true},
                                    {140, "Dues and Subscriptions", true},
                                    {150, "Equipment Rental", true},
                                    {160, "Insurance", true},
                                    {170, "Mortgage Interest", true},
                                    {180, "Legal and Professional", true},
                                    {190, "Materials", true},
                                    {200, "Office Supplies", true},
                                    {210, "Permits and Licenses", true},
                                    {220, "Property Taxes", true},
                                    {230, "Repairs and Maintenance", true},
                                    {240, "Small Tools", true},
                                    {250, "Telephone", true},
                                    {270, "Utilities", true},
                                    {280, "Meals and Entertainment", false},
                                    {300, "Owner Draw", false},
                                    {310, "Fines and Penalties", false},
                                    {320, "Personal Expenses", false},
                                    {330, "Political Contributions", false}};
const Account kIncomeAccounts[] = {{10, "Rental Income", true},
                                   {20, "Contract Income", true},
                                   {30, "Interest Income", true},
                                   {40, "Security Deposits Held", false},
                                   {50, "Owner Contributions", false}};

// Deterministic pseudo-random numbers (splitmix64): the same data on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }  // both included
    double cents(int loDollars, int hiDollars) {
        return between(loDollars * 100, hiDollars * 100) / 100.0;
    }
    template <class T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }

private:
    std::uint64_t state_;
};

using Days = std::chrono::sys_days;

// "yyyymmdd" into a buffer of nine characters.
const char* StoredDay(Days day, char (&text)[16]) {
    const std::chrono::year_month_day ymd{day};
    std::snprintf(text, sizeof text, "%04d%02u%02u", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()));
    return text;
}

class TableWriter {
public:
    TableWriter(engine::Data4* table, std::initializer_list<const char*> fieldNames)
        : table_(table) {
        for (const char* name : fieldNames) fields_.push_back(engine::d4field(table, name));
    }
    void append() { engine::d4appendBlank(table_); }
    void text(int i, std::string_view value) { engine::f4assign(fields_[i], value); }
    void integer(int i, long value) { engine::f4assignLong(fields_[i], value); }
    void amount(int i, double value) { engine::f4assignDouble(fields_[i], value); }
    void logical(int i, bool value) { engine::f4assign(fields_[i], value ? "T" : "F"); }
    void date(int i, Days day) {
        char stored[16];
        engine::f4assign(fields_[i], StoredDay(day, stored));
    }

private:
    engine::Data4* table_;
    std::vector<engine::Field4*> fields_;
};

struct Expense {
    Days day;
    long checkNo;
    int acc;
    int fol;
    const char* payTo;
    double amount;
    const char* memo;
};

struct IncomeEntry {
    int acc;
    Days day;
    const char* desc;
    double amount;
    int fol;
};

class ExpenseWriter : TableWriter {
public:
    explicit ExpenseWriter(engine::Data4* t)
        : TableWriter(
              t, {"EXPDATE", "CHECKNO", "ACCNO", "FOLNO", "PAYTO", "AMOUNT", "EMEMO", "ARCHIVE"}) {}
    void add(const Expense& e, bool archive) {
        append();
        date(0, e.day);
        integer(1, e.checkNo);
        integer(2, e.acc);
        integer(3, e.fol);
        text(4, e.payTo);
        amount(5, e.amount);
        text(6, e.memo);
        logical(7, archive);
    }
};

class IncomeWriter : TableWriter {
public:
    explicit IncomeWriter(engine::Data4* t)
        : TableWriter(t, {"INCACC", "INCIMP", "INCDATE", "INCDESC", "INCAMT", "FOLNO", "ARCHIVE"}) {
    }
    void add(const IncomeEntry& e, bool imported, bool archive) {
        append();
        integer(0, e.acc);
        logical(1, imported);
        date(2, e.day);
        text(3, e.desc);
        amount(4, e.amount);
        integer(5, e.fol);
        logical(6, archive);
    }
};

void WriteFolders(engine::Data4* t) {
    TableWriter w(t, {"FOLNO", "FOLNAME"});
    for (const Folder& f : kFolders) {
        w.append();
        w.integer(0, f.no);
        w.text(1, f.name);
    }
}

template <std::size_t N>
void WriteAccounts(engine::Data4* t, const Account (&accounts)[N]) {
    TableWriter w(t, {"ACCNO", "ACDESC", "ACDED"});
    for (const Account& a : accounts) {
        w.append();
        w.integer(0, a.no);
        w.text(1, a.desc);
        w.logical(2, a.ded);
    }
}

// The one settings record: fiscal year from January 1, reports in Arial 10.
void WriteSettings(engine::Data4* t, std::string_view company, std::string_view address) {
    TableWriter w(t, {"FYMONTH", "FYDAY", "FONTNAME", "FONTSIZE", "COMPANY", "ADDRESS"});
    w.append();
    w.integer(0, 1);
    w.integer(1, 1);
    w.text(2, "Arial");
    w.integer(3, 10);
    w.text(4, company);
    w.text(5, address);
}

// Purchases that come at random through the year.
struct Purchase {
    int acc;
    const char* payees[3];
    const char* memos[3];
    int lo, hi;
    int folders[2];  // one of these folders
    bool byCheck;
};
const Purchase kPurchases[] = {
    {190,
     {"Home Depot", "Riverton Lumber", "Ferguson Plumbing"},
     {"Cabinets and hardware", "Drywall and mud", "Copper fittings"},
     40,
     2400,
     {3, 5},
     true},
    {130,
     {"Ace Plumbing", "Bright Electric", "J. Ortiz Drywall"},
     {"Rough-in", "Finish work", "Tape and texture"},
     300,
     3500,
     {3, 5},
     true},
    {110,
     {"Shell", "Chevron", "Valley Tire"},
     {"Fuel", "Truck tires", "Oil change"},
     35,
     480,
     {1, 1},
     false},
    {240,
     {"Harbor Freight", "Northern Tool", "Home Depot"},
     {"Drill bits", "Saw blades", "Ladder"},
     15,
     260,
     {1, 1},
     false},
    {230,
     {"Handy Hardware", "Roto-Rooter", "Handy Hardware"},
     {"Faucet repair", "Drain cleaning", "Door lock"},
     25,
     650,
     {2, 4},
     true},
    {200,
     {"Office Depot", "Staples", "Riverton Post Office"},
     {"Paper and toner", "Binders", "Stamps"},
     12,
     180,
     {1, 1},
     false},
    {280,
     {"Main Street Diner", "Rosa's Cafe", "Main Street Diner"},
     {"Lunch with client", "Crew lunch", "Lunch with supplier"},
     14,
     95,
     {1, 3},
     false},
    {150,
     {"Sunbelt Rentals", "United Rentals", "Sunbelt Rentals"},
     {"Floor sander", "Scaffolding", "Dumpster"},
     60,
     720,
     {3, 5},
     true},
};

// Bills that come every month, on about the same day.
struct Bill {
    int acc;
    const char* payTo;
    const char* memo;
    int day;
    int lo, hi;
    int fol;
};
const Bill kMonthlyBills[] = {
    {270, "Riverton Water & Power", "Water and power", 8, 85, 160, 2},
    {270, "Riverton Water & Power", "Water and power", 8, 60, 120, 4},
    {250, "Pacific Bell", "Office phone", 12, 62, 75, 1},
    {120, "First National Bank", "Service charge", 28, 12, 12, 1},
    {170, "First National Bank", "Duplex mortgage interest", 1, 640, 660, 2},
    {300, "Pat Harbor", "Owner draw", 15, 2500, 2500, 1},
};

// Bills that come once a year, in a given month of the data year (0 = first month).
struct YearlyBill {
    int month;
    int acc;
    const char* payTo;
    const char* memo;
    double amount;
    int fol;
};
const YearlyBill kYearlyBills[] = {
    {0, 140, "Riverton Builders Assn", "Annual dues", 275.00, 1},
    {1, 180, "Baker & Lee CPA", "Tax preparation", 850.00, 1},
    {2, 160, "State Farm", "Liability insurance", 1240.00, 1},
    {2, 210, "Riverton Building Dept", "Kitchen permit", 385.00, 3},
    {3, 220, "Riverton County Treasurer", "Property tax, duplex", 1840.00, 2},
    {3, 220, "Riverton County Treasurer", "Property tax, Oak Ave", 1515.00, 4},
    {4, 100, "Valley Gazette", "Display ad", 325.00, 1},
    {5, 310, "Dept of Motor Vehicles", "Late registration", 45.00, 1},
    {6, 210, "Riverton Building Dept", "Remodel permit", 540.00, 5},
    {8, 160, "State Farm", "Liability insurance", 1240.00, 1},
    {9, 220, "Riverton County Treasurer", "Property tax, duplex", 1840.00, 2},
    {9, 220, "Riverton County Treasurer", "Property tax, Oak Ave", 1515.00, 4},
    {10, 320, "Costco", "Household", 212.47, 1},
    {10, 330, "Friends of Riverton", "Campaign donation", 100.00, 1},
    {11, 100, "Yellow Pages", "Directory listing", 180.00, 1},
};

const IncomeEntry kYearlyIncome[] = {
    // month index in `day`'s place is filled in by WriteExampleIncome
    {50, Days{}, "Owner contribution", 5000.00, 1},
    {40, Days{}, "Oak Ave security deposit", 1400.00, 4},
    {20, Days{}, "Smith kitchen deposit", 4500.00, 3},
    {20, Days{}, "Smith kitchen progress 1", 6500.00, 3},
    {20, Days{}, "Smith kitchen progress 2", 6500.00, 3},
    {20, Days{}, "Smith kitchen final", 3200.00, 3},
    {20, Days{}, "Harbor office deposit", 8000.00, 5},
    {20, Days{}, "Harbor office progress", 9500.00, 5},
    {20, Days{}, "Harbor office final", 5200.00, 5},
};
const int kYearlyIncomeMonth[] = {0, 1, 2, 3, 4, 5, 7, 8, 10};

Days DayOfMonth(std::chrono::year_month ym, int day) {
    const unsigned last = unsigned((ym / std::chrono::last).day());
    return Days{ym / std::chrono::day{std::min<unsigned>(unsigned(day), last)}};
}

// A year of books: the first day of the month eleven months back up to the end of this one.
void WriteExamples(engine::Data4* expenses, engine::Data4* income, Days today) {
    Random random(20260305);
    const std::chrono::year_month_day ymd{today};
    const std::chrono::year_month first =
        std::chrono::year_month{ymd.year(), ymd.month()} - std::chrono::months{11};

    long checkNo = 2101;
    ExpenseWriter exp(expenses);
    IncomeWriter inc(income);
    for (int m = 0; m < 12; ++m) {
        const std::chrono::year_month ym = first + std::chrono::months{m};
        const Days monthStart = DayOfMonth(ym, 1);
        const Days monthEnd = DayOfMonth(ym, 31);
        std::vector<Expense> month;
        for (const Bill& b : kMonthlyBills) {
            // The bank takes its charge; every other bill is paid by check.
            month.push_back({DayOfMonth(ym, b.day), b.acc == 120 ? 0 : 1, b.acc, b.fol, b.payTo,
                             random.cents(b.lo, b.hi), b.memo});
        }
        for (const YearlyBill& b : kYearlyBills) {
            if (b.month == m) {
                month.push_back({DayOfMonth(ym, random.between(3, 25)), 1, b.acc, b.fol, b.payTo,
                                 b.amount, b.memo});
            }
        }
        for (Days d = monthStart; d <= monthEnd; d += std::chrono::days{1}) {
            const bool weekday = std::chrono::weekday{d}.iso_encoding() <= 5;
            if (!weekday || random.below(100) >= 45) continue;
            const Purchase& p = random.pick(kPurchases);
            const int k = random.below(3);
            month.push_back({d, p.byCheck ? 1 : 0, p.acc, p.folders[random.below(2)], p.payees[k],
                             random.cents(p.lo, p.hi), p.memos[k]});
        }
        // Entered in date order within the month, as a bookkeeper catches up monthly.
        std::stable_sort(month.begin(), month.end(),
                         [](const Expense& a, const Expense& b) { return a.day < b.day; });
        for (Expense& e : month) {
            if (e.checkNo != 0) e.checkNo = checkNo++;
            exp.add(e, false);
        }

        inc.add({10, DayOfMonth(ym, 1), "Unit A rent", 1150.00, 2}, false, false);
        inc.add({10, DayOfMonth(ym, 3), "Unit B rent", 1095.00, 2}, false, false);
        inc.add({10, DayOfMonth(ym, 5), "Oak Ave rent", 1400.00, 4}, false, false);
        for (std::size_t i = 0; i < std::size(kYearlyIncome); ++i) {
            if (kYearlyIncomeMonth[i] != m) continue;
            IncomeEntry e = kYearlyIncome[i];
            e.day = DayOfMonth(ym, random.between(6, 26));
            inc.add(e, false, false);
        }
        inc.add({30, monthEnd, "Savings interest", random.cents(3, 9), 1}, false, false);
    }
}

// Large tables for benchmarks: dates drawn at random over ten years, so the file order is
// not the date order.
void WriteGenerated(engine::Data4* expenses, engine::Data4* income, Days today, long count) {
    static const char* const kPayees[] = {"Home Depot",      "Riverton Lumber", "Shell",
                                          "Pacific Bell",    "Staples",         "Ace Plumbing",
                                          "Sunbelt Rentals", "State Farm",      "Costco"};
    static const char* const kMemos[] = {"Materials", "Fuel", "Phone",  "Supplies",
                                         "Labor",     "",     "Rental", "Insurance"};
    static const char* const kIncomeDescs[] = {"Unit A rent", "Unit B rent", "Oak Ave rent",
                                               "Contract payment", "Savings interest"};
    Random random(1000003);
    const int span = 3652;
    const Days first = today - std::chrono::days{span - 1};
    const Days archivedBefore = today - std::chrono::days{5 * 365};

    ExpenseWriter exp(expenses);
    for (long i = 0; i < count; ++i) {
        const Days day = first + std::chrono::days{random.below(span)};
        const Account& a = random.pick(kExpenseAccounts);
        exp.add({day, 10000 + i, a.no, random.between(1, 5), random.pick(kPayees),
                 random.cents(1, 5000), random.pick(kMemos)},
                day < archivedBefore);
    }
    IncomeWriter inc(income);
    for (long i = 0; i < count; ++i) {
        const Days day = first + std::chrono::days{random.below(span)};
        const Account& a = random.pick(kIncomeAccounts);
        inc.add({a.no, day, random.pick(kIncomeDescs), random.cents(1, 9000), random.between(1, 5)},
                random.below(20) == 0, day < archivedBefore);
    }
}

std::string ExistingTable(const std::string& dir) {
    for (const char* table : kTables) {
        const std::string file = std::string(table) + ".dbf";
        if (engine::fileExists(DataFileSystem(), dir, file)) return file;
    }
    return {};
}

// Index files of replaced tables would no longer match them.
void RemoveIndexFiles(const std::string& dir) {
    engine::FileSystem& fs = DataFileSystem();
    for (const TableSpec* table : IndexedTables()) {
        for (const std::string& file : IndexFilesOf(*table)) {
            if (engine::fileExists(fs, dir, file)) fs.remove(engine::resolvePath(fs, dir, file));
        }
    }
}

int Fail(std::string* message, std::string text) {
    if (message != nullptr) *message = std::move(text);
    return 1;
}

// The six tables being made in one directory, in the order of kTables.
struct NewTables {
    std::unique_ptr<engine::Code4> h;
    engine::Data4* tables[std::size(kTables)] = {};
};

// Creates `dir` if needed and the six tables in it, empty and open for writing.
int CreateTables(const std::string& dir, bool force, NewTables& out, std::string* message) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) return Fail(message, "Cannot make the directory " + dir + ": " + ec.message());

    const std::string existing = ExistingTable(dir);
    if (!existing.empty() && !force) {
        return Fail(message,
                    dir + " already holds " + existing + "; use --force to replace the tables");
    }
    if (force) RemoveIndexFiles(dir);

    out.h = engine::code4init(DataFileSystem(), dir);
    if (out.h == nullptr) return Fail(message, "The table engine did not start");
    engine::Code4* h = out.h.get();
    engine::code4optimizeWrite(h, 1);  // generated records: gather the appends
    engine::code4safety(h, 0);
    engine::code4accessMode(h, 1);
    for (std::size_t i = 0; i < std::size(kTables); ++i) {
        out.tables[i] = engine::d4create(h, kTables[i], CreateFields(*FindTable(kTables[i])));
        if (out.tables[i] == nullptr || engine::code4errorCode(h, 0) < 0) {
            const std::string why = engine::code4errorText(h);
            engine::code4initUndo(h);
            return Fail(message, "Cannot create " + std::string(kTables[i]) + ".dbf in " + dir +
                                     (why.empty() ? "" : ": " + why));
        }
    }
    return 0;
}

// Builds the index and group files when asked, closes the tables and releases the engine.
int CloseTables(NewTables& made, bool indexes, const std::string& dir, std::string* message) {
    engine::Code4* h = made.h.get();
    if (indexes) {
        for (std::size_t i = 1; i < std::size(kTables); ++i) {
            CreateTableIndexes(made.tables[i], kTables[i]);
        }
    }
    int rc = engine::code4close(h);
    if (rc >= 0) rc = engine::code4errorCode(h, 0);
    const std::string why = engine::code4errorText(h);
    engine::code4initUndo(h);
    if (rc < 0) return Fail(message, "Cannot write the tables in " + dir + ": " + why);
    return 0;
}

}  // namespace

int MakeSampleTables(const std::string& dir, const SampleOptions& options, std::string* message) {
    NewTables made;
    if (CreateTables(dir, options.force, made, message) != 0) return 1;
    engine::Data4* const* tables = made.tables;
    // In the order of kTables.
    WriteSettings(tables[0], "Harbor Light Builders", "418 Main Street, Riverton");
    WriteAccounts(tables[1], kExpenseAccounts);
    WriteAccounts(tables[2], kIncomeAccounts);
    WriteFolders(tables[3]);
    if (options.records > 0) {
        WriteGenerated(tables[4], tables[5], options.today.day, options.records);
    } else {
        WriteExamples(tables[4], tables[5], options.today.day);
    }
    return CloseTables(made, options.indexes, dir, message);
}

int MakeSeededTables(const std::string& dir, const TableSeed& seed, std::string* message) {
    NewTables made;
    if (CreateTables(dir, false, made, message) != 0) return 1;
    engine::Data4* const* tables = made.tables;
    WriteSettings(tables[0], seed.company, "");
    for (int i : {1, 2}) {
        TableWriter w(tables[i], {"ACCNO", "ACDESC", "ACDED"});
        for (const ChartEntry& a : i == 1 ? seed.expenseAccounts : seed.incomeAccounts) {
            w.append();
            w.integer(0, a.no);
            w.text(1, a.name);
            w.logical(2, a.flag);
        }
    }
    TableWriter folders(tables[3], {"FOLNO", "FOLNAME"});
    for (const ChartEntry& f : seed.folders) {
        folders.append();
        folders.integer(0, f.no);
        folders.text(1, f.name);
    }
    return CloseTables(made, true, dir, message);
}

SampleDataDir::SampleDataDir(const SampleOptions& options) {
    std::error_code ec;
    previousDir_ = std::filesystem::current_path(ec).string();
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "cbk-data-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        error_ = "Cannot make a temporary directory from " + pattern;
        return;
    }
    path_ = pattern;
    std::string message;
    if (MakeSampleTables(path_, options, &message) != 0) {
        error_ = message;
        return;
    }
    std::filesystem::current_path(path_, ec);
    if (ec) error_ = "Cannot change to " + path_ + ": " + ec.message();
}

SampleDataDir::~SampleDataDir() {
    if (cb != nullptr) {
        TakeEngineError();  // a test that failed midway must not end here
        ShutDownDataStore(false);
    }
    std::error_code ec;
    if (!previousDir_.empty()) std::filesystem::current_path(previousDir_, ec);
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

}  // namespace cbk
