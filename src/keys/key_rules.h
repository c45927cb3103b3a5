// The key-down handling: one ordered chain of key rules.
#pragma once

#include "state/panel.h"

namespace kelvaro {

// Virtual-key codes the rules test.
namespace vk {
constexpr int kEnter = 13, kShift = 16, kCtrl = 17, kSpace = 32, kPageUp = 33, kPageDown = 34;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kInsert = 45, kLeftWindows = 91;
constexpr int kKeypad0 = 96, kKeypad9 = 105, kKeypadPoint = 110;
constexpr int kF1 = 112, kF2 = 113, kF3 = 114, kF4 = 115, kF5 = 116, kF6 = 117, kF7 = 118, kF8 = 119,
              kF9 = 120, kF10 = 121, kF11 = 122, kF12 = 123;
constexpr int kPlus = 187, kMinus = 189, kPoint = 190;
}  // namespace vk

// Runs the chain of key rules for the accepted key-down in keyCode. Each rule
// either acts and stops, or changes state and lets the later rules see the
// key; keys that reach the end with no entry pending re-send the frequency.
void RunKeyRules(Panel& panel);

// The key as the rules at this point of the chain see it: keyCode, with the
// keypad digits and point as the main keyboard's once keypadAsMain is set.
int KeyAsSeen(const PanelState& s);

}  // namespace kelvaro
