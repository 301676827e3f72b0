// Commands of the window itself: zoom, colour, printing, help, language, folder navigation.
#include "shell/commands/WindowCommands.h"

#include <string_view>

#include "shell/Editor.h"
#include "shell/view/Palette.h"
#include "shell/view/View.h"

namespace zorva::shell {

namespace {

constexpr std::string_view kPrintJobName = "Видео: Печатаем";
constexpr std::string_view kPrinterUnavailable = "Принтер не доступен";
constexpr std::string_view kPrinterCannotPrint = "Принтер не может распечатать рисунок";

constexpr int kZoom = kFirstValueId;

constexpr ControlSpec kControls3[] = {
    Radio(ZoomRadio(1), "25%", kZoom, 1),
    Radio(ZoomRadio(2), "50%", kZoom, 2),
    Radio(ZoomRadio(3), "100%", kZoom, 3),
    Radio(ZoomRadio(4), "200%", kZoom, 4),
    Radio(ZoomRadio(5), "400%", kZoom, 5),
    Radio(ZoomRadio(6), "600%", kZoom, 6),
    Radio(ZoomRadio(7), "800%", kZoom, 7),
    Radio(ZoomRadio(8), "1600%", kZoom, 8),
    Value(kZoom, kDefaultZoom),
    Button(kZoomOkId, "OK", Press::Ok),
};
constexpr DialogSpec kZoomDialog{"CONTROLS3", "Масштаб", kControls3};

void ZoomOpened(Editor& editor, DialogModel& dialog) {
    dialog.setValue(kZoom, editor.state().zoomIndex);
}

void ZoomChanged(Editor& editor, DialogModel& dialog, int) {
    editor.state().zoomIndex = uint8_t(dialog.value(kZoom));
    editor.relayout();
    editor.host().repaint(true);
}

}  // namespace

const DialogCommand kZoomCommand{.form = &kZoomDialog, .hooks = {.opened = ZoomOpened, .changed = ZoomChanged}};

void OpenZoomDialog(Editor& editor) {
    editor.state().viewMode = CommandId::SourceView;
    editor.relayout();
    editor.host().repaint(true);
    RunDialogCommand(editor, kZoomCommand);
}

void ChooseColourCommand(Editor& editor) {
    const std::optional<Colour> chosen = editor.host().chooseColour();
    if (!chosen) return;
    EditorState& state = editor.state();
    state.drawRed = chosen->red;
    state.drawGreen = chosen->green;
    state.drawBlue = chosen->blue;
    editor.setStatus(status::Colour, ColourFieldBgr(state.drawRed, state.drawGreen, state.drawBlue));
}

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

}  // namespace zorva::shell
