// The OPs of `zorva-cli apply`: names from the command rows, dialog answers from the dialog commands' arguments.
#include "shell/cli/CliOps.h"

#include <algorithm>
#include <charconv>

#include "shell/commands/CommandTable.h"
#include "shell/dialogs/DialogCommand.h"

namespace zorva::shell {

namespace {

// The range of control `id` in a dialog's table.
const ControlSpec* ControlIn(const DialogSpec& dialog, int id) {
    for (const ControlSpec& c : dialog.controls)
        if (c.id == id) return &c;
    return nullptr;
}

// "tone:B,C[,G[,CHANNEL]]": each optional argument may be left out with
// all that follow it.
std::string Synopsis(std::string_view name, std::span<const OpArg> args) {
    std::string text(name);
    size_t open = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].optional) {
            text += '[';
            ++open;
        }
        text += i == 0 ? ':' : ',';
        text += args[i].placeholder;
    }
    text.append(open, ']');
    return text;
}

// "the colour count is 2 to 32 or 256"
std::string Expected(const OpArg& arg, const ControlSpec* control) {
    std::string text = std::string(arg.what) + " is ";
    std::vector<std::string> choices;
    if (control) choices.push_back(std::to_string(control->minimum) + " to " + std::to_string(control->maximum));
    for (const OpWord& w : arg.words) choices.emplace_back(w.word);
    for (size_t i = 0; i < choices.size(); ++i) {
        if (i > 0) text += i + 1 == choices.size() ? " or " : ", ";
        text += choices[i];
    }
    return text;
}

// The dialog answers of a dialog command's OP: each argument moves its
// control or clicks the button its word names; "OK" ends the script.
std::optional<DialogScript> Answers(std::string_view op, std::string_view name, std::string_view args,
                                    const DialogCommand& command, std::string& why) {
    const std::span<const OpArg> expected = command.opArgs;
    const std::vector<std::string_view> given = args.empty() ? std::vector<std::string_view>{} : SplitArgs(args);
    const size_t required =
        size_t(std::count_if(expected.begin(), expected.end(), [](const OpArg& a) { return !a.optional; }));
    if (given.size() < required || given.size() > expected.size()) {
        why = std::string(op) + ": " + std::string(name) + " takes " + Synopsis(name, expected);
        return std::nullopt;
    }
    DialogScript early, late;
    for (size_t i = 0; i < given.size(); ++i) {
        const OpArg& arg = expected[i];
        const ControlSpec* control = arg.control ? ControlIn(*command.form, arg.control) : nullptr;
        DialogScript& steps = arg.first ? early : late;
        const auto word =
            std::find_if(arg.words.begin(), arg.words.end(), [&](const OpWord& w) { return w.word == given[i]; });
        if (word != arg.words.end()) {
            steps.push_back({DialogStep::Click, word->control, 0});
            continue;
        }
        const std::optional<int> n = control ? ParseInt(given[i], control->minimum, control->maximum) : std::nullopt;
        if (!n) {
            why = std::string(op) + ": the " + Expected(arg, control);
            return std::nullopt;
        }
        steps.push_back({DialogStep::Trackbar, arg.control, *n});
    }
    early.insert(early.end(), late.begin(), late.end());
    // The button "OK" itself: other buttons may end the dialog as OK does
    // ("256"), but only after doing their own part.
    for (const ControlSpec& c : command.form->controls)
        if (c.kind == ControlKind::Button && c.press == Press::Ok && c.text == "OK")
            early.push_back({DialogStep::Click, c.id, 0});
    return early;
}

}  // namespace

bool AnswersFit(std::string_view op, const DialogCommand& command, const DialogSpec& form, const DialogScript& script,
                std::string& why) {
    for (const DialogStep& step : script) {
        const ControlSpec* control = step.kind == DialogStep::Trackbar ? ControlIn(form, step.id) : nullptr;
        if (!control || (step.value >= control->minimum && step.value <= control->maximum)) continue;
        const auto arg = std::find_if(command.opArgs.begin(), command.opArgs.end(),
                                      [&](const OpArg& a) { return a.control == step.id; });
        const std::string_view what = arg != command.opArgs.end() ? arg->what : "value";
        why = std::string(op) + ": the " + std::string(what) + " is " + std::to_string(control->minimum) + " to " +
              std::to_string(control->maximum) + " here";
        return false;
    }
    return true;
}

std::optional<int> ParseInt(std::string_view text, int lo, int hi) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi) return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitArgs(std::string_view args) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = args.find(',', start);
        parts.push_back(args.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return parts;
}

std::optional<OpCall> ParseOp(std::string_view op, std::string& why) {
    if (std::optional<Gesture> gesture = ParseGesture(op, why)) return OpCall{{}, {}, std::move(gesture)};
    if (!why.empty()) return std::nullopt;
    const size_t colon = op.find(':');
    const std::string_view name = op.substr(0, colon);
    const std::string_view args = colon == std::string_view::npos ? std::string_view() : op.substr(colon + 1);
    for (const CommandInfo& c : Commands()) {
        if (c.op.empty()) continue;
        if (!c.dialog) {
            // A whole-text OP: "undo", "blur:1".
            if (c.op == op) return OpCall{c.id, {}, {}};
            if (c.op == name) {
                why = std::string(op) + ": " + std::string(name) + " takes no arguments";
                return std::nullopt;
            }
            continue;
        }
        if (c.op != name) continue;
        std::optional<DialogScript> script = Answers(op, name, args, *c.dialog, why);
        if (!script) return std::nullopt;
        return OpCall{c.id, std::move(*script), {}};
    }
    why = std::string(op) + ": no such OP";
    return std::nullopt;
}

std::vector<std::string> OpSynopses() {
    std::vector<std::string> list;
    for (const CommandInfo& c : Commands()) {
        if (c.op.empty()) continue;
        list.push_back(c.dialog ? Synopsis(c.op, c.dialog->opArgs) : std::string(c.op));
    }
    for (std::string& g : GestureSynopses()) list.push_back(std::move(g));
    return list;
}

}  // namespace zorva::shell
