// The SEG_MIN and POGRESH dialogs of the SVG export: one value each.
#pragma once

#include "shell/dialogs/Dialog.h"

namespace zorva::shell {

// One trackbar 201 echoed in edit 231, OK 211, "Отмена" 212; the value is 5
// on opening. No snapshot: the export does not change the picture.
class SvgValueDialog : public DialogModel {
public:
    int value() const;
    void open() override;

protected:
    SvgValueDialog(std::string resource, std::string title, std::string caption, int maximum);
    void onTrackbar(int id, int position) override;
    void onClick(int id) override;
};

// "Отбрасываемые сегменты" after 8-connected segmentation: "Количество точек
// сегмента" 0..50, both the smallest segment written (exclusive) and the error.
class SegMinDialog : public SvgValueDialog {
public:
    SegMinDialog();
};

// "Погрешность апроксимации" after median-cut segmentation: "Погрешность" 0..10.
class PogreshDialog : public SvgValueDialog {
public:
    PogreshDialog();
};

}  // namespace zorva::shell
