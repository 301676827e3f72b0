// Commands of the window itself: zoom, colour, printing, help, language, folder navigation.
#include "shell/commands/WindowCommands.h"

#include <string_view>

#include "shell/Editor.h"
#include "shell/commands/Help.h"
#include "shell/commands/Navigation.h"
#include "shell/view/Palette.h"
#include "shell/view/View.h"

namespace zorva::shell {

namespace {

constexpr std::string_view kPrintJobName = "Видео: Печатаем";
constexpr std::string_view kPrinterUnavailable = "Принтер не доступен";
constexpr std::string_view kPrinterCannotPrint = "Принтер не может распечатать рисунок";

// "Цвет": the colour dialog's choice becomes DrawColour, shown in field 6
// blue first. Cancel keeps the colour the user had.
void ChooseColourCommand(Editor& editor) {
    const std::optional<Colour> chosen = editor.host().chooseColour();
    if (!chosen) return;
    EditorState& state = editor.state();
    state.drawRed = chosen->red;
    state.drawGreen = chosen->green;
    state.drawBlue = chosen->blue;
    editor.setStatus(6, ColourFieldBgr(state.drawRed, state.drawGreen, state.drawBlue));
}

// "Печать": the document on one page through the screen's paint routine, the
// page in place of the client area.
void PrintCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    PrintJob job;
    job.name = kPrintJobName;
    job.document = editor.document();
    job.plan = [&editor](int pageWidth, int pageHeight) {
        return PlanPaint(editor.state(), editor.document(), pageWidth, pageHeight);
    };
    switch (editor.host().print(job)) {
        case PrintStatus::Done:
            break;
        case PrintStatus::Unavailable:
            editor.message(kPrinterUnavailable, MessageIcon::Exclamation);
            break;
        case PrintStatus::Failed:
            editor.message(kPrinterCannotPrint, MessageIcon::Exclamation);
            break;
    }
}

}  // namespace

bool RunWindowCommand(Editor& editor, CommandId id) {
    switch (id) {
        case CommandId::Zoom:
            OpenZoomDialog(editor);
            return true;
        case CommandId::Colour:
            ChooseColourCommand(editor);
            return true;
        case CommandId::Print:
            PrintCommand(editor);
            return true;
        case CommandId::AboutBox:
            ShowAbout(editor);
            return true;
        case CommandId::English:
            ShowEnglish(editor);
            return true;
        case CommandId::Russian:  // the only language; the item keeps its check mark
        case CommandId::Close:    // nothing to close: the document stays until another replaces it
            return true;
        case CommandId::NextPhoto:
            NavigateFolder(editor, Direction::Next);
            return true;
        case CommandId::PreviousPhoto:
            NavigateFolder(editor, Direction::Previous);
            return true;
        default:
            return ShowHelp(editor, id);
    }
}

}  // namespace zorva::shell
