// The commands of the "Эффекты" menu and the tone dialog: their targets, snapshots and timing, and their dialogs.
#pragma once

#include "effects/Blur.h"
#include "shell/dialogs/DialogCommand.h"

namespace zorva::shell {

class Editor;

// The target of the tone dialog, grey and negative: the floating selection
// (an outlined one is lifted first), else the whole picture. Its pure white
// stays transparent, and after the change the selection is composited
// again.

// 40017 "Черно-белое": grey conversion of the target; the snapshot is taken
// only when the target is the whole picture.
void GreyscaleCommand(Editor& editor);
// 40038 "Негатив": negative of the target.
void NegativeCommand(Editor& editor);

// 40031..40034 "легко", "средне", "сильно", "очень сильно": a blur of the
// floating selection (an outlined one lifted first) over the picture as it
// is under it, else of the whole picture.
void BlurCommand(Editor& editor, effects::BlurLevel level);

// The filters of the whole picture. Their rows do not act on a selection,
// so the dispatcher ends one first (dropped into the picture, or its outline
// removed): no outline is ever filtered into the picture.
// 40079 "усиление цвета", 40073 "резкость", 40037 "Карандаш М";
// 40035 "Собеля" and 40036 "Карандаш Т" also show "T(ms)=" and their time.
void ColourEnhanceCommand(Editor& editor);
void SharpenCommand(Editor& editor);
void SobelCommand(Editor& editor);
void PencilHardCommand(Editor& editor);
void PencilSoftCommand(Editor& editor);

// 40016 "Настройка": dialog CONTROLS, brightness and contrast per channel
// previewed on the target; "Отмена" brings the target back.
extern const DialogCommand kToneCommand;
// CONTROLS's up-down arrows of the channel, below its three trackbars.
inline constexpr int kChannelUpDown = 204;
// 40026 "Порог": dialog POROG, black and white at a luminance level,
// previewed on the whole picture.
extern const DialogCommand kThresholdCommand;
// 40083 "Гравюра": dialog GRAVUR, the adaptive threshold previewed on the
// whole picture.
extern const DialogCommand kEngraveCommand;
// GRAVUR's window radios.
inline constexpr int kRadio9x9 = 350;
inline constexpr int kRadio17x9 = 351;
inline constexpr int kRadio17x17 = 352;

}  // namespace zorva::shell
