// The paint routine shared by the window and the printer: a paint plan drawn through QPainter.
#pragma once

#include <QPainter>
#include <QRect>

#include "core/BmpImage.h"
#include "effects/Resample.h"
#include "shell/view/WindowState.h"

namespace zorva::platform {

// Draws the part of `document` that `plan` maps inside `clip` (target
// pixels), in bands, leaving everything else as the target has it. `route`:
// effects::Resample's summing.
void PaintView(QPainter& painter, const shell::PaintPlan& plan, core::BmpView document, const QRect& clip,
               effects::ResampleRoute route = effects::ResampleRoute::Fastest);

}  // namespace zorva::platform
