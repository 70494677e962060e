#pragma once

// The upgrade from the older version's data: its four tables Folder.dbf, Acc.dbf, Inc3.dbf and
// Exp3.dbf, in one directory, replace the current data. Folders and expense accounts are
// copied as files, one income account "Ordinary Income" is made, and income and expense
// records are carried over field by field.
//
// The five tables the upgrade replaces are copied aside in the data directory first; an
// upgrade that stops part-way puts them back and says so, one that succeeds removes the
// copies. Either way no table is left open, and FinishUpgrade packs and builds every index.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace maintenance {

inline constexpr std::string_view kUpgradeTitle =
    "Choose Drive & Directory Containing Old DKR Data";
inline constexpr std::string_view kUpgradeAction = "Upgrade";
inline constexpr std::string_view kDataFilesNotFound = "Data files not found in ";
inline constexpr std::string_view kOverwriteWarning =
    "Warning: All previously entered data will be overwritten";
inline constexpr std::string_view kConvertingDataFiles = "Converting Data Files";
inline constexpr std::string_view kOrdinaryIncome = "Ordinary Income";
// An old table that does not hold what the upgrade reads: the layout check's message, CR LF,
// this.
inline constexpr std::string_view kNothingChanged = "Nothing was changed.";
// A conversion that stopped part-way, its tables put back: this, CR LF, what stopped it.
inline constexpr std::string_view kUpgradeFailed =
    "The upgrade could not be completed. Your data are as they were before the upgrade.";
// Put back failed too: this, then the names of the copies that hold the earlier data.
inline constexpr std::string_view kUpgradeFailedKept =
    "The upgrade could not be completed, and your earlier data could not all be put back. "
    "They are kept in the data directory as: ";
// Copies left by an upgrade that never ended: this, then their names.
inline constexpr std::string_view kAsideCopiesPresent =
    "An earlier upgrade did not finish, and the data it replaced are kept in the data "
    "directory as: ";
inline constexpr std::string_view kAsideCopiesCure =
    "Rename them back to .dbf, or remove them, before upgrading again.";

// The old tables, in the order their presence is checked.
inline constexpr const char* kOldTables[] = {"Inc3.dbf", "Exp3.dbf", "Acc.dbf", "Folder.dbf"};

// The directories offered first in the chooser, in order: "/tarvel_bus", "/tarvel".
std::vector<std::string> OldDataPlaces();

// The first of `places` that holds Inc3.dbf (name matched without regard to case); empty
// when none does.
std::string PreselectedOldData(const std::vector<std::string>& places);

// The name of the copy aside of a current table ("INC5" -> "INC5.upg").
std::string AsideCopyName(std::string_view tableName);

struct UpgradeOutcome {
    bool converted = false;  // every table was converted
    // An information box's text: why nothing was converted, or why the conversion stopped.
    // Empty on success and when the user cancelled at the warning.
    std::string why;
    explicit operator bool() const { return converted; }
};

// Converts the data set in `directory` into the current tables (steps in Upgrade.cpp). Asks
// before it overwrites anything, under the progress box "Converting Data Files"; then
// `beforeChange` is asked, and false there changes nothing. A conversion that succeeds removes
// the side tables that described the records replaced (the imported statement ids).
UpgradeOutcome ConvertOldData(
    const std::string& directory, const std::function<bool()>& beforeChange = [] { return true; });

// What follows every upgrade the user chose a directory for, whatever the conversion came to:
// the tables packed (keeping deleted records for recovery with `keepDeleted`), then every index
// and group file built afresh, once. The default-folder list is filled afresh at the next paint.
void FinishUpgrade(bool keepDeleted);

}  // namespace maintenance
