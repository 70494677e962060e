// One application object for the whole test program, made before the first test and
// destroyed after the last one, while Qt's own globals are still alive.

#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // The automatic backups and the program's own settings of the runs go to a folder of
        // the test's, never to the user's.
        home_ =
            std::filesystem::temp_directory_path() / ("cbk-gui-home-" + std::to_string(::getpid()));
        std::filesystem::create_directories(home_);
        ::setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
        if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        std::filesystem::remove_all(home_);
    }

private:
    int argc_ = 1;
    char name_[10] = "gui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
    std::filesystem::path home_;
};

// gtest owns the environments it is given.
[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
