// New books as other xBase tools see them, and the check of books from a folder.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "books/NewBooks.h"
#include "data/TableCatalogue.h"
#include "support/TableFiles.h"

namespace books {
namespace {

std::string run(const std::string& cmd) {
    std::string out;
    FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
    if (p == nullptr) return "popen failed";
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
    ::pclose(p);
    return out;
}

bool have(const char* probe) {
    return run(std::string(probe) + " >/dev/null && echo yes") == "yes\n";
}

// Each table's record count and first record, as Debian's python3-dbf reads them.
const char* kReader = R"(
import dbf, sys
for name in ('CBK1', 'ACC', 'ACCI', 'FOLDER', 'EXP5', 'INC5'):
    t = dbf.Table(sys.argv[1] + '/' + name + '.dbf')
    t.open(dbf.READ_ONLY)
    first = '|'.join(str(v).strip() for v in t[0]) if len(t) else '-'
    print(name, len(t), first)
    t.close()
)";

class NewBooksTest : public ::testing::Test {
protected:
    enginetest::TempDir home;
    std::string dir = home.path() + "/Acme Repairs";
};

TEST_F(NewBooksTest, EmptyBooksReadInOtherXbaseTools) {
    std::string why;
    ASSERT_TRUE(CreateNewBooks(dir, &why, "Acme Repairs Ltd")) << why;
    EXPECT_TRUE(CheckBooksFolder(dir, &why)) << why;

    if (!have("/usr/bin/python3 -c 'import dbf'")) GTEST_SKIP() << "python3-dbf is missing";
    enginetest::writeFile(home.file("read.py"), kReader);
    EXPECT_EQ(run("/usr/bin/python3 " + home.file("read.py") + " '" + dir + "'"),
              "CBK1 1 1|1|Arial|10|Acme Repairs Ltd|\n"
              "ACC 25 100|Advertising|True\n"
              "ACCI 4 10|Sales|True\n"
              "FOLDER 1 1|General\n"
              "EXP5 0 -\n"
              "INC5 0 -\n");

    if (!have("perl -MXBase::Index -e 1")) GTEST_SKIP() << "perl XBase::Index is missing";
    // Every index holds one key per record of its table, in key order, by Perl's reader.
    const std::pair<const char*, int> keys[] = {
        {"AccTag.ntx", 25}, {"AccITag.ntx", 4}, {"FolTag.ntx", 1}, {"EDate.ntx", 0},
        {"EAcc.ntx", 0},    {"IncDate.ntx", 0}, {"IncAcc.ntx", 0}};
    int files = 0;
    for (const cbk::TableSpec* table : cbk::IndexedTables()) {
        for (const cbk::TagSpec& tag : table->tags) {
            const std::string file = std::string(tag.name) + ".ntx";
            SCOPED_TRACE(file);
            int want = -1;
            for (const auto& [name, count] : keys)
                if (file == name) want = count;
            const std::string out =
                run("perl -MXBase::Index -e '$i = XBase::Index->new($ARGV[0], type => \"ntx\") "
                    "or die XBase::Index->errstr; $i->prepare_select; $n = 0; $last = \"\"; "
                    "while (my ($k) = $i->fetch) { die \"order\" if $k lt $last; $last = $k; "
                    "$n++ } print $n' '" +
                    dir + "/" + file + "'");
            EXPECT_EQ(out, std::to_string(want));
            ++files;
        }
    }
    EXPECT_EQ(files, 7);
}

TEST_F(NewBooksTest, AFolderHoldingATableIsLeftAlone) {
    std::filesystem::create_directories(dir);
    enginetest::writeFile(dir + "/acc.DBF", "not ours");
    std::string why;
    EXPECT_FALSE(CreateNewBooks(dir, &why));
    EXPECT_NE(why.find("already holds books (ACC.dbf)"), std::string::npos) << why;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    EXPECT_EQ(enginetest::readFile(dir + "/acc.DBF"), "not ours");
}

// An index file that cannot be made (a folder stands in its place) stops the making; the
// tables made before it are taken away, so nothing half-made is left to refuse a second try.
TEST_F(NewBooksTest, BooksThatCannotBeMadeWholeLeaveNothingBehind) {
    std::filesystem::create_directories(dir + "/EDate.ntx");
    std::string why;
    EXPECT_FALSE(CreateNewBooks(dir, &why));
    EXPECT_FALSE(why.empty());
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"EDate.ntx"});
    std::filesystem::remove(dir + "/EDate.ntx");
    EXPECT_TRUE(CreateNewBooks(dir, &why)) << why;
}

TEST_F(NewBooksTest, FoldersWithoutSoundBooksAreNamedWithTheirFault) {
    std::string why;
    EXPECT_FALSE(CheckBooksFolder(home.path(), &why));
    EXPECT_EQ(why, "The folder " + home.path() +
                       " does not hold Cantabook books: CBK1.dbf is not there.");
    ASSERT_TRUE(CreateNewBooks(dir, &why)) << why;
    enginetest::writeFile(dir + "/EXP5.dbf", "damaged");
    EXPECT_FALSE(CheckBooksFolder(dir, &why));
    EXPECT_NE(why.find("does not hold sound Cantabook books: EXP5.dbf"), std::string::npos) << why;
}

// The books have no equity side: the owner's draws and contributions would count as expense and
// income and so change the profit.
TEST(StarterChart, HoldsNoAccountForTheOwnersOwnMoney) {
    for (const auto* accounts : {&StarterChart().expenseAccounts, &StarterChart().incomeAccounts})
        for (const cbk::ChartEntry& account : *accounts)
            EXPECT_EQ(account.name.find("Owner"), std::string::npos) << account.name;
}

}  // namespace
}  // namespace books
