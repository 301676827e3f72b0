// The help boxes, the about box and the language items.
#pragma once

#include <span>
#include <string_view>

#include "shell/commands/CommandId.h"

namespace zorva::shell {

class Editor;

struct HelpTopic {
    CommandId id;
    std::string_view caption;
    std::string_view text;
};

// The nine help topics, in menu order.
std::span<const HelpTopic> HelpTopics();
// The topic of a help item, or null.
const HelpTopic* FindHelpTopic(CommandId id);

inline constexpr std::string_view kProgramName = "Zorva";
inline constexpr std::string_view kProgramVersion = "v1.0.5";
inline constexpr std::string_view kAboutCaption = " О программе ";
inline constexpr std::string_view kEnglishCaption = " English ";

// Help item `id`: its box (OK button, no icon). False for other ids.
bool ShowHelp(Editor& editor, CommandId id);
// "О программе": the about box with the information icon.
void ShowAbout(Editor& editor);
// "English": the exclamation box inviting to study Russian.
void ShowEnglish(Editor& editor);

}  // namespace zorva::shell
