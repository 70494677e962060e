// Runs the crash workload on a directory and, if asked, ends itself abruptly at one call of
// the file-system seam that changes a file (write, truncate, sync, rename, remove, directory
// sync, create): just before the call runs or just after it. The test kills this process in
// other runs at random instants from outside.
//
//   crash_worker <dir> <seed> <steps> <kill-at> <before|after> <log>
//
// <kill-at> 0 runs to the end. The log gets "C <step>" once a step is committed (the engine
// has been asked to flush and said yes), "K <step> <call> <what>" just before a planned end,
// and "E <calls>" after a full run, with the number of changing calls made.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "crash/CrashWorkload.h"
#include "data/engine/Engine.h"

namespace {

using namespace engine;

int logFd = -1;
int currentStep = -1;

void logLine(const std::string& line) {
    std::string l = line + "\n";
    // One write per line: a line is whole in the log or absent.
    if (::write(logFd, l.data(), l.size()) != static_cast<ssize_t>(l.size())) std::_Exit(4);
}

[[noreturn]] void fail(const std::string& what, Code4* h) {
    std::fprintf(stderr, "crash_worker: step %d: %s: %s\n", currentStep, what.c_str(),
                 h ? code4errorText(h).c_str() : "");
    std::_Exit(2);
}

// Counts the calls that change a file and ends the process at the chosen one.
class KillSwitch {
public:
    KillSwitch(long killAt, bool after) : killAt_(killAt), after_(after) {}
    long calls() const { return calls_; }

    template <class Fn>
    int run(const char* what, Fn&& fn) {
        ++calls_;
        bool die = calls_ == killAt_;
        if (die && !after_) end(what);
        int rc = fn();
        if (die) end(what);
        return rc;
    }

private:
    [[noreturn]] void end(const char* what) {
        logLine("K " + std::to_string(currentStep) + " " + std::to_string(calls_) + " " + what);
        std::_Exit(77);
    }

    long killAt_;
    bool after_;
    long calls_ = 0;
};

class KillFile final : public File {
public:
    KillFile(KillSwitch& ks, std::unique_ptr<File> inner) : ks_(ks), inner_(std::move(inner)) {}
    int read(std::uint64_t offset, void* buf, std::size_t n, std::size_t& got) override {
        return inner_->read(offset, buf, n, got);
    }
    int write(std::uint64_t offset, const void* buf, std::size_t n) override {
        return ks_.run("write", [&] { return inner_->write(offset, buf, n); });
    }
    int size(std::uint64_t& out) override { return inner_->size(out); }
    int truncate(std::uint64_t length) override {
        return ks_.run("truncate", [&] { return inner_->truncate(length); });
    }
    int sync() override {
        // A killed process loses nothing the kernel already holds, so the sync itself is
        // skipped: it is a point to stop at, not a guard this test can observe.
        return ks_.run("sync", [] { return 0; });
    }
    int lock(bool exclusive) override { return inner_->lock(exclusive); }
    int unlock() override { return inner_->unlock(); }
    const char* map(std::uint64_t length) override { return inner_->map(length); }

private:
    KillSwitch& ks_;
    std::unique_ptr<File> inner_;
};

class KillFileSystem final : public FileSystem {
public:
    explicit KillFileSystem(KillSwitch& ks) : ks_(ks), base_(posixFileSystem()) {}
    int open(const std::string& path, OpenMode mode, std::unique_ptr<File>& out) override {
        std::unique_ptr<File> inner;
        int err = mode == OpenMode::Create
                      ? ks_.run("create", [&] { return base_.open(path, mode, inner); })
                      : base_.open(path, mode, inner);
        if (err) return err;
        out = std::make_unique<KillFile>(ks_, std::move(inner));
        return 0;
    }
    int rename(const std::string& from, const std::string& to) override {
        return ks_.run("rename", [&] { return base_.rename(from, to); });
    }
    int remove(const std::string& path) override {
        return ks_.run("remove", [&] { return base_.remove(path); });
    }
    int list(const std::string& dir, std::vector<std::string>& names) override {
        return base_.list(dir, names);
    }
    int syncDir(const std::string& dir) override {
        (void)dir;
        return ks_.run("syncdir", [] { return 0; });
    }

private:
    KillSwitch& ks_;
    FileSystem& base_;
};

Data4* runStep(Code4* h, Data4* t, const crashtest::Step& s) {
    std::string what;
    if (crashtest::runStep(h, t, s, what) != 0) fail(what, h);
    if (d4flush(t) != 0) fail("flush", h);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: crash_worker dir seed steps kill-at before|after log\n");
        return 1;
    }
    std::string dir = argv[1];
    auto seed = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    int steps = std::atoi(argv[3]);
    long killAt = std::atol(argv[4]);
    bool after = std::strcmp(argv[5], "after") == 0;
    logFd = ::open(argv[6], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (logFd < 0) {
        std::perror(argv[6]);
        return 1;
    }

    KillSwitch ks(killAt, after);
    KillFileSystem fs(ks);
    auto h = code4init(fs, dir);
    code4exitHandler(h.get(), [] { std::_Exit(3); });
    Data4* t = nullptr;
    auto workload = crashtest::makeWorkload(seed, steps);
    for (std::size_t i = 0; i < workload.size(); ++i) {
        currentStep = static_cast<int>(i);
        t = runStep(h.get(), t, workload[i]);
        logLine("C " + std::to_string(i));
    }
    if (code4close(h.get()) != 0) fail("close", h.get());
    logLine("E " + std::to_string(ks.calls()));
    return 0;
}
