#include "data/engine/Engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "engine/EngineFixture.h"
#include "support/FaultyFileSystem.h"

namespace engine {
namespace {

using enginetest::EngineFixture;
using enginetest::readFile;
using enginetest::sampleExpenses;
using Strings = std::vector<std::string>;

class Engine : public EngineFixture {};

TEST_F(Engine, SeekFindsExactPartialNextAndNone) {
    Data4* t = makeExpenses(sampleExpenses());
    ASSERT_EQ(d4tagSelect(t, d4tag(t, "EDate")), 0);
    EXPECT_EQ(d4seek(t, "20260305   7"), r4success);
    EXPECT_EQ(payTo(t), "Seven");
    EXPECT_EQ(d4seek(t, "20260305"), r4success);  // partial key: first of that day
    EXPECT_EQ(payTo(t), "Three");
    EXPECT_EQ(d4seek(t, "20260306"), r4after);
    EXPECT_EQ(payTo(t), "LateTwelve");
    EXPECT_EQ(d4seek(t, "2026"), r4success);
    EXPECT_EQ(payTo(t), "Twelve");
    EXPECT_EQ(d4seek(t, "20270101"), r4eof);
    EXPECT_TRUE(d4eof(t));
    EXPECT_EQ(d4recNo(t), d4recCount(t) + 1);

    ASSERT_EQ(d4tagSelect(t, d4tag(t, "eacc")), 0);
    EXPECT_EQ(d4seek(t, "  12"), r4success);
    EXPECT_EQ(payTo(t), "Twelve");
    EXPECT_EQ(d4seek(t, "   8"), r4after);
    EXPECT_EQ(payTo(t), "Twelve");
    EXPECT_EQ(d4seek(t, "  13"), r4eof);
    // The seek leaves the order walkable from where it landed.
    EXPECT_EQ(d4seek(t, "   7"), r4success);
    EXPECT_EQ(payTo(t), "OldSeven");
    EXPECT_EQ(d4skip(t, 1), 0);
    EXPECT_EQ(payTo(t), "Seven");
    EXPECT_EQ(code4errorCode(h.get(), 0), 0);
}

TEST_F(Engine, TopBottomAndSkipInEveryOrder) {
    Data4* t = makeExpenses(sampleExpenses());
    d4tagSelect(t, d4tag(t, "EDate"));
    Strings byDate = {"OldSeven", "Twelve", "Three", "Seven", "SameDay", "LateTwelve"};
    EXPECT_EQ(walk(t), byDate);
    EXPECT_EQ(walkBack(t), Strings(byDate.rbegin(), byDate.rend()));
    d4tagSelect(t, d4tag(t, "EAcc"));
    Strings byAcc = {"Three", "OldSeven", "Seven", "Twelve", "SameDay", "LateTwelve"};
    EXPECT_EQ(walk(t), byAcc);
    EXPECT_EQ(walkBack(t), Strings(byAcc.rbegin(), byAcc.rend()));
    d4tagSelect(t, nullptr);
    Strings byRecord = {"Seven", "Twelve", "OldSeven", "Three", "LateTwelve", "SameDay"};
    EXPECT_EQ(walk(t), byRecord);
    EXPECT_EQ(walkBack(t), Strings(byRecord.rbegin(), byRecord.rend()));

    // Multi-record skips, off both ends.
    d4tagSelect(t, d4tag(t, "EAcc"));
    ASSERT_EQ(d4top(t), 0);
    EXPECT_EQ(d4skip(t, 3), 0);
    EXPECT_EQ(payTo(t), "Twelve");
    EXPECT_EQ(d4skip(t, -2), 0);
    EXPECT_EQ(payTo(t), "OldSeven");
    EXPECT_EQ(d4skip(t, -5), r4bof);
    EXPECT_TRUE(d4bof(t));
    EXPECT_EQ(payTo(t), "Three");
    EXPECT_EQ(d4skip(t, 10), r4eof);
    EXPECT_TRUE(d4eof(t));
    EXPECT_EQ(d4skip(t, 1), r4eof);
    EXPECT_EQ(d4skip(t, -1), 0);  // back from the end to the last entry
    EXPECT_EQ(payTo(t), "LateTwelve");
}

TEST_F(Engine, EmptyTableIsAtEndInEveryOrder) {
    Data4* t = makeExpenses({});
    for (Tag4* tag : {d4tag(t, "EDate"), d4tag(t, "EAcc"), static_cast<Tag4*>(nullptr)}) {
        d4tagSelect(t, tag);
        EXPECT_EQ(d4top(t), r4eof);
        EXPECT_TRUE(d4eof(t));
        EXPECT_EQ(d4bottom(t), r4eof);
        EXPECT_EQ(d4skip(t, 1), r4eof);
        EXPECT_EQ(f4str(d4field(t, "PAYTO")), std::string(20, ' '));
    }
    d4tagSelect(t, d4tag(t, "EDate"));
    EXPECT_EQ(d4seek(t, "2026"), r4eof);
    EXPECT_EQ(d4recCount(t), 0);
}

TEST_F(Engine, DeletedRecordsLeaveEveryTagUntilRecalled) {
    Data4* t = makeExpenses(sampleExpenses());
    ASSERT_EQ(d4go(t, 1), 0);  // Seven
    ASSERT_EQ(d4delete(t), 0);
    EXPECT_TRUE(d4deleted(t));
    ASSERT_EQ(d4go(t, 5), 0);  // LateTwelve
    ASSERT_EQ(d4delete(t), 0);
    d4tagSelect(t, d4tag(t, "EDate"));
    EXPECT_EQ(walk(t), (Strings{"OldSeven", "Twelve", "Three", "SameDay"}));
    EXPECT_EQ(d4seek(t, "20260305   7"), r4after);
    EXPECT_EQ(payTo(t), "SameDay");
    EXPECT_EQ(d4seek(t, "20260410"), r4eof);
    d4tagSelect(t, d4tag(t, "EAcc"));
    EXPECT_EQ(walk(t), (Strings{"Three", "OldSeven", "Twelve", "SameDay"}));
    d4tagSelect(t, nullptr);
    EXPECT_EQ(walk(t).size(), 6u);  // record order shows every record
    EXPECT_EQ(d4recCount(t), 6);
    EXPECT_EQ(t4count(d4tag(t, "EAcc")), 4);
    EXPECT_EQ(checked(t), "sound");

    ASSERT_EQ(d4go(t, 1), 0);
    ASSERT_EQ(d4recall(t), 0);
    d4tagSelect(t, d4tag(t, "EDate"));
    EXPECT_EQ(d4seek(t, "20260305   7"), r4success);
    EXPECT_EQ(d4recNo(t), 1);
    EXPECT_EQ(checked(t), "sound");
}

TEST_F(Engine, DeletingTheCurrentRecordKeepsTheWalkGoing) {
    Data4* t = makeExpenses(sampleExpenses());
    d4tagSelect(t, d4tag(t, "EDate"));
    Strings seen;
    for (int rc = d4top(t); rc == 0; rc = d4skip(t, 1)) {
        seen.push_back(payTo(t));
        if (payTo(t) == "Twelve" || payTo(t) == "Seven") d4delete(t);
    }
    EXPECT_EQ(seen, (Strings{"OldSeven", "Twelve", "Three", "Seven", "SameDay", "LateTwelve"}));
    EXPECT_EQ(walk(t), (Strings{"OldSeven", "Three", "SameDay", "LateTwelve"}));
}

TEST_F(Engine, ChangedKeyMovesTheRecordAndTheWalkGoesOnFromItsNewPlace) {
    Data4* t = makeExpenses(sampleExpenses());
    d4tagSelect(t, d4tag(t, "EAcc"));
    ASSERT_EQ(d4seek(t, "   3"), r4success);
    ASSERT_EQ(f4assignInt(d4field(t, "ACCNO"), 10), 0);
    EXPECT_EQ(d4skip(t, 1), 0);
    EXPECT_EQ(payTo(t), "Twelve");
    EXPECT_EQ(d4skip(t, -1), 0);
    EXPECT_EQ(payTo(t), "Three");
    EXPECT_EQ(walk(t), (Strings{"OldSeven", "Seven", "Three", "Twelve", "SameDay", "LateTwelve"}));
    EXPECT_EQ(checked(t), "sound");
}

TEST_F(Engine, RecordNumbersAndCounts) {
    Data4* t = makeExpenses(sampleExpenses());
    EXPECT_EQ(d4recCountDo(t), 6);
    ASSERT_EQ(d4go(t, 4), 0);
    EXPECT_EQ(d4recNo(t), 4);
    EXPECT_EQ(payTo(t), "Three");
    EXPECT_EQ(d4go(t, 7), e4parm);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4parm);
    EXPECT_EQ(d4go(t, 0), e4parm);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4parm);
    EXPECT_EQ(code4errorCode(h.get(), 0), 0);  // cleared by the read before
    ASSERT_EQ(d4appendBlank(t), 0);
    EXPECT_EQ(d4recNo(t), 7);
    EXPECT_EQ(d4recCount(t), 7);
}

