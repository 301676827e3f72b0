// The SEGMENT1 and SEGMENT2 dialogs: parameters of the two segmentations.
#pragma once

#include "shell/dialogs/Dialog.h"

namespace zorva::shell {

class Editor;

// Control ids shared by the colour, segmentation and SVG dialogs.
namespace dialog {
inline constexpr int kTrackbar1 = 201;
inline constexpr int kTrackbar2 = 202;
inline constexpr int kButton256 = 205;  // PALITRA "256"
inline constexpr int kButtonX10 = 205;  // SEGMENT2 "x10"
inline constexpr int kButtonX1 = 206;   // SEGMENT2 "x1"
inline constexpr int kOk = 211;
inline constexpr int kCancel = 212;
inline constexpr int kEdit1 = 231;
inline constexpr int kEdit2 = 232;
}  // namespace dialog

// "Параметры сегментации" of 8-connected segmentation: trackbar 201
// "  Погрешность:" and 202 "  Повторения: " (1..25 each) echoed in edits 231
// and 232. Opening takes an undo snapshot and sets tolerance 2, repetitions 5;
// moving either trackbar reads both into SegmentTolerance and SegmentRepetitions.
class SegmentEightDialog : public DialogModel {
public:
    explicit SegmentEightDialog(Editor& editor);
    void open() override;

protected:
    void onTrackbar(int id, int position) override;
    void onClick(int id) override;

private:
    Editor& m_editor;
};

// "Параметры сегментации" of median-cut segmentation: trackbar 201
// "Количество цветов в палитре" (2..32, edit 231), trackbar 202 "Минимум точек
// в сегменте" (0..50, edit 232), scale buttons 206 "x1" and 205 "x10".
// Opening takes an undo snapshot: PaletteSize 2, trackbar 5, scale 1,
// MinSegmentPoints 5. MinSegmentPoints is trackbar 202 times the scale.
class SegmentMedianCutDialog : public DialogModel {
public:
    explicit SegmentMedianCutDialog(Editor& editor);
    void open() override;
    int scale() const { return m_scale; }

protected:
    void onTrackbar(int id, int position) override;
    void onClick(int id) override;

private:
    void readTrackbars();

    Editor& m_editor;
    int m_scale = 1;
};

}  // namespace zorva::shell
