// The SEG_MIN and POGRESH dialog models.
#include "shell/dialogs/SvgDialogs.h"

#include "shell/dialogs/SegmentDialogs.h"

namespace zorva::shell {

namespace {
constexpr int kInitialValue = 5;
}

SvgValueDialog::SvgValueDialog(std::string resource, std::string title, std::string caption, int maximum)
    : DialogModel(std::move(resource), std::move(title)) {
    add({0, ControlKind::Label, std::move(caption)});
    add({dialog::kTrackbar1, ControlKind::Trackbar, "", 0, maximum, kInitialValue});
    add({dialog::kEdit1, ControlKind::ReadOnlyEdit, "005"});
    add({dialog::kOk, ControlKind::Button, "OK"});
    add({dialog::kCancel, ControlKind::Button, "Отмена"});
}

int SvgValueDialog::value() const {
    return control(dialog::kTrackbar1)->value;
}

void SvgValueDialog::open() {
    setTrackbar(dialog::kTrackbar1, kInitialValue);
    showValue(dialog::kEdit1, kInitialValue);
}

void SvgValueDialog::onTrackbar(int id, int position) {
    if (id == dialog::kTrackbar1) showValue(dialog::kEdit1, position);
}

void SvgValueDialog::onClick(int id) {
    if (id == dialog::kOk) finish(DialogEnd::Ok);
    if (id == dialog::kCancel) finish(DialogEnd::Cancel);
}

SegMinDialog::SegMinDialog() : SvgValueDialog("SEG_MIN", "Отбрасываемые сегменты", "Количество точек сегмента", 50) {}

PogreshDialog::PogreshDialog() : SvgValueDialog("POGRESH", "Погрешность апроксимации", "Погрешность", 10) {}

}  // namespace zorva::shell
