#pragma once

// The platform seam: every service the program asks of the operating system and the
// windowing system. Logic below the user interface calls these interfaces only; the Qt
// implementations live in platform/qt/, the scripted ones (for tests) in ScriptedPlatform.h.
// One instance of each is installed at start-up with install().

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/DateTime.h"

namespace platform {

// ---- messages -------------------------------------------------------------------------
enum class MessageKind { Warning, Information, Confirm };  // captions "Warning", ...
enum class Buttons { OK, YesNo, OKCancel };
enum class Answer { OK, Cancel, Yes, No };
// The button Enter presses: OK or Yes, or, for a question whose OK or Yes destroys data,
// Cancel or No.
enum class DefaultButton { Affirmative, Negative };

class Messages {
public:
    virtual ~Messages() = default;
    virtual Answer show(MessageKind kind, const std::string& text, Buttons buttons) = 0;
    virtual Answer showWithDefault(MessageKind kind, const std::string& text, Buttons buttons,
                                   DefaultButton byDefault) = 0;
    // The application's standard error box, used for conversion errors such as
    // "'%s' is not a valid integer value".
    virtual void error(const std::string& text) = 0;
};

// ---- modal forms ----------------------------------------------------------------------
// A form that can be shown modally. The Qt forms implement execModal() with exec(); the
// scripted runner calls the test's script for the form's name instead.
class ModalForm {
public:
    virtual ~ModalForm() = default;
    virtual std::string formName() const = 0;  // "TExpense", "TPickAcc", ...
    virtual int execModal() = 0;
};

// Modal results as execModal() and showModal() return them.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int showModal(ModalForm& form) = 0;
};

// ---- progress box ---------------------------------------------------------------------
class Progress {
public:
    virtual ~Progress() = default;
    virtual void ShowProgress(bool visible, const std::string& title) = 0;
    virtual void SetProgress(int percent) = 0;
};

// ---- clock and regional settings ------------------------------------------------------
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
    DateTime today() { return now().dateOnly(); }
};

enum class DateOrder { MDY, DMY, YMD };

struct RegionalSettings {
    DateOrder dateOrder = DateOrder::MDY;
    char dateSeparator = '/';
    char decimalSeparator = '.';
    char thousandSeparator = ',';
    // The short date format itself, in the locale's pattern letters ("M/d/yy"): report
    // title lines and page dates show dates in it as it stands.
    std::string shortDateFormat = "M/d/yy";
};

class Regional {
public:
    virtual ~Regional() = default;
    virtual RegionalSettings settings() = 0;
};

// ---- help -----------------------------------------------------------------------------
class Help {
public:
    virtual ~Help() = default;
    virtual void context(int helpContext) = 0;
    virtual void topic(const std::string& contextString) = 0;  // "contents"
    virtual void jump(const std::string& jumpId) = 0;          // JumpID("", id)
};

// ---- printing facts and dialogs -------------------------------------------------------
struct FontSpec {
    std::string name;
    int size = 0;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint32_t colour = 0;  // 0xRRGGBB
};

class Printing {
public:
    virtual ~Printing() = default;
    virtual bool printerInstalled() = 0;
    virtual int printerIndex() = 0;  // -1 when no printer is selected
    // The printer's entry as the printer list gives it, e.g. "Office on lp0".
    virtual std::string printerEntry() = 0;
    virtual bool landscape() = 0;
    // The printable part of the chosen printer's page, in its device pixels, with the
    // orientation of the page setup; 0 when no printer is installed.
    virtual int pageWidth() = 0;
    virtual int pageHeight() = 0;
    // The height of a line of text in `font` on that printer, in its device pixels; 0 when no
    // printer is installed.
    virtual int lineHeight(const FontSpec& font) = 0;
    virtual void printerSetupDialog() = 0;
    // Runs the font dialog loaded with `font`; returns true when confirmed. On cancel
    // `font` keeps what it was loaded with.
    virtual bool fontDialog(FontSpec& font) = 0;
};

// ---- file system ----------------------------------------------------------------------
enum class CopyResult { Ok, DiskFull, WriteProtected, Failed };

class Files {
public:
    virtual ~Files() = default;
    virtual bool exists(const std::string& path) = 0;
    virtual bool remove(const std::string& path) = 0;
};

// ---- program end ----------------------------------------------------------------------
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    // "The program ends." The Qt implementation leaves the process; the scripted one throws
    // ProgramEnded so that a test can see that, and where, the program would end.
    [[noreturn]] virtual void end() = 0;
};

struct ProgramEnded {
    int code = 0;
};

// ---- the installed set ----------------------------------------------------------------
struct Services {
    Messages* messages = nullptr;
    ModalRunner* modal = nullptr;
    Progress* progress = nullptr;
    Clock* clock = nullptr;
    Regional* regional = nullptr;
    Help* help = nullptr;
    Printing* printing = nullptr;
    Files* files = nullptr;
    ProgramEnd* programEnd = nullptr;
};

void install(const Services& services);
const Services& services();

inline Messages& messages() {
    return *services().messages;
}
// A warning with its OK button: the form's refusal of what the user gave it.
inline void Warn(const std::string& text) {
    messages().show(MessageKind::Warning, text, Buttons::OK);
}
// A question is answered positively only by Yes, or by OK where the buttons are OK and Cancel.
inline bool Confirmed(MessageKind kind, const std::string& text, Buttons buttons) {
    const Answer answer = messages().show(kind, text, buttons);
    return answer == Answer::OK || answer == Answer::Yes;
}
// A question whose OK or Yes destroys data: Enter answers Cancel or No.
inline bool ConfirmedDestruction(MessageKind kind, const std::string& text, Buttons buttons) {
    const Answer answer = messages().showWithDefault(kind, text, buttons, DefaultButton::Negative);
    return answer == Answer::OK || answer == Answer::Yes;
}
inline ModalRunner& modal() {
    return *services().modal;
}
inline Progress& progress() {
    return *services().progress;
}
inline Clock& clock() {
    return *services().clock;
}
// The progress box for the length of a scope: shown with its caption when made, hidden when
// the scope ends, however the work in it ends. Made without a caption it shows nothing and
// only hides the box a routine called in the scope left up.
class ProgressShown {
public:
    ProgressShown() = default;
    explicit ProgressShown(const std::string& caption) { progress().ShowProgress(true, caption); }
    ~ProgressShown() { progress().ShowProgress(false, ""); }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;
};
inline Regional& regional() {
    return *services().regional;
}
inline Help& help() {
    return *services().help;
}
inline Printing& printing() {
    return *services().printing;
}
inline Files& files() {
    return *services().files;
}
[[noreturn]] inline void endProgram() {
    services().programEnd->end();
    std::abort();  // not reached: end() does not return
}

}  // namespace platform
