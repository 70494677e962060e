#pragma once

// Set-up of the file maintenance tests: the example tables with the engine started, a
// directory beside them for backups, and hand-made expense and income records.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "data/Compression.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/engine/Engine.h"
#include "support/DataFixture.h"
#include "support/FaultyFileSystem.h"

namespace cbk::testing {

inline platform::DateTime Ymd(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes a compressed backup file holds; empty when it does not decompress whole.
inline std::string Unpacked(const std::filesystem::path& path) {
    std::unique_ptr<engine::File> file;
    if (engine::posixFileSystem().open(path.string(), engine::OpenMode::ReadOnly, file)) return {};
    std::string bytes;
    const int err = DecompressStream(*file, [&](const char* b, std::size_t n) {
        bytes.append(b, n);
        return 0;
    });
    return err ? std::string() : bytes;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A side table as its module makes it: STMTIDS with the ids given, or a recovery table (its
// fields do not matter to the commands that copy and clear it).
inline void MakeSideTable(const char* name, const std::vector<std::string>& ids) {
    engine::Data4* t =
        engine::d4create(cb, name, {{"FITID", 'C', 120, 0}, {"IMPORTED", 'D', 8, 0}});
    ASSERT_NE(t, nullptr) << name;
    for (const std::string& id : ids) {
        engine::d4appendBlank(t);
        engine::f4assign(engine::d4field(t, "FITID"), id);
        engine::f4assign(engine::d4field(t, "IMPORTED"), "20260301");
    }
    engine::d4close(t);
}

// An environment variable set for the length of a scope, then put back.
class EnvSet {
public:
    EnvSet(const char* name, const std::string& value) : name_(name) {
        if (const char* was = std::getenv(name)) was_ = was;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvSet() {
        if (was_)
            ::setenv(name_, was_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvSet(const EnvSet&) = delete;
    EnvSet& operator=(const EnvSet&) = delete;

private:
    const char* name_;
    std::optional<std::string> was_;
};

class MaintenanceTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        backupDir_ = std::filesystem::path(dir_->path()) / "backup";
        std::filesystem::create_directory(backupDir_);
        StartDataStore();
    }
    void TearDown() override {
        CloseAllTables();
        // A test may have started the store on a file system of its own, which dies with it.
        StartDataStore();
        CloseAllTables();
        DataTest::TearDown();
    }

    // Empties EXP5 and INC5, for tables of hand-made records only.
    void EmptyRecordTables() {
        OpenExpenses();
        OpenIncome();
        engine::d4zap(Expenses, 1, engine::d4recCount(Expenses));
        engine::d4zap(Income, 1, engine::d4recCount(Income));
        CloseAllTables();
    }

    // Appends an expense (EXP5 must be open); returns its record number.
    long AddExpense(const platform::DateTime& date, int accNo, double amount,
                    bool archived = false) {
        engine::d4appendBlank(Expenses);
        CurExpense = {date, 0, accNo, 1, "Payee", amount, "", archived};
        StoreExpense();
        return engine::d4recNo(Expenses);
    }
    long AddIncome(const platform::DateTime& date, double amount, bool archived = false) {
        engine::d4appendBlank(Income);
        CurIncome = {400, date, "Income", amount, 1, false, archived};
        StoreIncome();
        return engine::d4recNo(Income);
    }

    // A field of a record by number, the table opened and closed here.
    std::string FieldOf(const char* table, long recNo, const char* field) {
        engine::Data4* t = engine::d4open(cb, table);
        EXPECT_NE(t, nullptr);
        engine::d4go(t, recNo);
        std::string value = engine::f4str(engine::d4field(t, field));
        engine::d4close(t);
        return value;
    }

    long RecordsIn(const char* table) {
        engine::Data4* t = engine::d4open(cb, table);
        const long n = engine::d4recCount(t);
        engine::d4close(t);
        return n;
    }

    void ExpectSound(const char* table) {
        engine::Data4* t = engine::d4open(cb, table);
        ASSERT_NE(t, nullptr) << table;
        std::string report;
        EXPECT_EQ(engine::d4check(t, &report), 0) << table << ": " << report;
        engine::d4close(t);
    }

    std::filesystem::path backupDir_;
    // Outlives the data store that a test starts on it.
    engine::FaultyFileSystem faulty_;
};

}  // namespace cbk::testing
