#pragma once

// Set-up shared by the form tests: one QApplication for the test program (offscreen), a
// scripted platform with the clock pinned to 5 March 2026 and moving 100 ms per reading, a
// fresh directory with the example tables made current, and the sixteen forms.

#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/DKRMain.h"
#include "app/Forms.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/SampleData.h"
#include "platform/ScriptedPlatform.h"
#include "state/MainVars.h"

namespace cbk::testing {

inline void ensureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

inline constexpr std::chrono::milliseconds kClockStep{100};

// True while any of the six tables is open.
inline bool anyTableOpen() {
    return Accounts || IncomeAccounts || Folders || Expenses || Income || SettingsTable;
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        platform_->clock.set(2026, 3, 5, std::chrono::hours{10});
        platform_->clock.setStep(kClockStep);
        SampleOptions options;
        options.today = *platform::DateTime::fromYmd(2026, 3, 5);
        dir_ = std::make_unique<SampleDataDir>(options);
        ASSERT_TRUE(dir_->ok()) << dir_->error();
        forms_ = std::make_unique<FormSet>();
    }

    void TearDown() override {
        CloseAllTables();
        forms_.reset();
        dir_.reset();
    }

    TFormMain& main() { return forms_->main(); }

    // Runs the main window's start-up as the first showing does.
    void startUp() { main().FormShow(); }

    std::filesystem::path dataDir() const { return dir_->path(); }

    // Whether a file of that name (any case) is in the data directory.
    bool hasFile(const std::string& name) const {
        for (const auto& entry : std::filesystem::directory_iterator(dir_->path())) {
            const std::string found = entry.path().filename().string();
            if (found.size() == name.size() &&
                std::equal(found.begin(), found.end(), name.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                }))
                return true;
        }
        return false;
    }

    platform::ScriptedPlatformScope platform_;
    std::unique_ptr<SampleDataDir> dir_;
    std::unique_ptr<FormSet> forms_;
};

}  // namespace cbk::testing
