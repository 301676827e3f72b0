// Opening a command's dialog, running its operation on OK and reporting it.
#include "shell/dialogs/DialogCommand.h"

#include "shell/Editor.h"

namespace zorva::shell {

const DialogSpec& DialogOf(const Editor& editor, const DialogCommand& command) {
    if (command.choose) return *command.choose(editor);
    return *command.form;
}

void WriteReport(Editor& editor, const CommandReport& report, uint32_t startMs) {
    if (report.timed) editor.showElapsed(startMs);
    for (const StatusWrite& w : report.fields) editor.setStatus(w.field, w.text);
    if (!report.message.empty()) editor.message(report.message);
}

void RunDialogCommand(Editor& editor, const DialogCommand& command) {
    if (command.refuse)
        if (const std::string_view why = command.refuse(editor); !why.empty()) {
            editor.message(why, MessageIcon::Exclamation);
            return;
        }
    DialogModel dialog(DialogOf(editor, command), &editor, command.hooks, command.snapshot);
    editor.host().runDialog(dialog);
    if (dialog.end() == DialogEnd::Ok && command.run) {
        const uint32_t start = editor.host().clockMs();
        WriteReport(editor, command.run(editor, dialog), start);
    }
    editor.host().repaint(true);
}

}  // namespace zorva::shell
