#include "platform/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

using namespace platform;
using namespace std::chrono_literals;

namespace {

class Form : public ModalForm {
public:
    explicit Form(std::string name) : name_(std::move(name)) {}
    std::string formName() const override { return name_; }
    int execModal() override { return mrOk; }
    int choice = 0;

private:
    std::string name_;
};

void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// A fresh directory of its own (tests run in parallel), removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "cbk-platform-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("no temp directory");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(ScriptedPlatform, ScopeInstallsAndRestoresTheServices) {
    const Services before = services();
    {
        ScriptedPlatformScope outer;
        EXPECT_EQ(&messages(), &outer->messages);
        {
            ScriptedPlatformScope inner;
            EXPECT_EQ(&platform::clock(), &inner->clock);
        }
        EXPECT_EQ(&platform::clock(), &outer->clock);
        EXPECT_EQ(&files(), &outer->files);
    }
    EXPECT_EQ(services().messages, before.messages);
}

TEST(ScriptedPlatform, MessagesAreRecordedAndAnsweredFromTheQueue) {
    ScriptedPlatformScope sp;
    sp->messages.answer(Answer::No);
    EXPECT_EQ(messages().show(MessageKind::Confirm, "Delete?", Buttons::YesNo), Answer::No);
    EXPECT_EQ(messages().show(MessageKind::Confirm, "Really?", Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(messages().show(MessageKind::Warning, "Careful", Buttons::OK), Answer::OK);
    EXPECT_EQ(messages().show(MessageKind::Confirm, "Go on?", Buttons::OKCancel), Answer::OK);
    messages().error("'x' is not a valid integer value");
    ASSERT_EQ(sp->messages.shown.size(), 4u);
    EXPECT_EQ(sp->messages.shown[0],
              (RecordedMessage{MessageKind::Confirm, "Delete?", Buttons::YesNo}));
    EXPECT_EQ(sp->messages.texts(),
              (std::vector<std::string>{"Delete?", "Really?", "Careful", "Go on?"}));
    EXPECT_EQ(sp->messages.errors, (std::vector<std::string>{"'x' is not a valid integer value"}));
}

TEST(ScriptedPlatform, ModalFormsRunQueuedScriptsBeforeTheStandingOne) {
    ScriptedPlatformScope sp;
    Form pick("TPickExp"), edit("TExpense"), other("TAbout");
    sp->modal.once("TPickExp", [](ModalForm& f) {
        static_cast<Form&>(f).choice = 3;
        return mrOk;
    });
    sp->modal.onShow("TPickExp", [](ModalForm& f) {
        static_cast<Form&>(f).choice = -1;
        return mrCancel;
    });
    sp->modal.onShow("TExpense", [](ModalForm&) { return mrOk; });

    EXPECT_EQ(modal().showModal(pick), mrOk);
    EXPECT_EQ(pick.choice, 3);
    EXPECT_EQ(modal().showModal(edit), mrOk);
    EXPECT_EQ(modal().showModal(pick), mrCancel);
    EXPECT_EQ(pick.choice, -1);
    EXPECT_EQ(modal().showModal(other), mrCancel);  // unscripted
    EXPECT_EQ(sp->modal.shown,
              (std::vector<std::string>{"TPickExp", "TExpense", "TPickExp", "TAbout"}));
}

TEST(ScriptedPlatform, ARunawayFormLoopFailsInsteadOfHanging) {
    ScriptedPlatformScope sp;
    sp->modal.showLimit = 5;
    Form pick("TPickFol");
    for (int i = 0; i < 5; ++i) modal().showModal(pick);
    EXPECT_THROW(modal().showModal(pick), std::runtime_error);
}

TEST(ScriptedPlatform, ProgressKeepsEveryCallAndTheBoxState) {
    ScriptedPlatformScope sp;
    progress().ShowProgress(true, "Building Indexes");
    progress().SetProgress(40);
    progress().ShowProgress(true, "Copying");
    EXPECT_TRUE(sp->progress.visible);
    EXPECT_EQ(sp->progress.title, "Copying");
    EXPECT_EQ(sp->progress.position, 0);
    progress().SetProgress(100);
    progress().ShowProgress(false, "");
    EXPECT_FALSE(sp->progress.visible);
    EXPECT_EQ(sp->progress.percents(), (std::vector<int>{40, 100}));
    ASSERT_EQ(sp->progress.calls.size(), 5u);
    EXPECT_EQ(sp->progress.calls[0], (ProgressCall{ProgressCall::Show, true, "Building Indexes"}));
}

TEST(ScriptedPlatform, ClockIsPinnedAndCanAdvanceOnEachRead) {
    ScriptedPlatformScope sp;
    sp->clock.set(2026, 12, 31, 23h + 59min + 59s);
    EXPECT_EQ(platform::clock().now(), platform::clock().now());
    sp->clock.setStep(600ms);
    const DateTime first = platform::clock().now();
    const DateTime second = platform::clock().now();
    EXPECT_EQ(second.time - first.time, 600ms);
    // The next read crosses midnight into the new year.
    const DateTime third = platform::clock().now();
    EXPECT_EQ(third.year(), 2027);
    EXPECT_EQ(third.month(), 1);
    EXPECT_EQ(third.time, 200ms);
    EXPECT_EQ(platform::clock().today().time.count(), 0);
}

TEST(ScriptedPlatform, AWaitLoopOnTheSteppingClockEnds) {
    ScriptedPlatformScope sp;
    sp->clock.setStep(100ms);
    const DateTime start = platform::clock().now();
    int reads = 0;
    while (platform::clock().now().time - start.time < 1728ms) ++reads;
    EXPECT_EQ(reads, 17);
}

TEST(ScriptedPlatform, RegionalSettingsArePinnedAndSettable) {
    ScriptedPlatformScope sp;
    const RegionalSettings mdy = regional().settings();
    EXPECT_EQ(mdy.dateOrder, DateOrder::MDY);
    EXPECT_EQ(mdy.dateSeparator, '/');
    EXPECT_EQ(mdy.decimalSeparator, '.');
    EXPECT_EQ(mdy.thousandSeparator, ',');
    sp->regional.setDmy();
    const RegionalSettings dmy = regional().settings();
    EXPECT_EQ(dmy.dateOrder, DateOrder::DMY);
    EXPECT_EQ(dmy.dateSeparator, '.');
    EXPECT_EQ(dmy.decimalSeparator, ',');
    EXPECT_EQ(dmy.thousandSeparator, '.');
}

TEST(ScriptedPlatform, HelpCallsAreRecordedInOrder) {
    ScriptedPlatformScope sp;
    help().context(510);
    help().topic("contents");
    help().jump("530");
    EXPECT_EQ(sp->help.calls, (std::vector<HelpCall>{{HelpCall::Context, 510, ""},
                                                     {HelpCall::Topic, 0, "contents"},
                                                     {HelpCall::Jump, 0, "530"}}));
}

TEST(ScriptedPlatform, PrinterSetupAndFontDialogFollowTheirScripts) {
    ScriptedPlatformScope sp;
    sp->printing.setupScript = [](ScriptedPrinting& p) { p.isLandscape = true; };
    EXPECT_FALSE(printing().landscape());
    printing().printerSetupDialog();
    EXPECT_TRUE(printing().landscape());
    EXPECT_EQ(sp->printing.setupDialogs, 1);

    FontSpec font{"Arial", 10};
    EXPECT_FALSE(printing().fontDialog(font));  // cancelled: keeps what it was loaded with
    EXPECT_EQ(font.name, "Arial");
    sp->printing.fontAnswer = FontSpec{"Courier", 12, true};
    EXPECT_TRUE(printing().fontDialog(font));
    EXPECT_EQ(font.name, "Courier");
    EXPECT_TRUE(font.bold);
    ASSERT_EQ(sp->printing.fontsLoaded.size(), 2u);
    EXPECT_EQ(sp->printing.fontsLoaded[1].name, "Arial");
}

TEST(ScriptedPlatform, ProgramEndThrows) {
    ScriptedPlatformScope sp;
    EXPECT_THROW(endProgram(), ProgramEnded);
    EXPECT_EQ(sp->programEnd.ends, 1);
}

TEST(ScriptedFiles, RemoveIsReal) {
    TempDir dir;
    ScriptedPlatformScope sp;
    writeFile(dir.path() / "FOLDER.bak", "x");
    EXPECT_TRUE(files().remove((dir.path() / "folder.BAK").string()));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "FOLDER.bak"));
    EXPECT_FALSE(files().remove((dir.path() / "folder.BAK").string()));
}
