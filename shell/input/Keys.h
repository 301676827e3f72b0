// The virtual-key codes of the key handler.
#pragma once

namespace zorva::shell {

// The virtual-key codes the key handler acts on (the window translates its
// toolkit's key codes into these).
namespace vk {
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Insert = 0x2D;
inline constexpr int Delete = 0x2E;
inline constexpr int A = 0x41;
inline constexpr int C = 0x43;
inline constexpr int L = 0x4C;
inline constexpr int O = 0x4F;
inline constexpr int P = 0x50;
inline constexpr int R = 0x52;
inline constexpr int S = 0x53;
inline constexpr int V = 0x56;
inline constexpr int X = 0x58;
inline constexpr int Y = 0x59;
inline constexpr int Z = 0x5A;
}  // namespace vk

}  // namespace zorva::shell
