#include "platform/sdl_keys.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

int Key(SDL_Scancode scancode, SDL_Keycode sym) {
  SDL_Keysym key{};
  key.scancode = scancode;
  key.sym = sym;
  return VirtualKeyFromSdl(key);
}

// A key as a US keyboard reports it, for keys whose symbol is not a
// character: the symbol SDL derives from the scancode.
int UsKey(SDL_Scancode scancode) { return Key(scancode, SDL_SCANCODE_TO_KEYCODE(scancode)); }

TEST(SdlKeys, KeysTheKeyRulesTest) {
  EXPECT_EQ(Key(SDL_SCANCODE_RETURN, SDLK_RETURN), 13);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 13);
  EXPECT_EQ(Key(SDL_SCANCODE_SPACE, SDLK_SPACE), 32);
  EXPECT_EQ(Key(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP), 33);
  EXPECT_EQ(Key(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN), 34);
  EXPECT_EQ(Key(SDL_SCANCODE_LEFT, SDLK_LEFT), 37);
  EXPECT_EQ(Key(SDL_SCANCODE_UP, SDLK_UP), 38);
  EXPECT_EQ(Key(SDL_SCANCODE_RIGHT, SDLK_RIGHT), 39);
  EXPECT_EQ(Key(SDL_SCANCODE_DOWN, SDLK_DOWN), 40);
  EXPECT_EQ(Key(SDL_SCANCODE_0, SDLK_0), 48);
  for (int d = 1; d <= 9; ++d) {
    EXPECT_EQ(Key(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + d - 1), SDLK_1 + d - 1), 48 + d) << d;
  }
  for (int l = 0; l < 26; ++l) {
    EXPECT_EQ(Key(static_cast<SDL_Scancode>(SDL_SCANCODE_A + l), SDLK_a + l), 65 + l) << char('a' + l);
  }
  for (int f = 0; f < 12; ++f) {
    EXPECT_EQ(Key(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + f), SDLK_F1 + f), 112 + f) << "F" << f + 1;
  }
  EXPECT_EQ(Key(SDL_SCANCODE_EQUALS, SDLK_EQUALS), 187);
  EXPECT_EQ(Key(SDL_SCANCODE_MINUS, SDLK_MINUS), 189);
  EXPECT_EQ(Key(SDL_SCANCODE_PERIOD, SDLK_PERIOD), 190);
  EXPECT_EQ(UsKey(SDL_SCANCODE_LSHIFT), 16);
  EXPECT_EQ(UsKey(SDL_SCANCODE_RSHIFT), 16);
  EXPECT_EQ(UsKey(SDL_SCANCODE_LCTRL), 17);
  EXPECT_EQ(UsKey(SDL_SCANCODE_RCTRL), 17);
  EXPECT_EQ(UsKey(SDL_SCANCODE_INSERT), 45);
  EXPECT_EQ(UsKey(SDL_SCANCODE_LGUI), 91);
}

TEST(SdlKeys, KeypadByPositionWhateverTheNumLockState) {
  // NumLock on: keypad symbols; off: the cursor symbols X gives those keys.
  const SDL_Keycode withoutNumLock[] = {SDLK_INSERT, SDLK_END,  SDLK_DOWN, SDLK_PAGEDOWN, SDLK_LEFT,
                                        SDLK_CLEAR,  SDLK_RIGHT, SDLK_HOME, SDLK_UP,       SDLK_PAGEUP};
  const SDL_Scancode digits[] = {SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_3,
                                 SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7,
                                 SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9};
  for (int d = 0; d <= 9; ++d) {
    EXPECT_EQ(UsKey(digits[d]), 96 + d) << d;
    EXPECT_EQ(Key(digits[d], withoutNumLock[d]), 96 + d) << d;
  }
  EXPECT_EQ(UsKey(SDL_SCANCODE_KP_PERIOD), 110);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_PERIOD, SDLK_DELETE), 110);
  EXPECT_EQ(UsKey(SDL_SCANCODE_KP_MULTIPLY), 106);
  EXPECT_EQ(UsKey(SDL_SCANCODE_KP_PLUS), 107);
  EXPECT_EQ(UsKey(SDL_SCANCODE_KP_MINUS), 109);
  EXPECT_EQ(UsKey(SDL_SCANCODE_KP_DIVIDE), 111);
  EXPECT_EQ(UsKey(SDL_SCANCODE_NUMLOCKCLEAR), 144);
}

TEST(SdlKeys, OtherKeysGetTheirWindowsCodes) {
  EXPECT_EQ(Key(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), 8);
  EXPECT_EQ(Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 27);
  EXPECT_EQ(UsKey(SDL_SCANCODE_RALT), 18);
  EXPECT_EQ(UsKey(SDL_SCANCODE_RGUI), 92);
  EXPECT_EQ(UsKey(SDL_SCANCODE_F13), 124);
  EXPECT_EQ(Key(SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON), 186);
  EXPECT_EQ(Key(SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE), 222);
  EXPECT_EQ(Key(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN), 0);
  EXPECT_EQ(UsKey(SDL_SCANCODE_BRIGHTNESSUP), 0);
}

TEST(SdlKeys, OtherLayouts) {
  // German: "+" sits where the US "]" is, "z" where the US "y" is.
  EXPECT_EQ(Key(SDL_SCANCODE_RIGHTBRACKET, SDLK_PLUS), 187);
  EXPECT_EQ(Key(SDL_SCANCODE_Y, SDLK_z), 90);
  EXPECT_EQ(Key(SDL_SCANCODE_SLASH, SDLK_MINUS), 189);
  // French: the digit row gives symbols unshifted, yet digit codes.
  EXPECT_EQ(Key(SDL_SCANCODE_1, SDLK_AMPERSAND), 49);
  EXPECT_EQ(Key(SDL_SCANCODE_0, 0xE0), 48);
  // Russian: Cyrillic symbols fall back to the US key in that place.
  EXPECT_EQ(Key(SDL_SCANCODE_A, 0x444), 65);
  EXPECT_EQ(Key(SDL_SCANCODE_PERIOD, 0x44E), 190);
}

}  // namespace
}  // namespace kelvaro