TEST_F(Engine, ChangesReachTheFileAtTheNextMove) {
    Data4* t = makeExpenses(sampleExpenses());
    ASSERT_EQ(d4go(t, 2), 0);
    ASSERT_EQ(f4assign(d4field(t, "PAYTO"), "Changed"), 0);
    std::string path = dir.file("EXP5.dbf");
    EXPECT_EQ(readFile(path).find("Changed"), std::string::npos);
    ASSERT_EQ(d4skip(t, 1), 0);
    EXPECT_NE(readFile(path).find("Changed"), std::string::npos);

    ASSERT_EQ(d4appendBlank(t), 0);
    ASSERT_EQ(f4assign(d4field(t, "PAYTO"), "Appended"), 0);
    ASSERT_EQ(d4top(t), 0);
    std::string bytes = readFile(path);
    EXPECT_NE(bytes.find("Appended"), std::string::npos);
    EXPECT_EQ(enginetest::get32(bytes, 4), 7u);
    EXPECT_EQ(bytes.back(), 0x1A);
}

// An "Add another" run appends record after record with no other move between them: each
// saved record must be on file (and counted) once the next one is begun.
TEST_F(Engine, AppendReachesTheFileWhenTheNextAppendBegins) {
    Data4* t = makeExpenses(sampleExpenses());
    std::string path = dir.file("EXP5.dbf");
    ASSERT_EQ(d4appendBlank(t), 0);
    ASSERT_EQ(f4assign(d4field(t, "PAYTO"), "First saved"), 0);
    ASSERT_EQ(d4appendBlank(t), 0);
    std::string bytes = readFile(path);
    EXPECT_NE(bytes.find("First saved"), std::string::npos);
    EXPECT_EQ(enginetest::get32(bytes, 4), 7u);
    EXPECT_EQ(bytes.back(), 0x1A);
}

