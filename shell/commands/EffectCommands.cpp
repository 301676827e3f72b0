// The effect commands over the effects layer: choosing the target, the undo steps, the live previews of CONTROLS,
// POROG and GRAVUR.
#include "shell/commands/EffectCommands.h"

#include <cstring>

#include "effects/AdaptiveThreshold.h"
#include "effects/Sharpen.h"
#include "effects/Sobel.h"
#include "effects/Tone.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/commands/DocumentCommands.h"
#include "shell/commands/Selection.h"

namespace zorva::shell {

namespace {

// ---- targets and undo steps ----

struct Target {
    core::MutableBmpView pixels;
    bool floating = false;
};

// The floating selection (lifting an outlined one first), else the whole
// picture (also when an outlined selection held no pixel of the picture and
// ended as it was lifted).
Target ChooseTarget(Editor& editor) {
    if (CurrentSelection(editor) == SelectionKind::Outlined) LiftSelection(editor);
    if (CurrentSelection(editor) == SelectionKind::Floating) return {FloatingPixels(editor), true};
    return {editor.document(), false};
}

// The target a dialog chose when it opened.
Target DialogTarget(Editor& editor, bool floating) {
    return floating ? Target{FloatingPixels(editor), true} : Target{editor.document(), false};
}

effects::White WhiteOf(const Target& target) {
    return target.floating ? effects::White::Transparent : effects::White::Opaque;
}

// Takes an undo snapshot; true when it recorded a step that undo returns to
// (one that could not be written records none, and undo would then go one
// step too far back).
bool TakeStep(Editor& editor) {
    const int before = editor.undoRing().index();
    editor.takeSnapshot();
    return editor.undoRing().index() != before;
}

// ---- the untouched copy of a preview ----

// Keeps a copy of `pixels` to recompute previews from: in MaskImage, or in
// PixelPlane when MaskImage cannot hold it (a pasted picture larger than the
// document). False when neither can.
bool KeepUntouched(Editor& editor, core::BmpView pixels) {
    core::WorkArena& arena = editor.arena();
    EffectState& saved = editor.state().effects;
    const size_t bytes = pixels.fileSize();
    saved.untouchedCopy = {};
    if (bytes <= arena.imageBlockSize()) {
        std::memcpy(arena.writeMask().data(), pixels.data(), bytes);
        saved.untouchedCopy = arena.lease(core::Region::MaskImage);
    } else if (bytes <= arena.planeSize()) {
        std::memcpy(arena.writePixelWords((bytes + 3) / 4).data(), pixels.data(), bytes);
        saved.untouchedCopy = arena.lease(core::Region::PixelPlane);
    }
    return saved.untouchedCopy.generation != 0;
}

// The copy KeepUntouched made, or an invalid view when it is gone.
core::BmpView Untouched(const Editor& editor) {
    const core::WorkArena& arena = editor.arena();
    const core::Lease& copy = editor.state().effects.untouchedCopy;
    if (!arena.holds(copy)) return {};
    if (copy.region == core::Region::PixelPlane)
        return core::BmpView(reinterpret_cast<const uint8_t*>(arena.pixelPlane().data));
    if (copy.region == core::Region::BackgroundCopy) return arena.background();
    return arena.mask();
}

void ForgetUntouched(Editor& editor) {
    editor.state().effects.untouchedCopy = {};
}

// ---- CONTROLS ----

constexpr int kBrightness = kTrackbar1;
constexpr int kContrast = kTrackbar2;
constexpr int kGamma = kTrackbar3;
constexpr int kChannel = kChannelUpDown;
constexpr int kTargetFloating = kFirstValueId;  // 1 when the target is the floating selection
constexpr int kStepTaken = kFirstValueId + 1;   // 1 when opening recorded an undo step

constexpr std::string_view kChannelNames[] = {"Все цвета", "Красный", "Зеленый", "Синий"};

constexpr ControlSpec kControlsControls[] = {
    Label("  Яркость:   "),
    Slider(kBrightness, 0, 100, 50),
    EchoOf(kEdit1, kBrightness),
    Label("Контрастность:"),
    Slider(kContrast, 0, 100, 50),
    EchoOf(kEdit2, kContrast),
    Label("Цветовая гамма:"),
    Slider(kGamma, 0, 100, 50),
    EchoOf(kEdit3, kGamma),
    {.kind = ControlKind::UpDown, .id = kChannel, .minimum = 0, .maximum = 3, .initial = 0},
    {.kind = ControlKind::ReadOnlyEdit, .id = kEdit4, .source = kChannel, .echo = Echo::Name, .names = kChannelNames},
    Value(kTargetFloating, 0),
    Value(kStepTaken, 0),
    kOkButton,
    kCancelButton,
};
constexpr DialogSpec kControls{"CONTROLS", "Настройка", kControlsControls};

// The target recomputed from its untouched copy with the current settings,
// so that settings never accumulate.
void RecomputeTone(Editor& editor, const DialogModel& dialog) {
    const Target target = DialogTarget(editor, dialog.value(kTargetFloating) != 0);
    const core::BmpView copy = Untouched(editor);
    if (!copy.valid() || copy.fileSize() != target.pixels.fileSize()) return;
    const ToneSettings& s = editor.state().effects.tone;
    effects::ApplyTone(copy, target.pixels, effects::MakeToneTransfer(s.brightness, s.contrast, int(s.colourGamma)),
                       WhiteOf(target));
    if (target.floating) Recomposite(editor);
}

void ToneOpened(Editor& editor, DialogModel& dialog) {
    dialog.setValue(kStepTaken, TakeStep(editor));
    const Target target = ChooseTarget(editor);
    dialog.setValue(kTargetFloating, target.floating);
    KeepUntouched(editor, target.pixels);
    editor.state().effects.tone = ToneSettings{};
}

void ToneChanged(Editor& editor, DialogModel& dialog, int id) {
    ToneSettings& s = editor.state().effects.tone;
    if (id == kChannel) {
        // Another channel: its sliders come back, the gamma stays; nothing
        // is recomputed.
        s.channel = uint8_t(dialog.value(kChannel));
        dialog.setValue(kBrightness, s.brightness[s.channel]);
        dialog.setValue(kContrast, s.contrast[s.channel]);
        return;
    }
    s.brightness[s.channel] = uint8_t(dialog.value(kBrightness));
    s.contrast[s.channel] = uint8_t(dialog.value(kContrast));
    s.colourGamma = uint32_t(dialog.value(kGamma));
    if (!editor.host().previewsLive()) return;
    RecomputeTone(editor, dialog);
    editor.host().repaint(true);
}

// "Отмена" of every dialog that previews on the picture: the target as it
// was at opening. Where the dialog undoes (`undoes`) and opening recorded a
// step, that step is undone; otherwise the untouched copy goes back (into
// the floating selection's pixels, composited again, when that is the
// target: `floating`).
void CancelPreview(Editor& editor, const DialogModel& dialog, bool undoes, bool floating) {
    if (!floating && undoes && dialog.value(kStepTaken)) {
        UndoCommand(editor);
    } else {
        const Target target = DialogTarget(editor, floating);
        const core::BmpView copy = Untouched(editor);
        if (copy.valid() && copy.fileSize() == target.pixels.fileSize())
            std::memcpy(target.pixels.data(), copy.data(), copy.fileSize());
        if (floating) Recomposite(editor);
    }
    ForgetUntouched(editor);
}

void ToneCancelled(Editor& editor, DialogModel& dialog) {
    editor.state().effects.tone = ToneSettings{};
    CancelPreview(editor, dialog, true, dialog.value(kTargetFloating) != 0);
}

void ToneClosed(Editor& editor, DialogModel&) {
    ForgetUntouched(editor);
}

CommandReport RunTone(Editor& editor, const DialogModel& dialog) {
    // The picture with the settings as they stand; with live previews it
    // already is, and the same settings give the same pixels.
    RecomputeTone(editor, dialog);
    ForgetUntouched(editor);
    return {.timed = false};
}

constexpr OpArg kToneArgs[] = {
    {"B", "brightness", kBrightness},
    {"C", "contrast", kContrast},
    {"G", "colour gamma", kGamma, {}, true},
    {"CHANNEL", "channel", kChannel, {}, true, true},
};

// ---- POROG ----

constexpr int kLevel = kTrackbar1;

constexpr ControlSpec kPorogControls[] = {
    Label("Уровень порога"), Slider(kLevel, 0, 255, 128), EchoOf(kEdit1, kLevel), kOkButton, kCancelButton,
};
constexpr DialogSpec kPorog{"POROG", "Порог", kPorogControls};

// The picture recomputed from the copy in BackgroundCopy at the level.
void RecomputeThreshold(Editor& editor) {
    const core::BmpView copy = Untouched(editor);
    if (copy.valid()) effects::Threshold(copy, editor.document(), editor.state().effects.thresholdLevel);
}

void ThresholdOpened(Editor& editor, DialogModel&) {
    editor.takeSnapshot();
    const core::MutableBmpView document = editor.document();
    std::memcpy(editor.arena().writeBackground().data(), document.data(), document.fileSize());
    EffectState& saved = editor.state().effects;
    saved.untouchedCopy = editor.arena().lease(core::Region::BackgroundCopy);
    saved.thresholdLevel = 128;
}

void ThresholdChanged(Editor& editor, DialogModel& dialog, int) {
    editor.state().effects.thresholdLevel = uint8_t(dialog.value(kLevel));
    if (!editor.host().previewsLive()) return;
    RecomputeThreshold(editor);
    editor.host().repaint(true);
}

// The threshold's "Отмена" puts its copy back and keeps the step.
void ThresholdCancelled(Editor& editor, DialogModel& dialog) {
    CancelPreview(editor, dialog, false, false);
}

CommandReport RunThreshold(Editor& editor, const DialogModel& dialog) {
    editor.state().effects.thresholdLevel = uint8_t(dialog.value(kLevel));
    RecomputeThreshold(editor);
    ForgetUntouched(editor);
    return {.timed = false};
}

constexpr OpArg kThresholdArgs[] = {{"LEVEL", "level", kLevel}};

// ---- GRAVUR ----

constexpr int kWindow = kFirstValueId;  // WindowChoice 1..3, set by the radios

constexpr ControlSpec kGravurControls[] = {
    Label("Окно и уровень"),
    Slider(kLevel, -10, 30, 8),
    EchoOf(kEdit1, kLevel, Echo::SignedThree),
    Radio(kRadio9x9, "9x9", kWindow, 1),
    Radio(kRadio17x9, "17x9", kWindow, 2),
    Radio(kRadio17x17, "17x17", kWindow, 3),
    Value(kWindow, 2),
    Value(kStepTaken, 0),
    kOkButton,
    kCancelButton,
};
constexpr DialogSpec kGravur{"GRAVUR", "Адаптивный порог", kGravurControls};

// The picture as the threshold of the means computed at opening shows it
// (AdaptiveThreshold and RenderBinaryPlane in one pass, no result plane).
void RenderEngraving(Editor& editor) {
    const EffectState& saved = editor.state().effects;
    if (!editor.arena().holds(saved.localMeans)) return;
    effects::RenderAdaptiveThreshold(editor.arena().pixelPlane(), saved.windowChoice, saved.adaptiveLevel,
                                     editor.document());
}

void EngraveOpened(Editor& editor, DialogModel& dialog) {
    const bool step = TakeStep(editor);
    dialog.setValue(kStepTaken, step);
    core::WorkArena& arena = editor.arena();
    EffectState& saved = editor.state().effects;
    saved.localMeans = {};
    if (effects::ComputeLocalMeans(editor.document(), arena.writePixelPlane()))
        saved.localMeans = arena.lease(core::Region::PixelPlane);
    saved.adaptiveLevel = 8;
    saved.windowChoice = effects::WindowChoice::Wide17;
    // Without a step to undo, "Отмена" needs the picture as it was.
    if (!step) KeepUntouched(editor, editor.document());
}

// AdaptiveLevel and WindowChoice from the dialog, then the picture as they show it.
void ApplyEngraving(Editor& editor, const DialogModel& dialog) {
    EffectState& saved = editor.state().effects;
    saved.adaptiveLevel = int16_t(dialog.value(kLevel));
    saved.windowChoice = effects::WindowChoice(dialog.value(kWindow));
    RenderEngraving(editor);
}

void EngraveChanged(Editor& editor, DialogModel& dialog, int) {
    if (!editor.host().previewsLive()) return;
    ApplyEngraving(editor, dialog);
    editor.host().repaint(true);
}

void EngraveCancelled(Editor& editor, DialogModel& dialog) {
    CancelPreview(editor, dialog, true, false);
}

// The local means need the 17-pixel window to fit at least once.
std::string_view EngraveRefused(const Editor& editor) {
    const core::BmpView doc = editor.document();
    return doc.width() < effects::kLocalMeansMinimumSize || doc.height() < effects::kLocalMeansMinimumSize
               ? text::kTooSmallToEngrave
               : std::string_view();
}

CommandReport RunEngrave(Editor& editor, const DialogModel& dialog) {
    ApplyEngraving(editor, dialog);
    ForgetUntouched(editor);
    return {.timed = false};
}

constexpr OpWord kWindowWords[] = {{"1", kRadio9x9}, {"2", kRadio17x9}, {"3", kRadio17x17}};
constexpr OpArg kEngraveArgs[] = {{"WINDOW", "window", 0, kWindowWords}, {"LEVEL", "level", kLevel}};

// ---- whole-picture filters ----

using Filter = void (*)(core::MutableBmpView, core::MutableBmpView, effects::Kernels);

// Runs a gradient filter with MaskImage as its copy; `timed` shows its time.
void RunGradientFilter(Editor& editor, Filter filter, bool timed) {
    const uint32_t start = editor.host().clockMs();
    filter(editor.document(), editor.arena().writeMask(), effects::Kernels::Fastest);
    if (timed) editor.showElapsed(start);
}

}  // namespace

// ---- commands ----

void GreyscaleCommand(Editor& editor) {
    const Target target = ChooseTarget(editor);
    // A selection's changes belong to the step taken when it began.
    if (!target.floating) editor.takeSnapshot();
    effects::Greyscale(target.pixels);
    if (target.floating) Recomposite(editor);
    editor.host().repaint(true);
}

void NegativeCommand(Editor& editor) {
    const Target target = ChooseTarget(editor);
    effects::Negative(target.pixels, WhiteOf(target));
    if (target.floating) Recomposite(editor);
}

void BlurCommand(Editor& editor, effects::BlurLevel level) {
    if (CurrentSelection(editor) == SelectionKind::Outlined) LiftSelection(editor);
    if (CurrentSelection(editor) != SelectionKind::Floating) {
        effects::Blur(editor.document(), level);
        return;
    }
    // The floating pixels are blurred apart from the picture, which is then
    // taken anew as the picture under them.
    RestoreUnderSelection(editor);
    effects::Blur(FloatingPixels(editor), level);
    RetakeUnderSelection(editor);
    Recomposite(editor);
}

void ColourEnhanceCommand(Editor& editor) {
    effects::EnhanceColour(editor.document());
}

void SharpenCommand(Editor& editor) {
    effects::Sharpen(editor.document(), editor.arena().writeBackground());
}

void SobelCommand(Editor& editor) {
    RunGradientFilter(editor, effects::Sobel, true);
}

void PencilHardCommand(Editor& editor) {
    RunGradientFilter(editor, effects::PencilHard, true);
}

void PencilSoftCommand(Editor& editor) {
    RunGradientFilter(editor, effects::PencilSoft, false);
}

// The preview dialogs take their snapshot in their `opened` hook rather
// than through `snapshot`: "Отмена" needs to know whether the step was
// recorded.
const DialogCommand kToneCommand{
    .form = &kControls,
    .hooks = {.opened = ToneOpened, .changed = ToneChanged, .cancelled = ToneCancelled, .closed = ToneClosed},
    .run = RunTone,
    .opArgs = kToneArgs};
const DialogCommand kThresholdCommand{.form = &kPorog,
                                      .hooks = {.opened = ThresholdOpened,
                                                .changed = ThresholdChanged,
                                                .cancelled = ThresholdCancelled,
                                                .closed = [](Editor& e, DialogModel&) { ForgetUntouched(e); }},
                                      .run = RunThreshold,
                                      .opArgs = kThresholdArgs};
const DialogCommand kEngraveCommand{.form = &kGravur,
                                    .refuse = EngraveRefused,
                                    .hooks = {.opened = EngraveOpened,
                                              .changed = EngraveChanged,
                                              .cancelled = EngraveCancelled,
                                              .closed = [](Editor& e, DialogModel&) { ForgetUntouched(e); }},
                                    .run = RunEngrave,
                                    .opArgs = kEngraveArgs};

}  // namespace zorva::shell
