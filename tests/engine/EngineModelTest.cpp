// A random run of appends, changes, deletes, recalls, packs and seeks, checked after every
// step against a plain in-memory model of the table, then reopened and compared again.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "data/engine/Engine.h"
#include "engine/EngineFixture.h"

namespace engine {
namespace {

struct Row {
    std::string date;
    int acc = 0;
    std::string payTo;
    bool deleted = false;
};

std::string acc4(int acc) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4d", acc);
    return buf;
}

class EngineModel : public enginetest::EngineFixture {
protected:
    std::vector<Row> model;
    std::mt19937 rng;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    std::string randomDate() {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", 2020 + pick(3), 1 + pick(12), 1 + pick(3));
        return buf;
    }
    std::string randomText() {
        static const char* words[] = {"Café", "Öl", "Shop", "Rent", "Žlutý", "Bank", ""};
        return std::string(words[pick(7)]) + std::to_string(pick(1000));
    }

    // Record numbers in the order of a tag, computed from the model.
    std::vector<long> expectedOrder(bool byDate) {
        std::vector<std::pair<std::string, long>> keys;
        for (std::size_t i = 0; i < model.size(); ++i) {
            if (model[i].deleted) continue;
            const Row& r = model[i];
            keys.push_back(
                {byDate ? r.date + acc4(r.acc) : acc4(r.acc) + r.date, static_cast<long>(i + 1)});
        }
        std::sort(keys.begin(), keys.end());
        std::vector<long> out;
        for (const auto& k : keys) out.push_back(k.second);
        return out;
    }

    std::vector<long> actualOrder(Data4* t, const char* tag) {
        d4tagSelect(t, d4tag(t, tag));
        std::vector<long> out;
        for (int rc = d4top(t); rc == 0; rc = d4skip(t, 1)) out.push_back(d4recNo(t));
        return out;
    }

    void compare(Data4* t, const std::string& when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(d4recCount(t), static_cast<long>(model.size()));
        d4tagSelect(t, nullptr);
        long n = 0;
        for (int rc = d4top(t); rc == 0; rc = d4skip(t, 1)) {
            const Row& r = model[n++];
            ASSERT_EQ(d4recNo(t), n);
            ASSERT_EQ(f4str(d4field(t, "EXPDATE")), r.date);
            ASSERT_EQ(f4int(d4field(t, "ACCNO")), r.acc);
            std::string pay = f4str(d4field(t, "PAYTO"));
            ASSERT_EQ(pay.substr(0, pay.find_last_not_of(' ') + 1), r.payTo);
            ASSERT_EQ(d4deleted(t), r.deleted);
        }
        ASSERT_EQ(n, static_cast<long>(model.size()));
        ASSERT_EQ(actualOrder(t, "EDate"), expectedOrder(true));
        ASSERT_EQ(actualOrder(t, "EAcc"), expectedOrder(false));
    }

    void run(unsigned seed, int steps) {
        rng.seed(seed);
        model.clear();
        Data4* t = makeExpenses({});
        ASSERT_NE(t, nullptr);
        Field4* date = d4field(t, "EXPDATE");
        Field4* acc = d4field(t, "ACCNO");
        Field4* pay = d4field(t, "PAYTO");
        for (int step = 0; step < steps; ++step) {
            int op = pick(100);
            std::string what;
            if (op < 40 || model.empty()) {
                Row r{randomDate(), 1 + pick(30), randomText()};
                ASSERT_EQ(d4appendBlank(t), 0);
                f4assign(date, r.date);
                f4assignInt(acc, r.acc);
                f4assign(pay, r.payTo);
                model.push_back(r);
                what = "append";
            } else {
                long n = 1 + pick(static_cast<int>(model.size()));
                Row& r = model[n - 1];
                // Reach the record by a seek in a tag half of the time, by number otherwise.
                if (!r.deleted && pick(2) == 0) {
                    d4tagSelect(t, d4tag(t, "EAcc"));
                    ASSERT_EQ(d4seek(t, acc4(r.acc) + r.date), r4success);
                    while (d4recNo(t) != n) ASSERT_EQ(d4skip(t, 1), 0);
                } else {
                    ASSERT_EQ(d4go(t, n), 0);
                }
                if (op < 65) {
                    r.date = randomDate();
                    f4assign(date, r.date);
                    if (pick(2)) {
                        r.acc = 1 + pick(30);
                        f4assignInt(acc, r.acc);
                    }
                    what = "change";
                } else if (op < 80) {
                    d4delete(t);
                    r.deleted = true;
                    what = "delete";
                } else if (op < 95) {
                    d4recall(t);
                    r.deleted = false;
                    what = "recall";
                } else if (op < 97) {
                    ASSERT_EQ(d4pack(t), 0);
                    std::erase_if(model, [](const Row& x) { return x.deleted; });
                    what = "pack";
                } else {
                    // Walk on from the changed record without an explicit flush.
                    r.payTo = randomText();
                    f4assign(pay, r.payTo);
                    d4skip(t, pick(2) ? 1 : -1);
                    what = "change and skip";
                }
            }
            compare(t, "step " + std::to_string(step) + " " + what);
            if (HasFatalFailure()) return;
        }
        EXPECT_EQ(checked(t), "sound");
        ASSERT_EQ(code4close(h.get()), 0);
        t = d4open(h.get(), "EXP5");
        ASSERT_NE(t, nullptr);
        compare(t, "after reopening");
        EXPECT_EQ(checked(t), "sound");
    }
};

TEST_F(EngineModel, RandomEditsMatchTheModelAfterEveryStepAndReopen) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        run(seed, 600);
        if (HasFatalFailure()) return;
        code4close(h.get());
        code4safety(h.get(), 0);
        std::filesystem::remove(dir.file("EXP5.dbf"));
    }
}

}  // namespace
}  // namespace engine