TEST_F(Engine, GatheredAppendsWaitForTheNextOtherMoveOnlyWhenAskedFor) {
    Data4* t = makeExpenses(sampleExpenses());
    std::string path = dir.file("EXP5.dbf");
    EXPECT_EQ(code4optimizeWrite(h.get(), 1), 0);
    ASSERT_EQ(d4appendBlank(t), 0);
    ASSERT_EQ(f4assign(d4field(t, "PAYTO"), "Gathered"), 0);
    ASSERT_EQ(d4appendBlank(t), 0);
    EXPECT_EQ(readFile(path).find("Gathered"), std::string::npos);
    ASSERT_EQ(d4top(t), 0);
    std::string bytes = readFile(path);
    EXPECT_NE(bytes.find("Gathered"), std::string::npos);
    EXPECT_EQ(enginetest::get32(bytes, 4), 8u);
    EXPECT_EQ(checked(t), "sound");
}

TEST_F(Engine, GroupFileOpensTagsWhenAutoOpenIsOn) {
    makeExpenses(sampleExpenses());
    EXPECT_TRUE(std::filesystem::exists(dir.file("exp5.cgp")));
    ASSERT_EQ(code4close(h.get()), 0);

    Data4* t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t4alias(d4tagDefault(t)), "EDate");
    EXPECT_EQ(d4tagSelected(t), d4tag(t, "EDate"));
    ASSERT_NE(d4tag(t, "edate"), nullptr);
    EXPECT_EQ(d4tag(t, "EACC"), d4tag(t, "eAcc"));
    EXPECT_EQ(d4tag(t, "Nope"), nullptr);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4tagName);
    code4errTagName(h.get(), 0);
    EXPECT_EQ(d4tag(t, "Nope"), nullptr);
    EXPECT_EQ(code4errorCode(h.get(), 0), 0);
    code4errTagName(h.get(), 1);
    EXPECT_EQ(walk(t).front(), "OldSeven");
    ASSERT_EQ(d4close(t), 0);

    code4autoOpen(h.get(), 0);
    t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(d4tagDefault(t), nullptr);
    EXPECT_EQ(d4tag(t, "EDate"), nullptr);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4tagName);
    EXPECT_EQ(walk(t).front(), "Seven");  // record order
}

TEST_F(Engine, TagTheGroupDoesNotListIsAnError) {
    makeExpenses(sampleExpenses());
    code4close(h.get());
    enginetest::writeFile(dir.file("exp5.cgp"), "EDate\r\n");
    Data4* t = d4open(h.get(), "exp5");
    ASSERT_NE(t, nullptr);
    EXPECT_NE(d4tag(t, "EDate"), nullptr);
    EXPECT_EQ(d4tag(t, "EAcc"), nullptr);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4tagName);
}

TEST_F(Engine, FileNamesMatchWithoutRegardToCase) {
    makeExpenses(sampleExpenses(), "acc");
    code4close(h.get());
    Data4* t = d4open(h.get(), "ACC");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(d4recCount(t), 6);
    code4close(h.get());
    std::filesystem::rename(dir.file("acc.dbf"), dir.file("Acc.DBF"));
    std::filesystem::rename(dir.file("exp5.cgp"), dir.file("ACC.CGP"));
    std::filesystem::rename(dir.file("EDate.ntx"), dir.file("EDATE.NTX"));
    t = d4open(h.get(), "aCC");
    ASSERT_NE(t, nullptr) << code4errorText(h.get());
    EXPECT_NE(d4tag(t, "EDate"), nullptr);
    EXPECT_EQ(walk(t).size(), 6u);
    EXPECT_EQ(d4open(h.get(), "ACCX"), nullptr);
    EXPECT_LT(code4errorCode(h.get(), 0), 0);
}

TEST_F(Engine, TablesOpenByPathAndWithTheirExtension) {
    std::filesystem::create_directory(dir.file("Import"));
    enginetest::writeFile(dir.file("Import/Pmt.DBF"),
                          enginetest::rawTable(0x03, 0x03, {{"NAME", 'C', 4}}, {" abcd"}));
    for (std::string name :
         {std::string("Import/pmt"), std::string("import/PMT.dbf"), dir.file("Import/pmt.dbf")}) {
        Data4* t = d4open(h.get(), name);
        ASSERT_NE(t, nullptr) << name << ": " << code4errorText(h.get());
        EXPECT_EQ(d4recCount(t), 1) << name;
        d4close(t);
    }
}

TEST_F(Engine, SafetyGuardsExistingIndexFiles) {
    Data4* t = makeExpenses(sampleExpenses());
    std::vector<Tag4Info> tags = {{"EDate", "DTOS(EXPDATE)", ".NOT. DELETED()"}};
    EXPECT_EQ(i4create(t, "exp5", tags), e4create);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4create);
    EXPECT_NE(d4tag(t, "EAcc"), nullptr);  // nothing was touched
    code4safety(h.get(), 0);
    ASSERT_EQ(i4create(t, "exp5", tags), 0);
    EXPECT_EQ(readFile(dir.file("exp5.cgp")), "EDate\r\n");
    code4errTagName(h.get(), 0);
    EXPECT_EQ(d4tag(t, "EAcc"), nullptr);
    EXPECT_EQ(t4expr(d4tag(t, "EDate")), "DTOS(EXPDATE)");
    EXPECT_EQ(i4create(t, "exp5", {{"Bad", "NOSUCH + 1", ""}}), e4expr);
}

