#pragma once

// The workload of the crash test, shared by the worker that runs it (and is killed) and by
// the test that checks what the worker left. A seed gives the same steps on both sides, and
// the model gives the exact table bytes after every step, so the test knows what a committed
// step must have left on disk without trusting anything the worker wrote except the number of
// steps it committed.

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "data/engine/Engine.h"

namespace crashtest {

inline constexpr const char* kTable = "CRASH";
inline constexpr const char* kGroup = "crash";

inline const std::vector<engine::Field4Info>& tableFields() {
    static const std::vector<engine::Field4Info> fields = {{"EXPDATE", 'D', 8, 0},
                                                           {"ACCNO", 'N', 4, 0},
                                                           {"PAYTO", 'C', 20, 0},
                                                           {"AMOUNT", 'N', 10, 2}};
    return fields;
}

inline const std::vector<engine::Tag4Info>& tableTags() {
    static const std::vector<engine::Tag4Info> tags = {
        {"CDate", "DTOS(EXPDATE) + STR(ACCNO,4)", ".NOT. DELETED()"},
        {"CAcc", "STR(ACCNO,4) + DTOS(EXPDATE)", ".NOT. DELETED()"}};
    return tags;
}

enum class Op { Create, Index, Append, Change, Delete, Recall, Pack, Zap };

inline const char* opName(Op op) {
    static const char* const names[] = {"create", "index",  "append", "change",
                                        "delete", "recall", "pack",   "zap"};
    return names[static_cast<int>(op)];
}
inline constexpr int kOpCount = 8;

struct Values {
    std::string date;  // CCYYMMDD
    int acc = 0;
    std::string payTo;  // ASCII, at most 20 characters
    long cents = 0;
};

struct Step {
    Op op = Op::Create;
    std::vector<Values> rows;  // Append: the new records; Change: the new values
    long rec = 0;              // Change, Delete, Recall
    long from = 0, to = 0;     // Zap
};

// The bytes the engine stores for a record with these values.
inline std::string recordBytes(const Values& v, char flag) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%c%-8.8s%4d%-20.20s%10.2f", flag, v.date.c_str(), v.acc,
                  v.payTo.c_str(), static_cast<double>(v.cents) / 100.0);
    return buf;
}

struct Model {
    bool exists = false;
    std::vector<std::string> records;

    void apply(const Step& s) {
        switch (s.op) {
            case Op::Create:
                exists = true;
                records.clear();
                break;
            case Op::Index:
                break;
            case Op::Append:
                for (const auto& v : s.rows) records.push_back(recordBytes(v, ' '));
                break;
            case Op::Change:
                records[s.rec - 1] = recordBytes(s.rows.front(), records[s.rec - 1][0]);
                break;
            case Op::Delete:
                records[s.rec - 1][0] = '*';
                break;
            case Op::Recall:
                records[s.rec - 1][0] = ' ';
                break;
            case Op::Pack: {
                std::vector<std::string> kept;
                for (auto& r : records)
                    if (r[0] != '*') kept.push_back(r);
                records = std::move(kept);
                break;
            }
            case Op::Zap:
                records.erase(records.begin() + (s.from - 1), records.begin() + s.to);
                break;
        }
    }
};

// Create, index, then `steps` random steps over a table of at most a few dozen records.
inline std::vector<Step> makeWorkload(unsigned seed, int steps) {
    std::mt19937 rng(seed);
    auto pick = [&](long n) { return static_cast<long>(rng() % static_cast<unsigned long>(n)); };
    auto values = [&] {
        Values v;
        char date[48];
        std::snprintf(date, sizeof date, "2026%02ld%02ld", 1 + pick(12), 1 + pick(28));
        v.date = date;
        v.acc = static_cast<int>(1 + pick(40));
        v.payTo = "Payee " + std::to_string(pick(100000));
        v.cents = pick(2000000) - 1000000;
        return v;
    };
    std::vector<Step> out;
    out.push_back(Step{Op::Create, {}, 0, 0, 0});
    out.push_back(Step{Op::Index, {}, 0, 0, 0});
    Model m;
    m.apply(out[0]);
    for (int i = 0; i < steps; ++i) {
        long n = static_cast<long>(m.records.size());
        long roll = pick(20);
        Step s;
        if (n == 0 || roll < 6 || (roll < 8 && n < 8)) {
            s.op = Op::Append;
            long k = 1 + pick(4);
            for (long j = 0; j < k; ++j) s.rows.push_back(values());
        } else if (roll < 11) {
            s.op = Op::Change;
            s.rec = 1 + pick(n);
            s.rows.push_back(values());
        } else if (roll < 15) {
            s.op = Op::Delete;
            s.rec = 1 + pick(n);
        } else if (roll < 16) {
            // Recalls a deleted record when there is one, so that the step writes something.
            s.op = Op::Recall;
            s.rec = 1 + pick(n);
            for (long k = 0; k < n && m.records[s.rec - 1][0] != '*'; ++k) s.rec = s.rec % n + 1;
        } else if (roll < 18) {
            s.op = Op::Pack;
        } else if (roll < 19) {
            s.op = Op::Zap;
            s.from = 1 + pick(n);
            s.to = std::min(n, s.from + pick(4));
        } else {
            s.op = Op::Index;
        }
        m.apply(s);
        out.push_back(std::move(s));
    }
    return out;
}

inline int assignRow(engine::Data4* t, const Values& v) {
    using namespace engine;
    if (int rc = f4assign(d4field(t, "EXPDATE"), v.date)) return rc;
    if (int rc = f4assignInt(d4field(t, "ACCNO"), v.acc)) return rc;
    if (int rc = f4assign(d4field(t, "PAYTO"), v.payTo)) return rc;
    return f4assignDouble(d4field(t, "AMOUNT"), static_cast<double>(v.cents) / 100.0);
}

// Runs one step on the open table `t` (Create makes it and sets `t`), without flushing.
// Returns 0, or the engine's error with the call that failed in `what`.
inline int runStep(engine::Code4* h, engine::Data4*& t, const Step& s, std::string& what) {
    using namespace engine;
    auto failed = [&what](const char* call, int rc) {
        what = call;
        return rc ? rc : e4parm;
    };
    switch (s.op) {
        case Op::Create:
            t = d4create(h, kTable, tableFields());
            return t ? 0 : failed("create", code4errorCode(h, 0));
        case Op::Index: {
            code4safety(h, 0);
            int rc = i4create(t, kGroup, tableTags());
            code4safety(h, 1);
            return rc ? failed("index", rc) : 0;
        }
        case Op::Append:
            for (const auto& v : s.rows) {
                if (int rc = d4appendBlank(t)) return failed("append", rc);
                if (int rc = assignRow(t, v)) return failed("assign", rc);
            }
            return 0;
        case Op::Change:
            if (int rc = d4go(t, s.rec)) return failed("go", rc);
            return assignRow(t, s.rows.front()) ? failed("assign", -1) : 0;
        case Op::Delete:
            if (int rc = d4go(t, s.rec)) return failed("go", rc);
            return d4delete(t) ? failed("delete", -1) : 0;
        case Op::Recall:
            if (int rc = d4go(t, s.rec)) return failed("go", rc);
            return d4recall(t) ? failed("recall", -1) : 0;
        case Op::Pack:
            return d4pack(t) ? failed("pack", -1) : 0;
        case Op::Zap:
            return d4zap(t, s.from, s.to) ? failed("zap", -1) : 0;
    }
    return 0;
}

}  // namespace crashtest
