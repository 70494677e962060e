#pragma once

// The scripted platform every test installs: a pinned clock and regional settings, recorded
// messages answered from a queue, modal forms run by per-form scripts, recorded progress and
// help calls, settable printing facts, the real file system,
// and a program end that throws ProgramEnded.

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// ---- messages -------------------------------------------------------------------------
struct RecordedMessage {
    MessageKind kind;
    std::string text;
    Buttons buttons;
    DefaultButton byDefault = DefaultButton::Affirmative;
    bool operator==(const RecordedMessage&) const = default;
};

class ScriptedMessages : public Messages {
public:
    // Answers are taken from the queue in order; with the queue empty a box is answered
    // OK (OK, OK/Cancel) or Yes (Yes/No).
    Answer show(MessageKind kind, const std::string& text, Buttons buttons) override;
    Answer showWithDefault(MessageKind kind, const std::string& text, Buttons buttons,
                           DefaultButton byDefault) override;
    void error(const std::string& text) override;

    void answer(Answer a) { answers.push_back(a); }
    // Texts of the message boxes shown, in order (error boxes are in `errors`).
    std::vector<std::string> texts() const;
    void clear();

    std::vector<RecordedMessage> shown;
    std::vector<std::string> errors;
    std::deque<Answer> answers;
};

// ---- modal forms ----------------------------------------------------------------------
class ScriptedModalRunner : public ModalRunner {
public:
    using Script = std::function<int(ModalForm&)>;

    // Runs every showing of the form `name` (after any queued one-shot scripts).
    void onShow(const std::string& name, Script script);
    // Runs the next showing of `name` only; queued scripts run before the standing one.
    void once(const std::string& name, Script script);

    int showModal(ModalForm& form) override;

    // Names of the forms shown, in order.
    std::vector<std::string> shown;
    // The result of a form with no script.
    int unscriptedResult = mrCancel;
    // A form shown more often than this throws std::runtime_error, so that a pick-then-edit
    // loop whose script never leaves fails the test instead of hanging it.
    std::size_t showLimit = 10000;

private:
    std::map<std::string, Script> standing_;
    std::map<std::string, std::deque<Script>> queued_;
};

// ---- progress box ---------------------------------------------------------------------
struct ProgressCall {
    enum Kind { Show, Set };
    Kind kind;
    bool visible = false;  // Show
    std::string title;     // Show
    int percent = 0;       // Set
    bool operator==(const ProgressCall&) const = default;
};

class ScriptedProgress : public Progress {
public:
    void ShowProgress(bool visible, const std::string& title) override;
    void SetProgress(int percent) override;

    std::vector<int> percents() const;  // every SetProgress, in order

    std::vector<ProgressCall> calls;
    bool visible = false;
    std::string title;
    int position = 0;
};

// ---- clock and regional settings ------------------------------------------------------
class ScriptedClock : public Clock {
public:
    ScriptedClock();  // pinned at 14 March 2026, 10:00, not advancing
    // Returns the pinned moment, then moves it on by the step.
    DateTime now() override;

    void set(const DateTime& moment) { moment_ = moment; }
    void set(int year, int month, int day, std::chrono::milliseconds time = {});
    void setStep(std::chrono::milliseconds step) { step_ = step; }
    const DateTime& peek() const { return moment_; }

private:
    DateTime moment_;
    std::chrono::milliseconds step_{0};
};

class ScriptedRegional : public Regional {
public:
    RegionalSettings settings() override { return value; }

    void setMdy() { value = RegionalSettings{}; }
    void setDmy() { value = RegionalSettings{DateOrder::DMY, '.', ',', '.', "dd.MM.yy"}; }

    RegionalSettings value;  // "M/d/yy": month/day/year with "/", "." and "," unless set
};

// ---- help -----------------------------------------------------------------------------
struct HelpCall {
    enum Kind { Context, Topic, Jump };
    Kind kind;
    int context = 0;   // Context
    std::string text;  // Topic, Jump
    bool operator==(const HelpCall&) const = default;
};

class ScriptedHelp : public Help {
public:
    void context(int helpContext) override;
    void topic(const std::string& contextString) override;
    void jump(const std::string& jumpId) override;

    std::vector<HelpCall> calls;
};

// ---- printing -------------------------------------------------------------------------
class ScriptedPrinting : public Printing {
public:
    bool printerInstalled() override { return installed; }
    int printerIndex() override { return index; }
    std::string printerEntry() override { return entry; }
    bool landscape() override { return isLandscape; }
    int pageWidth() override { return installed ? width : 0; }
    int pageHeight() override { return installed ? height : 0; }
    // The same height whatever the font; `fontsMeasured` records the fonts asked about.
    int lineHeight(const FontSpec& font) override;
    void printerSetupDialog() override;
    bool fontDialog(FontSpec& font) override;

    bool installed = true;
    int index = 0;
    std::string entry = "Office on lp0";
    bool isLandscape = false;
    // A letter page at 600 dots per inch less a quarter inch all round, and 10 points of text.
    int width = 4800;
    int height = 6300;
    int line = 100;
    std::vector<FontSpec> fontsMeasured;

    // Runs inside printerSetupDialog(), to change the facts as a user would.
    std::function<void(ScriptedPrinting&)> setupScript;
    int setupDialogs = 0;

    // The font the dialog confirms; none = the user cancels.
    std::optional<FontSpec> fontAnswer;
    std::vector<FontSpec> fontsLoaded;  // what each font dialog was loaded with
};

// ---- files ----------------------------------------------------------------------------
class ScriptedFiles : public Files {
public:
    bool exists(const std::string& path) override;
    bool remove(const std::string& path) override;

    std::vector<std::string> removed;
};

// ---- program end ----------------------------------------------------------------------
class ScriptedProgramEnd : public ProgramEnd {
public:
    [[noreturn]] void end() override;
    int ends = 0;
};

// ---- the whole set --------------------------------------------------------------------
struct ScriptedPlatform {
    ScriptedMessages messages;
    ScriptedModalRunner modal;
    ScriptedProgress progress;
    ScriptedClock clock;
    ScriptedRegional regional;
    ScriptedHelp help;
    ScriptedPrinting printing;
    ScriptedFiles files;
    ScriptedProgramEnd programEnd;

    Services services();
};

// Installs a fresh scripted platform for its lifetime; restores the services and the
// current directory that were there before.
class ScriptedPlatformScope {
public:
    ScriptedPlatformScope();
    ~ScriptedPlatformScope();
    ScriptedPlatformScope(const ScriptedPlatformScope&) = delete;
    ScriptedPlatformScope& operator=(const ScriptedPlatformScope&) = delete;

    ScriptedPlatform* operator->() { return &platform_; }
    ScriptedPlatform& operator*() { return platform_; }

private:
    ScriptedPlatform platform_;
    Services previous_;
    std::filesystem::path previousDir_;
};

}  // namespace platform
