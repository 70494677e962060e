#pragma once

// Set-up of the file maintenance tests: the example tables in a fresh directory with the
// engine started (on a fault-injecting file system when a test asks for one), hand-made
// foreign tables, a raw look at INC5 in record order and the bytes of the data tables.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/engine/Engine.h"
#include "support/DataFixture.h"
#include "support/FaultyFileSystem.h"

namespace cbk::testing {

struct IncomeRow {
    long recNo;
    bool deleted;
    int acc;
    std::string date;
    std::string desc;  // trailing blanks cut
    double amount;
    int folder;
    bool imported;
    bool archived;
};

inline std::string Rtrim(std::string s) {
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

class ImportTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        faulty_.clearFaults();
        faulty_.onlyPaths("");
        StartDataStore(faulty_);
    }
    void TearDown() override {
        faulty_.clearFaults();
        CloseAllTables();
        DataTest::TearDown();
    }

    std::string dir() const { return dir_->path(); }

    // Every record of INC5 in record order, read past the code under test.
    std::vector<IncomeRow> Income5() {
        engine::Data4* t = engine::d4open(cb, "INC5");
        EXPECT_NE(t, nullptr);
        if (t == nullptr) return {};
        engine::d4tagSelect(t, nullptr);
        auto f = [t](const char* name) { return engine::d4field(t, name); };
        std::vector<IncomeRow> rows;
        for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1))
            rows.push_back({engine::d4recNo(t), engine::d4deleted(t), engine::f4int(f("INCACC")),
                            engine::f4str(f("INCDATE")), Rtrim(engine::f4str(f("INCDESC"))),
                            engine::f4double(f("INCAMT")), engine::f4int(f("FOLNO")),
                            engine::f4true(f("INCIMP")) == 1, engine::f4true(f("ARCHIVE")) == 1});
        engine::d4close(t);
        return rows;
    }

    // INC5 emptied, then one record per row (recNo and deleted as given).
    void SetIncome(const std::vector<IncomeRow>& rows) {
        engine::Data4* t = engine::d4open(cb, "INC5");
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(engine::d4zap(t, 1, engine::d4recCount(t)), 0);
        auto f = [t](const char* name) { return engine::d4field(t, name); };
        for (const IncomeRow& r : rows) {
            ASSERT_EQ(engine::d4appendBlank(t), 0);
            engine::f4assignInt(f("INCACC"), r.acc);
            engine::f4assign(f("INCDATE"), r.date);
            engine::f4assign(f("INCDESC"), r.desc);
            engine::f4assignDouble(f("INCAMT"), r.amount);
            engine::f4assignInt(f("FOLNO"), r.folder);
            engine::f4assign(f("INCIMP"), r.imported ? "T" : "F");
            engine::f4assign(f("ARCHIVE"), r.archived ? "T" : "F");
            if (r.deleted) engine::d4delete(t);
        }
        engine::d4close(t);
        ASSERT_EQ(engine::code4errorCode(cb, 0), 0);
    }

    // The bytes of a file in the data directory (any case).
    std::string Bytes(const std::string& name) const {
        std::ifstream in(fileIn(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The five tables the upgrade replaces, by name.
    std::map<std::string, std::string> DataTables() const {
        std::map<std::string, std::string> bytes;
        for (const char* name : {"ACC.dbf", "ACCI.dbf", "FOLDER.dbf", "EXP5.dbf", "INC5.dbf"})
            bytes[name] = Bytes(name);
        return bytes;
    }

    // The data store keeps the file system it was started with past its shutdown, so this one
    // lives as long as the test program.
    static engine::FaultyFileSystem& Faulty() {
        static engine::FaultyFileSystem fs;
        return fs;
    }
    engine::FaultyFileSystem& faulty_ = Faulty();
};

// ---- python3-dbf, the independent xBase writer ----------------------------------------------

inline bool HavePythonDbf() {
    static const bool ok = std::system("/usr/bin/python3 -c 'import dbf' >/dev/null 2>&1") == 0;
    return ok;
}

// Runs a Python script with `args`; what it prints (empty when all went well).
inline std::string Python(const std::string& dir, const std::string& script,
                          const std::string& args) {
    const std::string path = dir + "/writer.py";
    std::ofstream(path) << script;
    const std::string cmd = "/usr/bin/python3 " + path + " " + args + " 2>&1";
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (p == nullptr) return "popen failed";
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
    ::pclose(p);
    std::filesystem::remove(path);
    return out;
}

}  // namespace cbk::testing