TEST_F(Engine, ErrorCodeIsReadAndClearedAndExitGoesThroughTheHandler) {
    EXPECT_EQ(d4open(h.get(), "MISSING"), nullptr);
    EXPECT_LT(code4errorCode(h.get(), 0), 0);
    EXPECT_EQ(code4errorCode(h.get(), 0), 0);
    EXPECT_NO_THROW(error4exitTest(h.get()));
    d4open(h.get(), "MISSING");
    EXPECT_THROW(error4exitTest(h.get()), std::runtime_error);
    EXPECT_THROW(code4exit(h.get()), std::runtime_error);
}

TEST_F(Engine, ExclusiveAccessKeepsAnotherHandleOut) {
    makeExpenses(sampleExpenses());
    code4close(h.get());
    code4accessMode(h.get(), 1);
    ASSERT_NE(d4open(h.get(), "EXP5"), nullptr);
    auto other = code4init(posixFileSystem(), dir.path());
    EXPECT_EQ(d4open(other.get(), "EXP5"), nullptr);
    EXPECT_EQ(code4errorCode(other.get(), 0), e4lock);
    code4close(h.get());
    code4accessMode(h.get(), 0);
    ASSERT_NE(d4open(h.get(), "EXP5"), nullptr);
    EXPECT_NE(d4open(other.get(), "EXP5"), nullptr);  // two shared users
    code4accessMode(other.get(), 1);
    EXPECT_EQ(d4open(other.get(), "EXP5"), nullptr);
    code4close(other.get());
}

TEST_F(Engine, FieldValuesAreCutPaddedAndParsed) {
    Data4* t = makeExpenses({});
    ASSERT_EQ(d4appendBlank(t), 0);
    Field4* pay = d4field(t, "PAYTO");
    Field4* amt = d4field(t, "amount");
    Field4* acc = d4field(t, "AccNo");
    Field4* arc = d4field(t, "ARCHIVE");
    EXPECT_EQ(f4int(acc), 0);  // blank reads as 0
    EXPECT_EQ(f4double(amt), 0.0);
    ASSERT_EQ(f4assign(pay, "A name far longer than twenty"), 0);
    EXPECT_EQ(f4str(pay), "A name far longer th");
    ASSERT_EQ(f4assign(pay, "Short"), 0);
    EXPECT_EQ(f4str(pay), "Short               ");
    ASSERT_EQ(f4assignDouble(amt, 2.675), 0);
    EXPECT_EQ(f4str(amt), "      2.68");
    ASSERT_EQ(f4assignDouble(amt, -1234.5), 0);
    EXPECT_EQ(f4str(amt), "  -1234.50");
    EXPECT_DOUBLE_EQ(f4double(amt), -1234.5);
    ASSERT_EQ(f4assignDouble(amt, -0.001), 0);
    EXPECT_EQ(f4str(amt), "      0.00");
    ASSERT_EQ(f4assignDouble(amt, 999999.995), 0);
    EXPECT_EQ(f4str(amt), "1000000.00");
    // Too wide: refused, the field keeps its value.
    EXPECT_EQ(f4assignDouble(amt, 12345678.0), e4parm);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4parm);
    EXPECT_EQ(f4str(amt), "1000000.00");
    const std::pair<double, const char*> amounts[] = {
        {0.07, "      0.07"},      {-0.07, "     -0.07"}, {12.34, "     12.34"},
        {-0.0, "      0.00"},      {0.0, "      0.00"},   {1234.999999999, "   1235.00"},
        {-0.004999, "      0.00"}, {100, "    100.00"}};
    for (const auto& [value, text] : amounts) {
        ASSERT_EQ(f4assignDouble(amt, value), 0);
        EXPECT_EQ(f4str(amt), text) << value;
    }
    ASSERT_EQ(f4assignInt(acc, 42), 0);
    EXPECT_EQ(f4str(acc), "  42");
    EXPECT_EQ(f4assignInt(acc, 10000), e4parm);
    code4errorCode(h.get(), 0);
    EXPECT_EQ(f4int(acc), 42);
    ASSERT_EQ(f4assignLong(amt, 7), 0);
    EXPECT_EQ(f4str(amt), "      7.00");
    ASSERT_EQ(f4assign(amt, " 3,5 "), 0);
    EXPECT_EQ(f4str(amt), "       3,5");
    EXPECT_DOUBLE_EQ(f4double(amt), 3.5);
    for (const char* yes : {"T", "t", "Y", "y"}) {
        f4assign(arc, yes);
        EXPECT_EQ(f4true(arc), 1) << yes;
    }
    for (const char* no : {"F", "n", " ", "?"}) {
        f4assign(arc, no);
        EXPECT_EQ(f4true(arc), 0) << no;
    }
    EXPECT_EQ(f4len(pay), 20);
    EXPECT_EQ(f4decimals(amt), 2);
    EXPECT_EQ(f4type(arc), 'L');
    EXPECT_EQ(f4name(acc), "ACCNO");
    EXPECT_EQ(d4field(t, "NOSUCH"), nullptr);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4fieldName);
}

