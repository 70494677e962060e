// Tables the engine writes are read by an independent xBase reader (Debian's python3-dbf),
// tables that reader writes, and tables laid out as other xBase programs lay them out, are
// read by the engine.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "data/engine/Engine.h"
#include "engine/EngineFixture.h"

namespace engine {
namespace {

using enginetest::RawField;
using enginetest::rawTable;
using enginetest::readFile;
using enginetest::writeFile;

constexpr const char* kPython = "/usr/bin/python3";

bool havePythonDbf() {
    static const bool ok =
        std::filesystem::exists(kPython) &&
        std::system((std::string(kPython) + " -c 'import dbf' >/dev/null 2>&1").c_str()) == 0;
    return ok;
}

// Runs a Python script with the given arguments and returns what it prints.
std::string python(const std::string& dir, const std::string& script,
                   const std::string& args = "") {
    std::string path = dir + "/script.py";
    writeFile(path, script);
    std::string cmd = std::string(kPython) + " " + path + " " + args + " 2>&1";
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return "popen failed";
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
    ::pclose(p);
    return out;
}

const char* kReader = R"(
import dbf, sys
t = dbf.Table(sys.argv[1])
t.open(dbf.READ_ONLY)
print(str(t.codepage).split()[0], len(t))
print(';'.join(t.structure()))
for r in t:
    vals = []
    for name in t.field_names:
        v = r[name]
        if isinstance(v, str): v = v.rstrip()
        elif hasattr(v, 'isoformat'): v = v.isoformat()
        vals.append(str(v))
    print('|'.join(vals) + ('|deleted' if dbf.is_deleted(r) else ''))
t.close()
)";

class DbfInterop : public enginetest::EngineFixture {
protected:
    void SetUp() override {
        if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
        EngineFixture::SetUp();
    }
};

TEST_F(DbfInterop, PythonDbfReadsWhatTheEngineWrites) {
    Data4* t = d4create(h.get(), "EXP5",
                        {{"EXPDATE", 'D', 8, 0},
                         {"ACCNO", 'N', 4, 0},
                         {"PAYTO", 'C', 20, 0},
                         {"AMOUNT", 'N', 10, 2},
                         {"ARCHIVE", 'L', 1, 0}});
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(i4create(t, "exp5", {{"EDate", "DTOS(EXPDATE)+STR(ACCNO,4)", ".NOT.DELETED()"}}), 0);
    append(t, {"20260305", 7, "Café Müller €", 10.5});
    f4assign(d4field(t, "ARCHIVE"), "T");
    append(t, {"19991231", 1234, "Ñandú", -99999.99});
    f4assign(d4field(t, "ARCHIVE"), "F");
    append(t, {"        ", 0, "", 0});
    d4delete(t);
    ASSERT_EQ(code4close(h.get()), 0);

    std::string out = python(dir.path(), kReader, dir.file("EXP5.dbf"));
    EXPECT_EQ(out,
              "cp1252 3\n"
              "expdate D;accno N(4,0);payto C(20);amount N(10,2);archive L\n"
              "2026-03-05|7|Café Müller €|10.5|True\n"
              "1999-12-31|1234|Ñandú|-99999.99|False\n"
              "None|0||0.0|None|deleted\n");
}

TEST_F(DbfInterop, EngineReadsWhatPythonDbfWrites) {
    const char* writer = R"(
import dbf, datetime, sys
for cp in ('cp437', 'cp850', 'cp1252'):
    t = dbf.Table(sys.argv[1] + '/P' + cp[2:] + '.dbf',
                  'NAME C(20); QTY N(6,2); WHEN D; OK L', dbf_type='db3', codepage=cp)
    t.open(dbf.READ_WRITE)
    t.append(('Café Müller', 12.5, datetime.date(2026, 3, 5), True))
    t.append(('Ñandú ½', -3, None, False))
    dbf.delete(t[1])
    t.close()
)";
    ASSERT_EQ(python(dir.path(), writer, dir.path()), "");
    for (const char* name : {"P437", "P850", "P1252"}) {
        SCOPED_TRACE(name);
        Data4* t = d4open(h.get(), name);
        ASSERT_NE(t, nullptr) << code4errorText(h.get());
        EXPECT_EQ(d4recCount(t), 2);
        ASSERT_EQ(d4top(t), 0);
        EXPECT_EQ(f4str(d4field(t, "name")), "Café Müller         ");
        EXPECT_DOUBLE_EQ(f4double(d4field(t, "QTY")), 12.5);
        EXPECT_EQ(f4str(d4field(t, "WHEN")), "20260305");
        EXPECT_EQ(f4true(d4field(t, "OK")), 1);
        EXPECT_FALSE(d4deleted(t));
        ASSERT_EQ(d4skip(t, 1), 0);
        std::string second = f4str(d4field(t, "NAME"));
        EXPECT_EQ(second, "Ñandú ½             ");
        EXPECT_EQ(f4int(d4field(t, "QTY")), -3);
        EXPECT_TRUE(d4deleted(t));
        EXPECT_EQ(f4true(d4field(t, "OK")), 0);
        EXPECT_EQ(d4skip(t, 1), r4eof);
        d4close(t);
    }
}

