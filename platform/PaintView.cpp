// Renders a paint plan band by band with the shell's renderer and blits each band 1:1.
#include "platform/PaintView.h"

#include <QImage>
#include <algorithm>

#include "shell/view/View.h"

namespace zorva::platform {

namespace {
// Rows per band: a page-wide band of a 300 dpi page stays below 3 MB.
constexpr int kBandRows = 256;
}  // namespace

void PaintView(QPainter& painter, const shell::PaintPlan& plan, core::BmpView document, const QRect& clip,
               effects::ResampleRoute route) {
    if (!document.valid() || !plan.draw) return;
    const shell::Rect covered = shell::CoveredRect(plan, document.width(), document.height());
    const shell::Rect part = covered.intersected(shell::Rect{clip.x(), clip.y(), clip.width(), clip.height()});
    if (part.empty()) return;
    QImage band(part.width, std::min(kBandRows, part.height), QImage::Format_RGB32);
    for (int y = part.y; y < part.bottom(); y += kBandRows) {
        const shell::Rect area{part.x, y, part.width, std::min(kBandRows, part.bottom() - y)};
        if (area.height != band.height()) band = QImage(area.width, area.height, QImage::Format_RGB32);
        shell::RenderPicture(document, plan, area, reinterpret_cast<uint32_t*>(band.bits()),
                             int(band.bytesPerLine() / 4), route);
        painter.drawImage(QPoint(area.x, area.y), band);
    }
}

}  // namespace zorva::platform
