// The resource ids of the dialogs' controls, named once for the dialog tables, their operations, hosts and tests.
#pragma once

namespace zorva::shell {

// The parameter dialogs' trackbars, and the read-only edits beside them that
// echo them ("032"), in their order from the top.
inline constexpr int kTrackbar1 = 201;
inline constexpr int kTrackbar2 = 202;
inline constexpr int kTrackbar3 = 203;
// CONTROLS's up-down arrows of the channel, below its three trackbars.
inline constexpr int kChannelUpDown = 204;
inline constexpr int kEdit1 = 231;
inline constexpr int kEdit2 = 232;
inline constexpr int kEdit3 = 233;
inline constexpr int kEdit4 = 234;
// "OK" and "Отмена" of every parameter dialog (kOkButton, kCancelButton).
inline constexpr int kOkId = 211;
inline constexpr int kCancelId = 212;

// PALITRA's "256" and SEGMENT2's scale buttons "x10" and "x1".
inline constexpr int kButton256 = 205;
inline constexpr int kButtonX10 = 205;
inline constexpr int kButtonX1 = 206;

// GRAVUR's window radios.
inline constexpr int kRadio9x9 = 350;
inline constexpr int kRadio17x9 = 351;
inline constexpr int kRadio17x17 = 352;

// CONTROLS1, the rotation: the turn buttons, the angle's arrows and its echo, its own OK and Отмена.
inline constexpr int kButtonLeft = 311;
inline constexpr int kButtonRight = 312;
inline constexpr int kButtonHalf = 313;
inline constexpr int kButtonMirror = 314;
inline constexpr int kButtonAngle = 315;
inline constexpr int kAngleUpDown = 304;
inline constexpr int kAngleEdit = 334;
inline constexpr int kRotateOkId = 316;
inline constexpr int kRotateCancelId = 317;

// CONTROLS3, the zoom: one radio per zoom step from "25%" (ZoomIndex 1) to
// "1600%" (ZoomIndex 8), and its OK.
inline constexpr int kZoomRadioFirst = 250;
constexpr int ZoomRadio(int zoomIndex) {
    return kZoomRadioFirst + zoomIndex - 1;
}
inline constexpr int kZoomOkId = 258;

}  // namespace zorva::shell
