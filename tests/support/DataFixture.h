#pragma once

// Set-up shared by the data tests: a scripted platform with the clock pinned to
// 5 March 2026, 10:30, and a fresh directory holding the example tables, made current.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "data/SampleData.h"
#include "platform/ScriptedPlatform.h"

namespace cbk::testing {

inline constexpr std::chrono::milliseconds kPinnedTime =
    std::chrono::hours{10} + std::chrono::minutes{30};

class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform_->clock.set(2026, 3, 5, kPinnedTime);
        SampleOptions options;
        options.today = *platform::DateTime::fromYmd(2026, 3, 5);
        options.records = records_;
        dir_ = std::make_unique<SampleDataDir>(options);
        ASSERT_TRUE(dir_->ok()) << dir_->error();
    }
    void TearDown() override { dir_.reset(); }

    platform::DateTime pinnedNow() const {
        return platform::DateTime{platform::DateTime::fromYmd(2026, 3, 5)->day, kPinnedTime};
    }

    // The directory entry for `name`, whatever case the engine gave it.
    std::filesystem::path fileIn(const std::string& name) const {
        for (const auto& entry : std::filesystem::directory_iterator(dir_->path())) {
            const std::string found = entry.path().filename().string();
            if (found.size() == name.size() &&
                std::equal(found.begin(), found.end(), name.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                })) {
                return entry.path();
            }
        }
        return std::filesystem::path(dir_->path()) / name;
    }

    platform::ScriptedPlatformScope platform_;
    long records_ = 0;
    std::unique_ptr<SampleDataDir> dir_;
};

}  // namespace cbk::testing
