#include "reports/ReportExport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ScriptedPlatform.h"
#include "support/FaultyFileSystem.h"
#include "support/ScratchDir.h"

using namespace reports;

namespace {

std::string Spaces(int n) {
    return std::string(std::size_t(n), ' ');
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ReportExportTest : public ::testing::Test {
protected:
    // Two pages of a summary-shaped report: two rows on each page.
    void SetUp() override {
        doc.reportWidth = 76;
        doc.cellsPerRow = 6;
        doc.StartDocument(9);
        doc.titleLines = {"Expense Summary Report"};  // 22 characters centred on 38
        doc.sectionText = "Deductible Expenses";
        doc.columnPrefixes = {"R05", "L07", "R50", "R63", "R76"};
        doc.columnHeadings = {{"R05Acnt.", "L07Account Name", "R50Totals", "", "", "U"}};
        doc.WriteRow(1, {"100", "Advertising", "     1,234.50"});
        doc.WriteRow(1, {"200", "A very long account name that runs past fifty", "        10.00"});
        doc.WriteRow(1, {"300", "Café Rent", "       500.00"});  // é is one character
        doc.WriteRow(1, {"", "Total Deductible Expenses", "     1,744.50"});
    }

    std::string Target(const char* name = "report.txt") const { return dir.file(name); }
    bool NoPartialFile(const std::string& target) const {
        return !std::filesystem::exists(target + std::string(kPartialSuffix));
    }

    platform::ScriptedPlatformScope platform_;  // clock at 14 March 2026, "M/d/yy"
    enginetest::ScratchDir dir;
    Document doc;
};

}  // namespace

TEST_F(ReportExportTest, TextKindPlacesCellsAtTheirColumns) {
    const std::vector<std::string> header = {
        "", Spaces(27) + "Expense Summary Report",         "", "Deductible Expenses",
        "", "Acnt.  Account Name" + Spaces(25) + "Totals",
    };
    std::vector<std::string> expected = {"Page 1" + Spaces(63) + "3/14/26"};
    expected.insert(expected.end(), header.begin(), header.end());
    expected.push_back("  100  Advertising" + Spaces(19) + "     1,234.50");  // amount at 37
    // Already past column 37: the amount follows without a blank.
    expected.push_back("  200  A very long account name that runs past fifty        10.00");
    expected.push_back("");  // the page break
    expected.push_back("Page 2" + Spaces(63) + "3/14/26");
    expected.insert(expected.end(), header.begin(), header.end());
    expected.push_back("  300  Café Rent" + Spaces(21) + "       500.00");
    expected.push_back(Spaces(7) + "Total Deductible Expenses" + Spaces(5) + "     1,744.50");
    EXPECT_EQ(ExportBytes(doc, ExportKind::Text), Lines(expected));
}

TEST_F(ReportExportTest, DelimitedKindJoinsTheNonEmptyCellsByTabs) {
    const std::vector<std::string> header = {
        "", "Expense Summary Report", "", "Deductible Expenses", "", "Acnt.\tAccount Name\tTotals",
    };
    std::vector<std::string> expected = {"Page 1\t3/14/26"};
    expected.insert(expected.end(), header.begin(), header.end());
    expected.push_back("100\tAdvertising\t     1,234.50");
    expected.push_back("200\tA very long account name that runs past fifty\t        10.00");
    expected.push_back("");
    expected.push_back("Page 2\t3/14/26");
    expected.insert(expected.end(), header.begin(), header.end());
    expected.push_back("300\tCafé Rent\t       500.00");
    // An empty first field leaves no tab: the fields shift left.
    expected.push_back("Total Deductible Expenses\t     1,744.50");
    EXPECT_EQ(ExportBytes(doc, ExportKind::Delimited), Lines(expected));
}

TEST_F(ReportExportTest, ExportReplacesAnExistingFileEntirely) {
    const std::string target = Target();
    WriteFile(target, std::string(100000, 'x'));
    const ExportOutcome outcome =
        ExportReport(doc, ExportKind::Delimited, target, engine::posixFileSystem());
    EXPECT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(ReadFile(target), ExportBytes(doc, ExportKind::Delimited));
    EXPECT_TRUE(NoPartialFile(target));
}

TEST_F(ReportExportTest, AFailedWriteKeepsTheOldFileAndLeavesNoPartOfTheNewOne) {
    struct Case {
        engine::FsOp op;
        int err;
        std::string_view reason;
    } cases[] = {
        {engine::FsOp::Write, ENOSPC, kDiskFull},
        {engine::FsOp::Write, EIO, kWriteFailed},
        {engine::FsOp::Sync, EIO, kWriteFailed},
        {engine::FsOp::Rename, EACCES, kWriteFailed},
    };
    const std::string target = Target();
    for (const Case& c : cases) {
        WriteFile(target, "earlier export");
        engine::FaultyFileSystem fs;
        fs.setTornWrites(true);
        fs.failNth(c.op, 1, c.err);
        const ExportOutcome outcome = ExportReport(doc, ExportKind::Text, target, fs);
        EXPECT_FALSE(outcome.ok) << engine::fsOpName(c.op);
        EXPECT_EQ(outcome.message,
                  "Unable to save to: " + target + "\r\n\r\n" + std::string(c.reason));
        EXPECT_EQ(ReadFile(target), "earlier export") << engine::fsOpName(c.op);
        EXPECT_TRUE(NoPartialFile(target)) << engine::fsOpName(c.op);
    }
}

TEST_F(ReportExportTest, AFileThatCannotBeCreatedIsNamed) {
    const std::string target = dir.file("missing/report.txt");
    const ExportOutcome outcome =
        ExportReport(doc, ExportKind::Text, target, engine::posixFileSystem());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Unable to save to: " + target);
}

TEST_F(ReportExportTest, CommandWritesNothingWhenCancelled) {
    std::vector<ExportDialog> dialogs;
    std::string answer;
    auto ask = [&](const ExportDialog& dialog) {
        dialogs.push_back(dialog);
        return answer;
    };

    EXPECT_FALSE(ExportCommand(doc, ExportKind::Text, ask, engine::posixFileSystem()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_TRUE(platform_->messages.shown.empty());

    answer = Target("report.asc");
    EXPECT_TRUE(ExportCommand(doc, ExportKind::Delimited, ask, engine::posixFileSystem()));
    EXPECT_EQ(ReadFile(answer), ExportBytes(doc, ExportKind::Delimited));

    answer = dir.file("missing/report.txt");
    EXPECT_FALSE(ExportCommand(doc, ExportKind::Text, ask, engine::posixFileSystem()));
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Unable to save to: " + answer});

    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].title, "Export Report");
    EXPECT_EQ(dialogs[0].filter, "Text files (*.txt)|*.TXT");
    EXPECT_EQ(dialogs[0].defaultExtension, "txt");
    EXPECT_EQ(dialogs[1].filter, "Delimited files (*.asc)|*.ASC");
    EXPECT_EQ(dialogs[1].defaultExtension, "asc");
}

// A report longer than a block of the file goes out block by block: the same bytes as the
// whole export, and a failure on a later block still keeps the earlier file.
TEST_F(ReportExportTest, ALongReportIsWrittenInBlocks) {
    for (int i = 0; i < 3000; ++i)
        doc.WriteRow(1, {std::to_string(i), "Account " + std::to_string(i), "        10.00"});
    const std::string target = Target();
    engine::FaultyFileSystem fs;
    ASSERT_TRUE(ExportReport(doc, ExportKind::Text, target, fs).ok);
    const std::string bytes = ExportBytes(doc, ExportKind::Text);
    EXPECT_EQ(ReadFile(target), bytes);
    EXPECT_GT(fs.calls(engine::FsOp::Write), 2);

    fs.failNth(engine::FsOp::Write, 2, ENOSPC);
    EXPECT_FALSE(ExportReport(doc, ExportKind::Delimited, target, fs).ok);
    EXPECT_EQ(ReadFile(target), bytes);
    EXPECT_TRUE(NoPartialFile(target));
}