TEST_F(Engine, StoredBytesAreCopiedOnlyInTheFormAnAssignmentWrites) {
    Data4* to = makeExpenses({});
    Data4* from = d4create(h.get(), "OLD",
                           {{"EXPDATE", 'D', 8, 0},
                            {"ACCNO", 'N', 4, 0},
                            {"PAYTO", 'C', 20, 0},
                            {"AMOUNT", 'N', 10, 2},
                            {"ARCHIVE", 'L', 1, 0},
                            {"ONEDEC", 'N', 10, 1},
                            {"SHORT", 'C', 19, 0}});
    ASSERT_NE(from, nullptr);
    ASSERT_EQ(d4appendBlank(from), 0);
    ASSERT_EQ(d4appendBlank(to), 0);
    struct Case {
        const char* field;
        const char* stored;
        const char* into;  // the field of `to`
        bool copied;
    };
    const Case cases[] = {
        {"AMOUNT", "1234.50", "AMOUNT", true},
        {"AMOUNT", "0.50", "AMOUNT", true},
        {"AMOUNT", "-7.25", "AMOUNT", true},
        {"AMOUNT", "01234.50", "AMOUNT", false},
        {"AMOUNT", ".50", "AMOUNT", false},
        {"AMOUNT", "-0.00", "AMOUNT", false},
        {"AMOUNT", "1234.5", "AMOUNT", false},
        {"AMOUNT", "12345678", "AMOUNT", false},
        {"AMOUNT", "1e3", "AMOUNT", false},
        {"AMOUNT", "", "AMOUNT", false},
        {"ACCNO", "42", "ACCNO", true},
        {"ACCNO", "4.2", "ACCNO", false},
        {"ONEDEC", "12.5", "AMOUNT", false},
        {"EXPDATE", "20250101", "EXPDATE", true},
        {"EXPDATE", "2025 101", "EXPDATE", false},
        {"EXPDATE", "", "EXPDATE", false},
        {"ARCHIVE", "T", "ARCHIVE", true},
        {"ARCHIVE", "Y", "ARCHIVE", false},
        {"PAYTO", "Plain text", "PAYTO", true},
        {"PAYTO", "Caf\xc3\xa9", "PAYTO", false},
        {"SHORT", "Plain text", "PAYTO", false},
        {"PAYTO", "Plain text", "ACCNO", false},
    };
    for (const Case& c : cases) {
        Field4* into = d4field(to, c.into);
        ASSERT_EQ(f4assign(d4field(from, c.field), c.stored), 0) << c.stored;
        ASSERT_EQ(f4assign(into, ""), 0);
        const std::string before = f4str(into);
        EXPECT_EQ(f4assignStored(into, d4field(from, c.field)), c.copied) << c.stored;
        EXPECT_EQ(f4str(into), c.copied ? f4str(d4field(from, c.field)) : before) << c.stored;
    }
}

TEST_F(Engine, TextIsWindows1252OnFileAndCutInStoredCharacters) {
    Data4* t = makeExpenses({});
    ASSERT_EQ(d4appendBlank(t), 0);
    ASSERT_EQ(f4assign(d4field(t, "PAYTO"), "Crème brûlée €5 Ωmega"), 0);
    EXPECT_EQ(f4str(d4field(t, "PAYTO")), "Crème brûlée €5 ?meg");
    ASSERT_EQ(d4close(t), 0);
    std::string bytes = readFile(dir.file("EXP5.dbf"));
    EXPECT_NE(bytes.find("Cr\xE8me br\xFBl\xE9"
                         "e \x80"
                         "5 ?meg"),
              std::string::npos);
}

TEST_F(Engine, ForeignTableKeepsItsOwnCodePageOnWrite) {
    enginetest::writeFile(dir.file("pmt.dbf"),
                          enginetest::rawTable(0x03, 0x02, {{"NAME", 'C', 8}}, {" \x9Dre    "}));
    Data4* t = d4open(h.get(), "PMT");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(d4top(t), 0);
    EXPECT_EQ(f4str(d4field(t, "NAME")), "Øre     ");
    ASSERT_EQ(f4assign(d4field(t, "NAME"), "Ærø"), 0);
    ASSERT_EQ(d4close(t), 0);
    std::string bytes = readFile(dir.file("pmt.dbf"));
    EXPECT_NE(bytes.find("\x92r\x9B     "), std::string::npos);
    EXPECT_EQ(bytes[29], 0x02);
}

TEST_F(Engine, FailedIndexBuildKeepsTheOldFiles) {
    makeExpenses(sampleExpenses());
    code4close(h.get());
    const std::string cgp = readFile(dir.file("exp5.cgp"));
    for (FsOp op : {FsOp::Write, FsOp::Rename}) {
        FaultyFileSystem fs;
        auto h2 = code4init(fs, dir.path());
        code4autoOpen(h2.get(), 0);
        code4safety(h2.get(), 0);
        Data4* t = d4open(h2.get(), "EXP5");
        ASSERT_NE(t, nullptr);
        fs.onlyPaths(".cgp");
        fs.failNth(op, 1, ENOSPC);
        EXPECT_LT(i4create(t, "exp5", {{"EAcc", "STR(ACCNO,4)", ".NOT. DELETED()"}}), 0)
            << fsOpName(op);
        EXPECT_LT(code4errorCode(h2.get(), 0), 0);
        EXPECT_EQ(readFile(dir.file("exp5.cgp")), cgp) << fsOpName(op);
        code4close(h2.get());
    }
}

TEST_F(Engine, PackAndZapKeepTheTagsValid) {
    Data4* t = makeExpenses(sampleExpenses());
    for (long n : {1L, 3L, 6L}) {
        d4go(t, n);
        d4delete(t);
    }
    d4tagSelect(t, d4tag(t, "EAcc"));
    ASSERT_EQ(d4pack(t), 0) << code4errorText(h.get());
    EXPECT_EQ(d4recCount(t), 3);
    EXPECT_EQ(checked(t), "sound");
    EXPECT_EQ(walk(t), (Strings{"Three", "Twelve", "LateTwelve"}));
    EXPECT_EQ(d4seek(t, "  12"), r4success);
    EXPECT_EQ(d4recNo(t), 1);
    // The table stays usable: appends reach every tag.
    append(t, {"20200101", 5, "Five", 1});
    EXPECT_EQ(walk(t), (Strings{"Three", "Five", "Twelve", "LateTwelve"}));
    EXPECT_EQ(checked(t), "sound");

    ASSERT_EQ(d4zap(t, 2, 3), 0);
    EXPECT_EQ(d4recCount(t), 2);
    EXPECT_EQ(walk(t), (Strings{"Five", "Twelve"}));
    EXPECT_EQ(checked(t), "sound");
    ASSERT_EQ(d4zap(t, 1, 1000000000), 0);
    EXPECT_EQ(d4recCount(t), 0);
    EXPECT_EQ(d4top(t), r4eof);
    EXPECT_EQ(checked(t), "sound");
    code4close(h.get());
    t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(d4recCount(t), 0);
    EXPECT_EQ(checked(t), "sound");
}

