#pragma once

// Set-up of the record-maintenance tests: the example tables in a fresh directory with the
// engine started, and a raw look at the record tables in record-number order (deleted records
// included) that goes straight to the engine, past the code under test.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/engine/Engine.h"
#include "support/DataFixture.h"

namespace cbk::testing {

struct RawRecord {
    long recNo = 0;
    int folNo = 0;
    int accNo = 0;
    bool deleted = false;
    bool archived = false;
};

class RecordOpsTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        StartDataStore();
    }
    void TearDown() override {
        CloseAllTables();
        DataTest::TearDown();
    }

    // Every record of EXP5 or INC5 in record order; the table is opened and closed here.
    std::vector<RawRecord> Raw(const char* table) {
        engine::Data4* t = engine::d4open(cb, table);
        EXPECT_NE(t, nullptr);
        if (t == nullptr) return {};
        const bool income = std::string(table) == "INC5";
        engine::Field4* fol = engine::d4field(t, "FolNo");
        engine::Field4* acc = engine::d4field(t, income ? "IncAcc" : "AccNo");
        engine::Field4* arch = engine::d4field(t, "Archive");
        engine::d4tagSelect(t, nullptr);
        std::vector<RawRecord> out;
        for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1))
            out.push_back({engine::d4recNo(t), engine::f4int(fol), engine::f4int(acc),
                           engine::d4deleted(t), engine::f4true(arch) == 1});
        engine::d4close(t);
        return out;
    }

    // Marks one record deleted and another archived among the records of `table` whose
    // folder (or account) is `value`, so that cascades must reach both kinds.
    void HideSome(const char* table, bool byAccount, int value) {
        const std::vector<RawRecord> rows = Raw(table);
        std::vector<long> matching;
        for (const RawRecord& r : rows)
            if ((byAccount ? r.accNo : r.folNo) == value && !r.deleted && !r.archived)
                matching.push_back(r.recNo);
        ASSERT_GE(matching.size(), 3u) << table << " " << value;
        engine::Data4* t = engine::d4open(cb, table);
        engine::d4go(t, matching[0]);
        engine::d4delete(t);
        engine::d4go(t, matching[1]);
        engine::f4assign(engine::d4field(t, "Archive"), "T");
        engine::d4close(t);
    }

    static int Count(const std::vector<RawRecord>& rows, bool byAccount, int value,
                     bool deletedOnly = false) {
        int n = 0;
        for (const RawRecord& r : rows)
            if ((byAccount ? r.accNo : r.folNo) == value && (!deletedOnly || r.deleted)) ++n;
        return n;
    }

    std::string Bytes(const std::string& file) {
        std::ifstream in(fileIn(file), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The record tables' files as they are on disk (all tables closed first).
    std::string RecordFiles() {
        CloseAllTables();
        return Bytes("EXP5.dbf") + Bytes("INC5.dbf");
    }

    // The engine's structural check of a table and all its tags.
    void ExpectSound(const char* table) {
        engine::Data4* t = engine::d4open(cb, table);
        ASSERT_NE(t, nullptr) << table;
        std::string report;
        EXPECT_EQ(engine::d4check(t, &report), 0) << table << ": " << report;
        engine::d4close(t);
    }
};

}  // namespace cbk::testing
