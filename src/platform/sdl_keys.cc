#include "platform/sdl_keys.h"

namespace kelvaro {
namespace {

// Keys recognised by position: the keypad and the digit row.
int FromPositionFirst(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
    return 97 + (scancode - SDL_SCANCODE_KP_1);
  }
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return 49 + (scancode - SDL_SCANCODE_1);
  switch (scancode) {
    case SDL_SCANCODE_KP_0: return 96;
    case SDL_SCANCODE_KP_PERIOD: return 110;
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_0: return 48;
    default: return 0;
  }
}

// Keys recognised by the symbol the layout gives them.
int FromSymbol(SDL_Keycode sym) {
  if (sym >= 'a' && sym <= 'z') return 'A' + (sym - 'a');
  if (sym >= 'A' && sym <= 'Z') return sym;
  if (sym >= '0' && sym <= '9') return sym;
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return 112 + (sym - SDLK_F1);
  if (sym >= SDLK_F13 && sym <= SDLK_F24) return 124 + (sym - SDLK_F13);
  switch (sym) {
    case SDLK_CANCEL: return 3;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_CLEAR:
    case SDLK_KP_CLEAR: return 12;
    case SDLK_RETURN:
    case SDLK_RETURN2: return 13;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return 16;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return 17;
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_MODE: return 18;  // AltGr: the right Alt key on Windows
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_SELECT: return 41;
    case SDLK_EXECUTE: return 43;
    case SDLK_PRINTSCREEN: return 44;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_HELP: return 47;
    case SDLK_LGUI: return 91;
    case SDLK_RGUI: return 92;
    case SDLK_APPLICATION: return 93;
    case SDLK_SLEEP: return 95;
    case SDLK_NUMLOCKCLEAR: return 144;
    case SDLK_SCROLLLOCK: return 145;
    case SDLK_AC_BACK: return 166;
    case SDLK_AC_FORWARD: return 167;
    case SDLK_AC_REFRESH: return 168;
    case SDLK_AC_STOP: return 169;
    case SDLK_AC_SEARCH: return 170;
    case SDLK_AC_BOOKMARKS: return 171;
    case SDLK_AC_HOME: return 172;
    case SDLK_AUDIOMUTE: return 173;
    case SDLK_VOLUMEDOWN: return 174;
    case SDLK_VOLUMEUP: return 175;
    case SDLK_AUDIONEXT: return 176;
    case SDLK_AUDIOPREV: return 177;
    case SDLK_AUDIOSTOP: return 178;
    case SDLK_AUDIOPLAY: return 179;
    case SDLK_MAIL: return 180;
    case SDLK_MEDIASELECT: return 181;
    case SDLK_APP1: return 182;
    case SDLK_APP2: return 183;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS:
    case SDLK_PLUS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    case SDLK_LESS: return 226;
    case SDLK_CRSEL: return 247;
    case SDLK_EXSEL: return 248;
    default: return 0;
  }
}

// The code of the US key in the same position, for symbols of other scripts.
int FromPositionLast(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  switch (scancode) {
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_BACKSLASH: return 220;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    default: return 0;
  }
}

}  // namespace

int VirtualKeyFromSdl(const SDL_Keysym& key) {
  if (int code = FromPositionFirst(key.scancode)) return code;
  if (int code = FromSymbol(key.sym)) return code;
  return FromPositionLast(key.scancode);
}

}  // namespace kelvaro