TEST_F(Engine, CheckFindsAnIndexThatDisagreesWithTheTable) {
    makeExpenses(sampleExpenses());
    code4close(h.get());
    // Another program changes an account number behind the index's back.
    std::string bytes = readFile(dir.file("EXP5.dbf"));
    auto at = bytes.find("Seven");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at - 4, 4, "  99");
    enginetest::writeFile(dir.file("EXP5.dbf"), bytes);
    Data4* t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    std::string report;
    EXPECT_LT(d4check(t, &report), 0);
    EXPECT_FALSE(report.empty());
}

TEST_F(Engine, NumericTagSeeksTheNumberOfAText) {
    Data4* t = d4create(h.get(), "FOLDER", {{"FOLNO", 'N', 4, 0}, {"FOLNAME", 'C', 10, 0}});
    ASSERT_NE(t, nullptr);
    for (int n : {12, 7, -5, 0, 300}) {
        d4appendBlank(t);
        f4assignInt(d4field(t, "FOLNO"), n);
    }
    ASSERT_EQ(i4create(t, "Folder", {{"FolTag", "FOLNO", ".NOT. DELETED()"}}), 0);
    d4tagSelect(t, d4tag(t, "FolTag"));
    std::vector<int> order;
    for (int rc = d4top(t); rc == 0; rc = d4skip(t, 1)) order.push_back(f4int(d4field(t, "FOLNO")));
    EXPECT_EQ(order, (std::vector<int>{-5, 0, 7, 12, 300}));
    EXPECT_EQ(d4seek(t, "   7"), r4success);
    EXPECT_EQ(f4int(d4field(t, "FOLNO")), 7);
    EXPECT_EQ(d4seek(t, "8"), r4after);
    EXPECT_EQ(f4int(d4field(t, "FOLNO")), 12);
    EXPECT_EQ(d4seekDouble(t, 300), r4success);
    EXPECT_EQ(d4seekDouble(t, 301), r4eof);
}

TEST_F(Engine, FailedPackLeavesTheOldTableAndGoesOn) {
    makeExpenses(sampleExpenses());
    code4close(h.get());
    const std::string original = readFile(dir.file("EXP5.dbf"));
    for (FsOp op : {FsOp::Write, FsOp::Rename, FsOp::Sync}) {
        FaultyFileSystem fs;
        auto h2 = code4init(fs, dir.path());
        Data4* t = d4open(h2.get(), "EXP5");
        ASSERT_NE(t, nullptr);
        d4go(t, 2);
        d4delete(t);
        d4go(t, 2);  // the delete mark is on file before the pack starts
        const std::string marked = readFile(dir.file("EXP5.dbf"));
        fs.onlyPaths("EXP5.dbf.tmp");
        fs.failNth(op, 1, op == FsOp::Write ? ENOSPC : EIO);
        EXPECT_LT(d4pack(t), 0) << fsOpName(op);
        EXPECT_LT(code4errorCode(h2.get(), 0), 0);
        // Byte 14 marks index files in flux; the records must be exactly the old ones.
        std::string now = readFile(dir.file("EXP5.dbf"));
        std::string before = marked;
        now[14] = before[14] = 0;
        EXPECT_EQ(now, before) << fsOpName(op);
        EXPECT_EQ(d4recCount(t), 6);
        EXPECT_EQ(walk(t).size(), 5u);
        EXPECT_EQ(checked(t), "sound");
        d4go(t, 2);
        d4recall(t);
        ASSERT_EQ(code4close(h2.get()), 0);
    }
    EXPECT_EQ(readFile(dir.file("EXP5.dbf")).substr(32), original.substr(32));
}

