// Damaged tables, group files and indexes: each gives d4open's nullptr with a negative error
// pending, never a crash, a hang or a read past the end of a file.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "data/engine/Engine.h"
#include "engine/EngineFixture.h"

namespace engine {
namespace {

using enginetest::put16;
using enginetest::put32;
using enginetest::rawTable;
using enginetest::readFile;
using enginetest::sampleExpenses;
using enginetest::writeFile;

class DamagedFiles : public enginetest::EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        makeExpenses(sampleExpenses());
        code4close(h.get());
        dbf = readFile(dir.file("EXP5.dbf"));
        cgp = readFile(dir.file("exp5.cgp"));
        ntx = readFile(dir.file("EDate.ntx"));
    }

    // d4open must refuse; returns the pending error, which it also clears.
    int refused(const std::string& what) {
        Data4* t = d4open(h.get(), "EXP5");
        EXPECT_EQ(t, nullptr) << what;
        if (t) d4close(t);
        int rc = code4errorCode(h.get(), 0);
        EXPECT_LT(rc, 0) << what;
        EXPECT_FALSE(code4errorText(h.get()).empty() && rc == 0) << what;
        return rc;
    }

    void restore() {
        writeFile(dir.file("EXP5.dbf"), dbf);
        writeFile(dir.file("exp5.cgp"), cgp);
        writeFile(dir.file("EDate.ntx"), ntx);
    }

    std::string dbf, cgp, ntx;
};

TEST_F(DamagedFiles, DamagedTablesAreRefused) {
    const std::size_t headerLen = 32 + 5 * 32 + 1;
    std::vector<std::pair<std::string, std::string>> cases;
    cases.push_back({"empty file", ""});
    cases.push_back({"cut inside the header", dbf.substr(0, 40)});
    cases.push_back({"cut inside a record", dbf.substr(0, dbf.size() - 20)});
    std::string c = dbf;
    put32(c, 4, 7);
    cases.push_back({"count one past the file", c});
    c = dbf;
    put32(c, 4, 0xFFFFFFFF);
    cases.push_back({"count far past the file", c});
    c = dbf;
    put16(c, 10, 12);
    cases.push_back({"record length shorter than the fields", c});
    c = dbf;
    put16(c, 8, 33);
    cases.push_back({"header length without room for a field", c});
    c = dbf;
    put16(c, 8, 0xFFFF);
    cases.push_back({"header length past the file", c});
    cases.push_back({"zero fields", rawTable(0x03, 0x03, {}, {})});
    c = dbf;
    for (std::size_t i = 32; i < headerLen - 1; ++i) c[i] = static_cast<char>(i * 37);
    cases.push_back({"garbage descriptors", c});
    c = dbf;
    c[32 + 16] = 0;
    cases.push_back({"field of width zero", c});
    cases.push_back(
        {"text file", std::string("this is not a table\n", 20) + std::string(300, 'x')});
    for (const auto& [what, bytes] : cases) {
        writeFile(dir.file("EXP5.dbf"), bytes);
        int rc = refused(what);
        EXPECT_TRUE(rc == e4data || rc == e4recordLen) << what << " gave " << rc;
    }
}

TEST_F(DamagedFiles, DamagedGroupFilesAreRefused) {
    for (std::string bad :
         {std::string("\0\0\0\0", 4), std::string("EDate\nE/Acc\n"), std::string(""),
          std::string("\xFF\xFE"
                      "E\0D\0",
                      6)}) {
        writeFile(dir.file("exp5.cgp"), bad);
        EXPECT_EQ(refused("group file"), e4index);
    }
    writeFile(dir.file("exp5.cgp"), "EDate\r\nGone\r\n");
    EXPECT_EQ(refused("group naming a missing index"), e4open);
    // With automatic opening off the table opens all the same, without tags.
    code4autoOpen(h.get(), 0);
    EXPECT_NE(d4open(h.get(), "EXP5"), nullptr);
}

TEST_F(DamagedFiles, DamagedIndexesAreRefused) {
    std::vector<std::pair<std::string, std::string>> cases;
    cases.push_back({"empty", ""});
    cases.push_back({"cut header", ntx.substr(0, 500)});
    std::string c = ntx;
    std::memcpy(c.data() + 22, "NOSUCH+\x01", 8);
    cases.push_back({"garbage key expression", c});
    c = ntx;
    put16(c, 14, 3);
    cases.push_back({"key size that disagrees with the expression", c});
    c = ntx;
    put32(c, 4, 0x7FFFFC00);
    cases.push_back({"root page past the end", c});
    cases.push_back({"random bytes", std::string(4096, '\x5A')});
    for (const auto& [what, bytes] : cases) {
        writeFile(dir.file("EDate.ntx"), bytes);
        Data4* t = d4open(h.get(), "EXP5");
        if (t) {
            // An index whose damage shows only when its pages are read must fail the move.
            d4tagSelect(t, d4tag(t, "EDate"));
            EXPECT_LT(d4top(t), 0) << what;
            d4close(t);
            EXPECT_LT(code4errorCode(h.get(), 0), 0) << what;
        } else {
            EXPECT_LT(code4errorCode(h.get(), 0), 0) << what;
        }
    }
}

// Random damage anywhere in the three files: whatever happens, it happens without a crash,
// and a walk in every order ends.
TEST_F(DamagedFiles, RandomDamageNeverCrashes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 150; ++round) {
        restore();
        std::string* target = round % 3 == 0 ? &dbf : round % 3 == 1 ? &ntx : &cgp;
        std::string name = round % 3 == 0 ? "EXP5.dbf" : round % 3 == 1 ? "EDate.ntx" : "exp5.cgp";
        std::string bytes = *target;
        int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips && !bytes.empty(); ++i)
            bytes[rng() % bytes.size()] = static_cast<char>(rng());
        if (rng() % 4 == 0) bytes.resize(rng() % (bytes.size() + 1));
        writeFile(dir.file(name), bytes);
        Data4* t = d4open(h.get(), "EXP5");
        if (t) {
            for (Tag4* tag : {d4tag(t, "EDate"), d4tag(t, "EAcc"), static_cast<Tag4*>(nullptr)}) {
                d4tagSelect(t, tag);
                int steps = 0;
                for (int rc = d4top(t); rc == 0 && steps < 100; rc = d4skip(t, 1)) ++steps;
                EXPECT_LT(steps, 100) << "round " << round;
                d4seek(t, "2026");
            }
            std::string report;
            d4check(t, &report);
            code4close(h.get());
        }
        code4errorCode(h.get(), 0);
    }
}

}  // namespace
}  // namespace engine
