// The OPs of `zorva-cli apply`, read from the command table: each names a command and answers its dialog.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/commands/CommandId.h"
#include "shell/dialogs/Dialog.h"
#include "shell/dialogs/DialogCommand.h"
#include "shell/input/Gesture.h"

namespace zorva::shell {

// A command with its dialog's answers, or a pointer gesture.
struct OpCall {
    CommandId id{};
    DialogScript script;  // the dialog's answers, ending with "OK"
    std::optional<Gesture> gesture;
};

// Parses one OP ("undo", "palette:16", "segment:2,5,x10", "drag:1,2,30,40")
// against the command rows and the gestures. Nothing when the name is unknown or its arguments are
// malformed, and `why` says which and why ("palette:0: the colour count is
// 2 to 32"): a usage error.
std::optional<OpCall> ParseOp(std::string_view op, std::string& why);

// Whether the trackbar answers of `script` lie in the ranges of `form`, the
// dialog `command` opens now (the SVG export's depends on the segmentation
// present: 0 to 50 after 8-connected, 0 to 10 after median cut); `why` says
// otherwise ("svg:30: the value is 0 to 10 here"): a usage error.
bool AnswersFit(std::string_view op, const DialogCommand& command, const DialogSpec& form, const DialogScript& script,
                std::string& why);

// Every OP with its argument form ("palette:N"), for the usage text.
std::vector<std::string> OpSynopses();

// Parses a decimal integer in [lo, hi]; nothing otherwise.
std::optional<int> ParseInt(std::string_view text, int lo, int hi);
// Splits "a,b,c" at commas.
std::vector<std::string_view> SplitArgs(std::string_view args);

}  // namespace zorva::shell
