#include "maintenance/PaymentImport.h"

#include <strings.h>

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "data/Books.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "data/TableCheck.h"
#include "data/TableSession.h"
#include "platform/Platform.h"
#include "state/MainVars.h"

namespace maintenance {

using namespace engine;

namespace {

constexpr const char* kPaymentTable = "pmt.dbf";

// Blanks and control characters off both ends, as the invoice number is taken.
std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string DirOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* KindOf(char type) {
    switch (type) {
        case 'C':
            return "text";
        case 'N':
            return "a number";
        case 'D':
            return "a date";
        default:
            return "of another kind";
    }
}

bool TypeFits(char have, char need) {
    return have == need || (need == 'N' && have == 'F');
}

using platform::Warn;

// Progress is painted at once, so it is set only when the percentage moves.
class ProgressSteps {
public:
    explicit ProgressSteps(long total) : total_(total) {}
    void count() {
        const int percent = total_ > 0 ? static_cast<int>(++done_ * 100 / total_) : 100;
        if (percent != shown_) platform::progress().SetProgress(shown_ = percent);
    }

private:
    long total_;
    long done_ = 0;
    int shown_ = -1;
};

// Step 5: every earlier import of the range, wherever it stands in the table. Record order,
// because the date tag would skip the records as they are marked. False when a mark could not
// be written: then nothing is appended, or the range would hold its payments twice.
bool RemoveEarlierImports(const ImportRange& range, ImportOutcome& outcome) {
    const std::string from = cbk::DateToStored(range.from);
    const std::string through = cbk::DateToStored(range.through);
    d4tagSelect(cbk::Income, nullptr);
    ProgressSteps progress(d4recCount(cbk::Income));
    for (cbk::ResultWord = d4top(cbk::Income); cbk::ResultWord == r4success;
         cbk::ResultWord = d4skip(cbk::Income, 1)) {
        if (f4true(cbk::IncImpField) == 1) {
            std::string scratch;
            const std::string_view date = f4strView(cbk::IncDateField, scratch);
            if (date >= from && date <= through) {
                if (!d4deleted(cbk::Income)) {
                    d4delete(cbk::Income);
                    ++outcome.removed;
                }
                cbk::PackOnExit = true;
            }
        }
        progress.count();
    }
    return cbk::ResultWord == r4eof && d4flush(cbk::Income) == 0;
}

// Step 7: one income record per payment of the range, appended in bulk: the records in
// blocks, their index entries merged into each index at the end. False when an append
// failed.
bool AppendPayments(Data4* payments, const ImportRange& range, ImportOutcome& outcome) {
    Field4* pdate = d4field(payments, "PDATE");
    Field4* pamt = d4field(payments, "PAMT");
    Field4* ivno = d4field(payments, "IVNO");
    ProgressSteps progress(d4recCount(payments));
    std::string scratch;
    for (int rc = d4top(payments); rc == r4success; rc = d4skip(payments, 1)) {
        const cbk::StoredDate paid = cbk::StoredToDate(f4strView(pdate, scratch));
        if (!paid.ok()) {
            ++outcome.undated;
        } else if (range.from <= paid.date && paid.date <= range.through) {
            cbk::CurIncome.IncDate = paid.date;
            cbk::CurIncome.IncAmt = f4double(pamt);
            cbk::CurIncome.IncDesc.assign(kPaymentPrefix);
            cbk::CurIncome.IncDesc += Trim(f4strView(ivno, scratch));
            if (d4appendBlank(cbk::Income) != 0) return false;
            cbk::StoreIncome();
            ++outcome.imported;
        }
        progress.count();
    }
    return true;
}

}  // namespace

std::vector<std::string> ImportChoices(Data4* table, Field4* number, Field4* name) {
    std::vector<std::string> entries;
    for (cbk::ResultWord = d4top(table); cbk::ResultWord == r4success;
         cbk::ResultWord = d4skip(table, 1)) {
        if (d4deleted(table)) continue;
        entries.push_back(f4str(number) + " - " + f4str(name));
    }
    return entries;
}

std::vector<std::string> PaymentFilePlaces(const std::string& home) {
    std::vector<std::string> places = {".", "/tarvel_bus", "/tarvel"};
    if (!home.empty()) {
        const std::string base = home.back() == '/' ? home : home + "/";
        places.push_back(base + "tarvel_bus");
        places.push_back(base + "tarvel");
    }
    return places;
}

std::string FindPaymentFile(const std::vector<std::string>& places) {
    FileSystem& fs = cbk::DataFileSystem();
    for (const std::string& place : places) {
        if (!fileExists(fs, place, kPaymentTable)) continue;
        if (place == ".") return std::string(kDataDirPaymentFile);
        return resolvePath(fs, place, kPaymentTable);
    }
    return {};
}

std::string PaymentFileBeside(const std::string& chosen) {
    const std::string dir = DirOf(chosen);
    return FindPaymentFile({dir.empty() ? "." : dir});
}

std::string MissingPaymentFields(Data4* payments) {
    std::string missing;
    for (const cbk::FieldNeed& need : cbk::FieldsNeeded("PMT")) {
        // By position, not d4field: an absent field is an answer here, not an engine error.
        Field4* found = nullptr;
        for (int j = 1; j <= d4numFields(payments); ++j)
            if (::strcasecmp(f4name(d4fieldJ(payments, j)).c_str(), need.name.c_str()) == 0)
                found = d4fieldJ(payments, j);
        std::string fault;
        if (found == nullptr)
            fault = "field " + need.name + " is missing";
        else if (!TypeFits(f4type(found), need.type))
            fault = "field " + need.name + " is " + KindOf(f4type(found)) + ", not " +
                    KindOf(need.type);
        if (fault.empty()) continue;
        missing += missing.empty() ? fault : ", " + fault;
    }
    return missing;
}

engine::Data4* OpenPaymentTable(const std::string& path) {
    cbk::EngineWork work;
    Data4* payments = cbk::OpenBare(path);
    if (work.Done() < 0 || payments == nullptr) {
        Warn(std::string(kUnableToOpen) + path);
        return nullptr;
    }
    if (const std::string missing = MissingPaymentFields(payments); !missing.empty()) {
        d4close(payments);
        Warn(path + "\r\n" + std::string(kLacksPaymentFields) + missing + ".\r\n" +
             std::string(kNothingImported));
        return nullptr;
    }
    return payments;
}

std::string UndatedPaymentsMessage(long count) {
    return std::to_string(count) + (count == 1 ? " payment was" : " payments were") +
           " not imported: the payment date (PDATE) is not a date.";
}

ImportOutcome ImportPayments(Data4* payments, const ImportRange& range) {
    ImportOutcome outcome;
    bool written = false;
    {
        // A failed write is this run's answer; it must not stay pending to end the program.
        cbk::EngineWork work;
        platform::ProgressShown shown{std::string(kLoadingPayments)};
        // One bulk change: the earlier import's marks are written in runs and its index entries
        // taken out in one ordered pass at the flush that ends step 5, the new records' go in at
        // the end.
        const long before = d4recCount(cbk::Income);
        written = d4appendStart(cbk::Income) == 0 && RemoveEarlierImports(range, outcome);
        if (written) {
            cbk::CurIncome = cbk::IncomeRec{};
            cbk::CurIncome.IncAcc = range.account;
            cbk::CurIncome.FolNo = range.folder;
            cbk::CurIncome.IncImp = true;
            cbk::CurIncome.Archive = false;
            written = AppendPayments(payments, range, outcome);
        }
        // The gathered records and index entries reach the files here; a full disk shows now
        // or never.
        if (d4appendEnd(cbk::Income) != 0) written = false;
        d4tagSelect(cbk::Income, cbk::IncDateTag);
        // The payments moved through the default bank account.
        if (written) {
            std::vector<bank::Appended> added;
            const std::int32_t bankNo = bank::LoadBankAccounts().DefaultNo();
            for (long recNo = before + 1; recNo <= d4recCount(cbk::Income); ++recNo)
                added.push_back({recNo, bankNo, false, std::nullopt});
            bank::MarksAppended(bank::Kind::Income, added);
        }

        d4close(payments);
    }
    if (!written) {
        outcome.result = ImportResult::Failed;
        Warn(std::string(kImportFailed));
        return outcome;
    }
    if (outcome.undated > 0)
        platform::messages().show(platform::MessageKind::Information,
                                  UndatedPaymentsMessage(outcome.undated), platform::Buttons::OK);
    return outcome;
}

}  // namespace maintenance
