#pragma once

// The payment import: the payments of the sibling invoicing product (its table pmt.dbf, read
// only) become income records in INC5 under one income account and one folder. Importing a
// range again replaces what an earlier import of that range made; income entered by hand is
// never touched.
//
// INC5, FOLDER and ACCI are open through their openers (data/Database.h) while these run.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine/Engine.h"
#include "platform/DateTime.h"

namespace maintenance {

inline constexpr std::string_view kNoIncomeAccounts =
    "Income Accounts must be defined before importing Income Records";
inline constexpr std::string_view kNoFolders =
    "Folders must be defined before importing Income Records";
inline constexpr std::string_view kChoosePaymentFile = "Please Choose MARLO Payment file.";
inline constexpr std::string_view kNotAPaymentFile =
    "is not a valid MARLO Payment file. Try again.";
// A table without the fields the import reads: path, CR LF, this, what is missing, ".", CR LF,
// kNothingImported.
inline constexpr std::string_view kLacksPaymentFields = "is not a valid MARLO Payment file: ";
inline constexpr std::string_view kNothingImported = "Nothing was imported.";
inline constexpr std::string_view kConversionError =
    "Data Conversion Error. Please check values and try again";
inline constexpr std::string_view kUnableToOpen = "Unable to Open ";
inline constexpr std::string_view kLoadingPayments = "Loading Payments";
inline constexpr std::string_view kImportFailed = "Import failed. Try again later.";
inline constexpr std::string_view kPaymentPrefix = "Payment on Invoice #";
// The payment file found in the data directory is named so.
inline constexpr std::string_view kDataDirPaymentFile = "Pmt.dbf";
// The browse dialog's filter: caption | pattern.
inline constexpr std::string_view kPaymentFilter = "MARLO Payment File (pmt.dbf)|PMT.DBF";

// The entries of an import choice list, in the open table's selected tag order, records
// marked deleted left out: the stored text of the number field, " - ", the stored text of the
// name field ("   7 - Office   ...").
std::vector<std::string> ImportChoices(engine::Data4* table, engine::Field4* number,
                                       engine::Field4* name);

// The places a payment table is looked for, in order: the data directory ("Pmt.dbf"), then
// "/tarvel_bus" and "/tarvel" at the root and the same two folders in `home` (none when
// `home` is empty).
std::vector<std::string> PaymentFilePlaces(const std::string& home);

// The first of `places` that holds pmt.dbf (name matched without regard to case): the data
// directory gives "Pmt.dbf", another place that directory and the file's own name. Empty when
// none holds one.
std::string FindPaymentFile(const std::vector<std::string>& places);

// The browse check: the pmt.dbf in the directory of `chosen` (the data directory when
// `chosen` names none), or empty when there is none.
std::string PaymentFileBeside(const std::string& chosen);

// What the payment table lacks of the three fields the import reads (PDATE a date, PAMT a
// number, IVNO text): empty when it has them all, else e.g. "field PAMT is missing".
std::string MissingPaymentFields(engine::Data4* payments);

// Opens the payment table at `path` alone (no group file). A table that cannot be opened gets
// "Unable to Open " + path; one without the fields the import reads gets a message naming what
// is missing. Both are warnings, and nothing is left open; nullptr then.
engine::Data4* OpenPaymentTable(const std::string& path);

struct ImportRange {
    platform::DateTime from;     // first day, at midnight
    platform::DateTime through;  // last day, at midnight
    std::int32_t account = 0;
    std::int32_t folder = 0;
};

enum class ImportResult {
    Done,    // every payment of the range is an income record now
    Failed,  // "Import failed. Try again later." was shown; what was written stays
};

struct ImportOutcome {
    ImportResult result = ImportResult::Done;
    long removed = 0;   // earlier imported records marked deleted
    long imported = 0;  // income records appended
    long undated = 0;   // payments whose PDATE is no date: left out, and the user told
};

// A payment table holding payments whose date cannot be read; they were left out.
std::string UndatedPaymentsMessage(long count);

// The import run on the open payment table, under the progress box "Loading Payments": the
// earlier imported records of the range are marked deleted wherever they stand in INC5
// (PackOnExit set when any is), then one income record is appended per payment of the range
// in record order, deleted payments included. The payment table is closed at the end.
ImportOutcome ImportPayments(engine::Data4* payments, const ImportRange& range);

}  // namespace maintenance
