// Translation of SDL key events to the Windows virtual-key codes the key
// rules test.
#pragma once

#include <SDL_keyboard.h>

namespace kelvaro {

// The Windows virtual-key code of a key, or 0 when the key has none.
//
// Keypad keys (digits, ".", "*", "+", "-", "/", Enter) are recognised by their
// scancode, so they give the keypad codes 96..111 whatever the NumLock state.
// The digit row gives 48..57 by scancode as well (on AZERTY the unshifted
// characters are symbols, yet Windows still reports the digit codes). Letters
// and punctuation follow the keyboard layout through the key symbol; a key
// whose symbol is not a Latin letter or known punctuation (a Cyrillic layout,
// say) falls back to the code of the US key in the same position.
// Modifiers are keys of their own: Shift 16, Ctrl 17, Alt 18, left and right
// Windows keys 91 and 92.
int VirtualKeyFromSdl(const SDL_Keysym& key);

}  // namespace kelvaro