TEST_F(DbfInterop, TablesKeepWorkingAcrossBothPrograms) {
    Data4* t = d4create(h.get(), "ACC", {{"ACCNO", 'N', 4, 0}, {"ACDESC", 'C', 30, 0}});
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(d4appendBlank(t), 0);
    f4assignInt(d4field(t, "ACCNO"), 1);
    f4assign(d4field(t, "ACDESC"), "Bureau");
    ASSERT_EQ(code4close(h.get()), 0);
    const char* appender = R"(
import dbf, sys
t = dbf.Table(sys.argv[1])
t.open(dbf.READ_WRITE)
t.append((2, 'Hôtel'))
t.close()
)";
    ASSERT_EQ(python(dir.path(), appender, dir.file("ACC.dbf")), "");
    t = d4open(h.get(), "ACC");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(d4recCount(t), 2);
    ASSERT_EQ(d4go(t, 2), 0);
    EXPECT_EQ(f4int(d4field(t, "ACCNO")), 2);
    EXPECT_EQ(f4str(d4field(t, "ACDESC")).substr(0, 6), "Hôtel");
    ASSERT_EQ(d4appendBlank(t), 0);
    f4assignInt(d4field(t, "ACCNO"), 3);
    f4assign(d4field(t, "ACDESC"), "Crème");
    ASSERT_EQ(code4close(h.get()), 0);
    std::string out = python(dir.path(), kReader, dir.file("ACC.dbf"));
    EXPECT_NE(out.find("cp1252 3\n"), std::string::npos) << out;
    EXPECT_NE(out.find("2|Hôtel\n3|Crème\n"), std::string::npos) << out;
}

TEST_F(DbfInterop, ForeignLayoutsReadByNameAndCarryUnknownFieldsUntouched) {
    struct Foreign {
        const char* name;
        std::uint8_t version;
        std::uint8_t ldid;
        int headerExtra;
    };
    // Memo-flagged dBASE III and IV, FoxPro 2 and Visual FoxPro (with its backlink area).
    for (Foreign f : {Foreign{"DB3MEMO", 0x83, 0x01, 1}, Foreign{"DB4MEMO", 0x8B, 0x02, 1},
                      Foreign{"FOX2", 0xF5, 0x03, 1}, Foreign{"VFP", 0x30, 0x03, 264}}) {
        SCOPED_TRACE(f.name);
        std::string binary("\x01\x02\x00\xFF", 4);
        std::string rec = std::string(" ") + "Caf\x82   " + "        17" + "  3.25E+2" + binary +
                          std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8) + "T";
        if (f.ldid == 0x03) rec[4] = '\xE9';
        writeFile(dir.file(std::string(f.name) + ".dbf"), rawTable(f.version, f.ldid,
                                                                   {{"NAME", 'C', 7},
                                                                    {"NOTES", 'M', 10},
                                                                    {"RATE", 'F', 9},
                                                                    {"COUNT", 'I', 4},
                                                                    {"PRICE", 'B', 8},
                                                                    {"FLAG", 'L', 1}},
                                                                   {rec}, f.headerExtra));
        Data4* t = d4open(h.get(), f.name);
        ASSERT_NE(t, nullptr) << code4errorText(h.get());
        ASSERT_EQ(d4top(t), 0);
        EXPECT_EQ(f4str(d4field(t, "name")), "Café   ");
        EXPECT_EQ(f4str(d4field(t, "NOTES")), "        17");
        EXPECT_EQ(f4type(d4field(t, "COUNT")), 'I');
        EXPECT_DOUBLE_EQ(f4double(d4field(t, "RATE")), 325.0);
        EXPECT_EQ(f4true(d4field(t, "FLAG")), 1);
        EXPECT_EQ(f4assign(d4field(t, "COUNT"), "5"), e4fieldType);
        code4errorCode(h.get(), 0);
        // A change to a known field leaves every other byte of the table as it was.
        std::string before = readFile(dir.file(std::string(f.name) + ".dbf"));
        ASSERT_EQ(f4assign(d4field(t, "FLAG"), "F"), 0);
        ASSERT_EQ(d4close(t), 0);
        std::string after = readFile(dir.file(std::string(f.name) + ".dbf"));
        ASSERT_EQ(after.size(), before.size());
        std::size_t diffs = 0;
        for (std::size_t i = 4; i < before.size(); ++i) diffs += before[i] != after[i];
        EXPECT_EQ(diffs, 1u);
        EXPECT_EQ(after[0], static_cast<char>(f.version));
    }
}

}  // namespace
}  // namespace engine