TEST_F(Engine, PackRemovesTheIndexFilesBeforeTheNewTableTakesOver) {
    makeExpenses(sampleExpenses());
    code4close(h.get());
    FaultyFileSystem fs;
    auto h2 = code4init(fs, dir.path());
    Data4* t = d4open(h2.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    d4go(t, 3);
    d4delete(t);
    std::vector<std::string> steps;
    fs.setHook([&](FsOp op, const std::string& path) {
        if (op == FsOp::Remove || op == FsOp::Rename) steps.push_back(fsOpName(op) + (" " + path));
        return 0;
    });
    ASSERT_EQ(d4pack(t), 0);
    auto at = [&](const std::string& step) {
        auto it = std::find_if(steps.begin(), steps.end(), [&](const std::string& s) {
            return s.find(step) != std::string::npos;
        });
        return it - steps.begin();
    };
    auto tableRenamed = at("EXP5.dbf.tmp -> ");
    ASSERT_LT(tableRenamed, static_cast<long>(steps.size()));
    EXPECT_LT(at("remove " + dir.file("EDate.ntx")), tableRenamed);
    EXPECT_LT(at("remove " + dir.file("EAcc.ntx")), tableRenamed);
    EXPECT_EQ(checked(t), "sound");
    EXPECT_TRUE(std::filesystem::exists(dir.file("EDate.ntx")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("EAcc.ntx")));
}

TEST_F(Engine, FailedWriteOnMoveIsReported) {
    makeExpenses(sampleExpenses());
    code4close(h.get());
    FaultyFileSystem fs;
    auto h2 = code4init(fs, dir.path());
    Data4* t = d4open(h2.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(d4go(t, 1), 0);
    f4assign(d4field(t, "PAYTO"), "Lost?");
    fs.failNth(FsOp::Write, 1, ENOSPC);
    EXPECT_EQ(d4skip(t, 1), e4full);
    EXPECT_EQ(code4errorCode(h2.get(), 0), e4full);
    code4close(h2.get());
}

// A bulk append keeps the in-flux mark from its first record to its end; its entries reach
// every tag by an ordered merge (a small batch) or a fresh build (a large one), and a move in
// the middle of the batch already finds the records appended so far.
TEST_F(Engine, BulkAppendMergesIntoEveryTagAndIsDurableAtItsEnd) {
    std::vector<enginetest::Expense> rows;
    for (int i = 0; i < 2000; ++i)
        rows.push_back({"2025" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(1 + i % 12) +
                            "1" + std::to_string(i % 9),
                        100 + i % 37, "Payee " + std::to_string(i), i * 0.5});
    Data4* t = makeExpenses(rows);
    for (const int batch : {100, 1500}) {
        ASSERT_EQ(d4appendStart(t), 0);
        for (int i = 0; i < batch; ++i) {
            append(t, {"20240" + std::to_string(1 + i % 9) + "15", 100 + (i * 7) % 41, "Bulk",
                       1.0 * i});
            if (i == 1) {
                EXPECT_EQ(readFile(dir.file("EXP5.dbf"))[14], 1) << "marked from the start";
            }
        }
        append(t, {"20240101", 5000 + batch, "Marker", 0.0});
        ASSERT_EQ(d4tagSelect(t, d4tag(t, "EAcc")), 0);
        EXPECT_EQ(d4seek(t, std::to_string(5000 + batch)), r4success) << "found before the end";
        ASSERT_EQ(d4appendStart(t), 0);  // the seek put the batch in; a new one begins
        append(t, {"20270101", 9999, "Last", 2.0});
        ASSERT_EQ(d4appendEnd(t), 0);
        EXPECT_EQ(readFile(dir.file("EXP5.dbf"))[14], 0) << batch;
        std::string report;
        EXPECT_EQ(d4check(t, &report), 0) << batch << report;
        EXPECT_EQ(d4bottom(t), 0);
        EXPECT_EQ(f4int(d4field(t, "ACCNO")), 9999);
    }
    // After the batch an append is a single one again, in the tags at once.
    append(t, {"20200101", 1, "Single", 3.0});
    ASSERT_EQ(d4top(t), 0);
    EXPECT_EQ(f4int(d4field(t, "ACCNO")), 1);
}

// Changes in place during a bulk change: records deleted, recalled, given new keys (one twice)
// while the table moves in record order. A read in the middle sees the changes; at the end the
// marks are on file and every tag holds exactly the live records, whether the batch went in
// by the ordered pass (a small one) or by a fresh build (a large one).
TEST_F(Engine, BulkChangesInPlaceReachFileAndTags) {
    std::vector<enginetest::Expense> rows;
    for (int i = 0; i < 2000; ++i)
        rows.push_back({"2025010" + std::to_string(1 + i % 9), 100 + i % 37, "P", 1.0});
    Data4* t = makeExpenses(rows);
    d4tagSelect(t, nullptr);
    Field4* acc = d4field(t, "ACCNO");
    long deleted = 0;
    for (const int every : {41, 3}) {
        ASSERT_EQ(d4appendStart(t), 0);
        for (int rc = d4top(t); rc == r4success; rc = d4skip(t, 1)) {
            const long n = d4recNo(t);
            if (n % every == 0 && !d4deleted(t)) {
                ASSERT_EQ(d4delete(t), 0);
                ++deleted;
            } else if (n % every == 1) {
                ASSERT_EQ(f4assignInt(acc, 7000 + int(n)), 0);
            }
        }
        ASSERT_EQ(d4go(t, 2), 0);  // changed twice: only its last key stays
        ASSERT_EQ(f4assignInt(acc, 42), 0);
        ASSERT_EQ(d4go(t, every), 0);  // deleted, then recalled
        ASSERT_EQ(d4recall(t), 0);
        --deleted;
        ASSERT_EQ(d4go(t, every + 1), 0);
        EXPECT_EQ(f4int(acc), 7000 + every + 1) << "read back before the end";
        ASSERT_EQ(d4appendEnd(t), 0);
        EXPECT_EQ(readFile(dir.file("EXP5.dbf"))[14], 0);
        EXPECT_EQ(checked(t), "sound") << every;

        auto other = code4init(posixFileSystem(), dir.path());
        Data4* again = d4open(other.get(), "EXP5");
        ASSERT_NE(again, nullptr);
        long onFile = 0;
        d4tagSelect(again, nullptr);
        for (int rc = d4top(again); rc == r4success; rc = d4skip(again, 1))
            onFile += d4deleted(again) ? 1 : 0;
        ASSERT_EQ(d4tagSelect(again, d4tag(again, "EAcc")), 0);
        EXPECT_EQ(d4seek(again, "  42"), r4success);
        EXPECT_EQ(d4recNo(again), 2);
        EXPECT_EQ(d4seek(again, std::to_string(7000 + every + 1)), r4success);
        code4initUndo(other.get());
        EXPECT_EQ(onFile, deleted) << every;
        d4tagSelect(t, nullptr);
    }
}

// A batch cut short by a crash: some of its records on file, none of their entries; the mark
// makes the next open build the indexes from the table.
TEST_F(Engine, BulkAppendCutShortIsRebuiltAtTheNextOpen) {
    Data4* t = makeExpenses(sampleExpenses());
    ASSERT_EQ(d4appendStart(t), 0);
    for (int i = 0; i < 3000; ++i) append(t, {"20260501", 500 + i % 7, "Bulk", 1.0});
    enginetest::TempDir crashed;
    for (const char* f : {"EXP5.dbf", "EDate.ntx", "EAcc.ntx", "exp5.cgp"})
        std::filesystem::copy_file(dir.file(f), crashed.file(f));
    EXPECT_EQ(readFile(crashed.file("EXP5.dbf"))[14], 1);

    auto other = code4init(posixFileSystem(), crashed.path());
    Data4* again = d4open(other.get(), "EXP5");
    ASSERT_NE(again, nullptr) << code4errorText(other.get());
    std::string report;
    EXPECT_EQ(d4check(again, &report), 0) << report;
    ASSERT_EQ(d4tagSelect(again, d4tag(again, "EAcc")), 0);
    EXPECT_EQ(d4seek(again, " 500"), r4success);
    code4initUndo(other.get());
    ASSERT_EQ(d4appendEnd(t), 0);
    EXPECT_EQ(d4check(t, &report), 0) << report;
}

// Whole numbers are read as the number's text says, the fraction cut off toward zero, whether
// the text takes the short way (plain digits) or the full reading.
TEST_F(Engine, WholeNumbersAreReadAsTheFullReadingCutsThem) {
    Data4* t = d4create(h.get(), "NUMS", {{"N", 'N', 20, 0}});
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(d4appendBlank(t), 0);
    Field4* n = d4field(t, "N");
    const struct {
        const char* text;
        long whole;
        int clamped;
    } cases[] = {{"42", 42, 42},
                 {"-7", -7, -7},
                 {"12.75", 12, 12},
                 {"-12.75", -12, -12},
                 {"1e3", 1000, 1000},
                 {"", 0, 0},
                 {"12abc", 12, 12},
                 {"123456789012345", 123456789012345L, 2147483647},
                 {"-99999999999999999", -99999999999999999L - 1, -2147483647 - 1}};
    for (const auto& c : cases) {
        ASSERT_EQ(f4assign(n, c.text), 0) << c.text;
        EXPECT_EQ(f4long(n), static_cast<long>(f4double(n))) << c.text;
        EXPECT_EQ(f4int(n), c.clamped) << c.text;
        EXPECT_EQ(f4long(n), c.whole) << c.text;
    }
}

// Text comes as a view of the record while it is ASCII and decoded only where it is not.
TEST_F(Engine, TextViewsAreTheRecordsBytesUnlessTheyNeedDecoding) {
    Data4* t = makeExpenses({{"20260101", 1, "Plain", 1.0}, {"20260102", 2, "Caf\xc3\xa9", 2.0}});
    ASSERT_EQ(d4tagSelect(t, nullptr), 0);
    ASSERT_EQ(d4top(t), 0);
    Field4* payTo = d4field(t, "PAYTO");
    std::string scratch;
    EXPECT_EQ(f4strView(payTo, scratch), f4str(payTo));
    EXPECT_TRUE(scratch.empty());
    ASSERT_EQ(d4skip(t, 1), 0);
    EXPECT_EQ(f4strView(payTo, scratch), f4str(payTo));
    EXPECT_EQ(scratch.substr(0, 5), "Caf\xc3\xa9");
}

// What a crash leaves: the files as they are on disk while the table is still open, with the
// changed index pages only in the engine's memory.
TEST_F(Engine, IndexesLeftMidChangeByACrashAreRebuiltAtTheNextOpen) {
    Data4* t = makeExpenses(sampleExpenses());
    ASSERT_EQ(d4close(t), 0);
    t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    append(t, {"20260401", 42, "After crash", 1.0});
    ASSERT_EQ(d4top(t), 0);  // the record is on file; its index entries are not

    enginetest::TempDir crashed;
    for (const char* f : {"EXP5.dbf", "EDate.ntx", "EAcc.ntx", "exp5.cgp"}) {
        std::filesystem::copy_file(dir.file(f), crashed.file(f));
    }
    EXPECT_EQ(readFile(crashed.file("EXP5.dbf"))[14], 1) << "the in-flux mark is on file";

    auto other = code4init(posixFileSystem(), crashed.path());
    Data4* again = d4open(other.get(), "EXP5");
    ASSERT_NE(again, nullptr) << code4errorText(other.get());
    std::string report;
    EXPECT_EQ(d4check(again, &report), 0) << report;
    ASSERT_EQ(d4tagSelect(again, d4tag(again, "EAcc")), 0);
    EXPECT_EQ(d4seek(again, "  42"), r4success);
    EXPECT_EQ(readFile(crashed.file("EXP5.dbf"))[14], 0) << "mark cleared once rebuilt";
    code4initUndo(other.get());

    // A clean close clears the mark, and the next open trusts the files.
    ASSERT_EQ(d4close(t), 0);
    EXPECT_EQ(readFile(dir.file("EXP5.dbf"))[14], 0);
}

}  // namespace
}  // namespace engine
