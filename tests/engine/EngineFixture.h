#pragma once

// An engine handle on a fresh directory, and the expense-like table most engine tests use.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/engine/Engine.h"
#include "support/TableFiles.h"

namespace enginetest {

struct Expense {
    std::string date;  // CCYYMMDD
    int acc;
    std::string payTo;
    double amount;
};

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        h = engine::code4init(engine::posixFileSystem(), dir.path());
        engine::code4exitHandler(h.get(), [] { throw std::runtime_error("program ends"); });
    }
    void TearDown() override {
        if (h) engine::code4initUndo(h.get());
    }

    // EXP5-like table with its two tags, both filtered by .NOT. DELETED().
    engine::Data4* makeExpenses(const std::vector<Expense>& rows,
                                const std::string& name = "EXP5") {
        using namespace engine;
        Data4* t = d4create(h.get(), name,
                            {{"EXPDATE", 'D', 8, 0},
                             {"ACCNO", 'N', 4, 0},
                             {"PAYTO", 'C', 20, 0},
                             {"AMOUNT", 'N', 10, 2},
                             {"ARCHIVE", 'L', 1, 0}});
        EXPECT_NE(t, nullptr) << code4errorText(h.get());
        for (const auto& r : rows) append(t, r);
        EXPECT_EQ(i4create(t, "exp5",
                           {{"EDate", "DTOS(EXPDATE) + STR(ACCNO,4)", ".NOT. DELETED()"},
                            {"EAcc", "STR(ACCNO,4) + DTOS(EXPDATE)", ".NOT. DELETED()"}}),
                  0)
            << code4errorText(h.get());
        return t;
    }

    void append(engine::Data4* t, const Expense& r) {
        using namespace engine;
        ASSERT_EQ(d4appendBlank(t), 0);
        ASSERT_EQ(f4assign(d4field(t, "EXPDATE"), r.date), 0);
        ASSERT_EQ(f4assignInt(d4field(t, "ACCNO"), r.acc), 0);
        ASSERT_EQ(f4assign(d4field(t, "PAYTO"), r.payTo), 0);
        ASSERT_EQ(f4assignDouble(d4field(t, "AMOUNT"), r.amount), 0);
    }

    // Pay-to texts met walking the selected order from the top.
    std::vector<std::string> walk(engine::Data4* t) {
        using namespace engine;
        std::vector<std::string> seen;
        for (int rc = d4top(t); rc == 0; rc = d4skip(t, 1)) seen.push_back(payTo(t));
        return seen;
    }
    std::vector<std::string> walkBack(engine::Data4* t) {
        using namespace engine;
        std::vector<std::string> seen;
        for (int rc = d4bottom(t); rc == 0; rc = d4skip(t, -1)) seen.push_back(payTo(t));
        return seen;
    }
    std::string payTo(engine::Data4* t) {
        std::string s = engine::f4str(engine::d4field(t, "PAYTO"));
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
    std::string checked(engine::Data4* t) {
        std::string report;
        int rc = engine::d4check(t, &report);
        return rc == 0 ? "sound" : report;
    }

    TempDir dir;
    std::unique_ptr<engine::Code4> h;
};

inline std::vector<Expense> sampleExpenses() {
    return {{"20260305", 7, "Seven", 10.5},    {"20260101", 12, "Twelve", 1},
            {"20251231", 7, "OldSeven", 3},    {"20260305", 3, "Three", -4.25},
            {"20260410", 12, "LateTwelve", 0}, {"20260305", 12, "SameDay", 99}};
}

}  // namespace enginetest
