// The paint routine shared by the window and the printer: a paint plan drawn through QPainter.
#pragma once

#include <QPainter>
#include <QRect>

#include "core/BmpImage.h"
#include "shell/view/WindowState.h"

namespace zorva::platform {

// Draws the part of `document` that `plan` maps inside `clip` (target
// pixels), in bands, leaving everything else as the target has it.
void PaintView(QPainter& painter, const shell::PaintPlan& plan, core::BmpView document, const QRect& clip);

}  // namespace zorva::platform
