// The resource ids of the controls the dialogs share; the ids of one family's own controls are in its header.
#pragma once

namespace zorva::shell {

// The parameter dialogs' trackbars, and the read-only edits beside them that
// echo them ("032"), in their order from the top.
inline constexpr int kTrackbar1 = 201;
inline constexpr int kTrackbar2 = 202;
inline constexpr int kTrackbar3 = 203;
inline constexpr int kEdit1 = 231;
inline constexpr int kEdit2 = 232;
inline constexpr int kEdit3 = 233;
inline constexpr int kEdit4 = 234;
// "OK" and "Отмена" of every parameter dialog (kOkButton, kCancelButton).
inline constexpr int kOkId = 211;
inline constexpr int kCancelId = 212;

}  // namespace zorva::shell
