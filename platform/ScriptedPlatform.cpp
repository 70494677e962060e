#include "platform/ScriptedPlatform.h"

#include <stdexcept>
#include <system_error>

#include "platform/FileOps.h"

namespace platform {

// ---- messages -------------------------------------------------------------------------
Answer ScriptedMessages::show(MessageKind kind, const std::string& text, Buttons buttons) {
    return showWithDefault(kind, text, buttons, DefaultButton::Affirmative);
}

Answer ScriptedMessages::showWithDefault(MessageKind kind, const std::string& text, Buttons buttons,
                                         DefaultButton byDefault) {
    shown.push_back({kind, text, buttons, byDefault});
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::OK;
}

void ScriptedMessages::error(const std::string& text) {
    errors.push_back(text);
}

std::vector<std::string> ScriptedMessages::texts() const {
    std::vector<std::string> out;
    for (const auto& m : shown) out.push_back(m.text);
    return out;
}

void ScriptedMessages::clear() {
    shown.clear();
    errors.clear();
    answers.clear();
}

// ---- modal forms ----------------------------------------------------------------------
void ScriptedModalRunner::onShow(const std::string& name, Script script) {
    standing_[name] = std::move(script);
}

void ScriptedModalRunner::once(const std::string& name, Script script) {
    queued_[name].push_back(std::move(script));
}

int ScriptedModalRunner::showModal(ModalForm& form) {
    const std::string name = form.formName();
    if (shown.size() >= showLimit) throw std::runtime_error("modal form shown too often: " + name);
    shown.push_back(name);
    if (auto q = queued_.find(name); q != queued_.end() && !q->second.empty()) {
        Script script = std::move(q->second.front());
        q->second.pop_front();
        return script(form);
    }
    if (auto s = standing_.find(name); s != standing_.end()) return s->second(form);
    return unscriptedResult;
}

// ---- progress box ---------------------------------------------------------------------
void ScriptedProgress::ShowProgress(bool isVisible, const std::string& caption) {
    calls.push_back({ProgressCall::Show, isVisible, caption, 0});
    visible = isVisible;
    title = caption;
    position = 0;
}

void ScriptedProgress::SetProgress(int percent) {
    calls.push_back({ProgressCall::Set, false, {}, percent});
    position = percent;
}

std::vector<int> ScriptedProgress::percents() const {
    std::vector<int> out;
    for (const auto& c : calls)
        if (c.kind == ProgressCall::Set) out.push_back(c.percent);
    return out;
}

// ---- clock ----------------------------------------------------------------------------
ScriptedClock::ScriptedClock() {
    set(2026, 3, 14, std::chrono::hours{10});
}

void ScriptedClock::set(int year, int month, int day, std::chrono::milliseconds time) {
    auto date = DateTime::fromYmd(year, month, day);
    if (!date) throw std::invalid_argument("ScriptedClock::set: not a calendar date");
    date->time = time;
    moment_ = *date;
}

DateTime ScriptedClock::now() {
    const DateTime current = moment_;
    const auto total = moment_.time + step_;
    const auto days = std::chrono::floor<std::chrono::days>(total);
    moment_.day += days;
    moment_.time = total - days;
    return current;
}

// ---- help -----------------------------------------------------------------------------
void ScriptedHelp::context(int helpContext) {
    calls.push_back({HelpCall::Context, helpContext, {}});
}

void ScriptedHelp::topic(const std::string& contextString) {
    calls.push_back({HelpCall::Topic, 0, contextString});
}

void ScriptedHelp::jump(const std::string& jumpId) {
    calls.push_back({HelpCall::Jump, 0, jumpId});
}

// ---- printing -------------------------------------------------------------------------
void ScriptedPrinting::printerSetupDialog() {
    ++setupDialogs;
    if (setupScript) setupScript(*this);
}

int ScriptedPrinting::lineHeight(const FontSpec& font) {
    fontsMeasured.push_back(font);
    return installed ? line : 0;
}

bool ScriptedPrinting::fontDialog(FontSpec& font) {
    fontsLoaded.push_back(font);
    if (!fontAnswer) return false;
    font = *fontAnswer;
    return true;
}

// ---- files ----------------------------------------------------------------------------
bool ScriptedFiles::exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(findNoCase(path), ec);
}

bool ScriptedFiles::remove(const std::string& path) {
    removed.push_back(path);
    std::error_code ec;
    return std::filesystem::remove(findNoCase(path), ec);
}

// ---- program end ----------------------------------------------------------------------
void ScriptedProgramEnd::end() {
    ++ends;
    throw ProgramEnded{};
}

// ---- the whole set --------------------------------------------------------------------
Services ScriptedPlatform::services() {
    return Services{&messages, &modal,    &progress, &clock,     &regional,
                    &help,     &printing, &files,    &programEnd};
}

ScriptedPlatformScope::ScriptedPlatformScope() : previous_(platform::services()) {
    std::error_code ec;
    previousDir_ = std::filesystem::current_path(ec);
    install(platform_.services());
}

ScriptedPlatformScope::~ScriptedPlatformScope() {
    install(previous_);
    std::error_code ec;
    if (!previousDir_.empty()) std::filesystem::current_path(previousDir_, ec);
}

}  // namespace platform
