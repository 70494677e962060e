#pragma once

// Set-up shared by the form tests of every GUI test program: the program's one QApplication
// (offscreen), a scripted platform with the clock pinned to 5 March 2026 and moving 100 ms per
// reading, and a fresh directory with the example tables made current. Each program's own
// GuiFixture.h adds the forms its library holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "data/Database.h"
#include "data/Records.h"
#include "data/SampleData.h"
#include "platform/ScriptedPlatform.h"
#include "state/MainVars.h"
#include "support/QtApplication.h"

namespace cbk::testing {

inline constexpr std::chrono::milliseconds kClockStep{100};

// True while any of the six tables is open.
inline bool anyTableOpen() {
    return Accounts || IncomeAccounts || Folders || Expenses || Income || SettingsTable;
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        platform_->clock.set(2026, 3, 5, std::chrono::hours{10});
        platform_->clock.setStep(kClockStep);
        SampleOptions options;
        options.today = *platform::DateTime::fromYmd(2026, 3, 5);
        dir_ = std::make_unique<SampleDataDir>(options);
        ASSERT_TRUE(dir_->ok()) << dir_->error();
    }

    void TearDown() override {
        CloseAllTables();
        dir_.reset();
    }

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
};

}  // namespace cbk::testing
