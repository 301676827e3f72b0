// The one skeleton of every command with a dialog: open it, and on OK time the operation and report it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/dialogs/Dialog.h"

namespace zorva::shell {

class Editor;

// One status-bar field an operation writes.
struct StatusWrite {
    int field = 0;
    std::string text;
};

// What an operation leaves for the user once it ran: the elapsed time in
// field 11 first (when timed), then its fields in order, then a message.
struct CommandReport {
    bool timed = true;
    std::vector<StatusWrite> fields;
    std::string_view message;
};

// How one argument of a zorva-cli OP answers the dialog: a number moves
// trackbar or up-down `control` (its range is the dialog's), a word from
// `words` clicks the button or radio it names instead.
struct OpWord {
    std::string_view word;
    int control = 0;
};
struct OpArg {
    std::string_view placeholder;  // in the usage text: "N", "TOL"
    std::string_view what;         // in error messages: "the colour count"
    int control = 0;               // 0: only words
    std::span<const OpWord> words;
    bool optional = false;  // may be left out (this and every later one)
    bool first = false;     // answered before the others (a channel chosen before its sliders)
};

struct DialogCommand {
    // The dialog's table; `choose` picks one by the editor's state instead
    // (the SVG export asks what the map present calls for).
    const DialogSpec* form = nullptr;
    const DialogSpec* (*choose)(const Editor&) = nullptr;
    // Why the command cannot work on the picture at hand (a message), or
    // empty; checked before the dialog opens, so a refusal takes no step.
    std::string_view (*refuse)(const Editor&) = nullptr;
    // Opening takes an undo snapshot.
    bool snapshot = false;
    DialogHooks hooks;
    // On OK: the operation with the dialog's values. Null when the dialog is
    // the whole command (zoom).
    CommandReport (*run)(Editor&, const DialogModel&) = nullptr;
    // The arguments of the command's zorva-cli OP, in the order they are written.
    std::span<const OpArg> opArgs;
};

// The dialog command: shows the dialog; on OK takes the time, runs the
// operation, writes its report; repaints the view however the dialog ended.
void RunDialogCommand(Editor& editor, const DialogCommand& command);

// The dialog `command` shows in the editor's present state.
const DialogSpec& DialogOf(const Editor& editor, const DialogCommand& command);

// Writes a report: the time since `startMs` when timed, the fields, the message.
void WriteReport(Editor& editor, const CommandReport& report, uint32_t startMs);

}  // namespace zorva::shell
