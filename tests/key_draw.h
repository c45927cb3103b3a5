// Random keys the way an operator's fingers might find them: mostly the keys
// the rules name, now and then any code, and short sequences that open an
// entry or a mode and go on in it. Drawn from a seeded generator, so a seed
// gives the same keys everywhere (the key fuzz test, the key trace).
//
// Uses only the key codes of keys/key_rules.h, so that the key trace built
// from an earlier tree draws the same keys.
#pragma once

#include <climits>
#include <initializer_list>
#include <iterator>
#include <random>
#include <vector>

#include "keys/key_rules.h"

namespace kelvaro::testing {

// Keys the rules name, drawn more often than the rest.
inline const std::vector<int>& RuleKeys() {
  static const std::vector<int> keys = [] {
    std::vector<int> k;
    for (int c = 'A'; c <= 'Z'; ++c) {
      if (c != 'Q') k.push_back(c);  // Q ends the program: drawn less often
    }
    for (int c = '0'; c <= '9'; ++c) k.push_back(c);
    for (int c = vk::kKeypad0; c <= vk::kKeypad9; ++c) k.push_back(c);
    for (int c = vk::kF1; c <= vk::kF12; ++c) k.push_back(c);
    for (int c : {vk::kEnter, vk::kSpace, vk::kPageUp, vk::kPageDown, vk::kLeft, vk::kUp, vk::kRight,
                  vk::kDown, vk::kPlus, vk::kMinus, vk::kPoint, vk::kKeypadPoint, vk::kShift, vk::kInsert}) {
      k.push_back(c);
    }
    return k;
  }();
  return keys;
}

inline int DrawKey(std::mt19937_64& rng) {
  static const int kOdd[] = {-1, -48, -1000, 256, 300, 1000, 65535, INT_MIN, INT_MAX};
  const int kind = static_cast<int>(rng() % 400);
  if (kind < 240) return RuleKeys()[rng() % RuleKeys().size()];
  if (kind < 370) return static_cast<int>(rng() % 256);
  if (kind < 371) return 'Q';
  return kOdd[rng() % std::size(kOdd)];
}

// A short sequence that opens an entry or a mode and goes on in it, with
// random digits, so that the random keys also reach the states deep inside.
inline std::vector<int> DrawSequence(std::mt19937_64& rng) {
  std::vector<int> k;
  auto digits = [&](int least, int most) {
    for (int n = least + static_cast<int>(rng() % (most - least + 1)); n > 0; --n) {
      k.push_back('0' + static_cast<int>(rng() % 10));
    }
  };
  auto any = [&](std::initializer_list<int> keys) { k.push_back(keys.begin()[rng() % keys.size()]); };
  int pick = static_cast<int>(rng() % 16);
  if (pick == 4 && rng() % 4 != 0) pick = 5;  // a store writes the bank file: less often
  switch (pick) {
    case 0:  // frequency entry
      k.push_back('E');
      digits(0, 4);
      if (rng() % 2) any({vk::kPoint, vk::kKeypadPoint});
      digits(0, 7);
      k.push_back(vk::kEnter);
      break;
    case 1:  // tone entry
      k.push_back('I');
      digits(0, 4);
      k.push_back(vk::kEnter);
      break;
    case 2:  // menu entry
      k.push_back('N');
      digits(5, 7);
      k.push_back(vk::kEnter);
      digits(0, 4);
      k.push_back(vk::kEnter);
      break;
    case 3:  // repeater offset
      k.push_back('X');
      k.push_back('O');
      if (rng() % 4) any({vk::kPlus, vk::kMinus});
      digits(0, 5);
      k.push_back(vk::kEnter);
      break;
    case 4:  // store a channel
      k.push_back('C');
      if (rng() % 2) k.push_back('B');
      digits(1, 2);
      break;
    case 5:  // recall a channel and step on
      k.push_back('G');
      if (rng() % 2) k.push_back('B');
      digits(1, 2);
      for (int n = static_cast<int>(rng() % 4); n > 0; --n) any({'U', 'S', 'F'});
      break;
    case 6:  // band prompt
      k.push_back('B');
      any({'0', '4', '9', 'S', 'T', 'U', 'X', vk::kUp, vk::kDown, vk::kKeypad0 + 6});
      break;
    case 7:  // the X prefix
      k.push_back('X');
      for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) any({'C', 'S', 'A', 'M', 'F', 'O', 'X', 'J'});
      break;
    case 8:  // tune, a key meanwhile, tune again
      k.push_back('T');
      any({'S', 'M', ' ', 'T'});
      k.push_back('T');
      break;
    case 9:  // keyer speed
      k.push_back('K');
      for (int n = static_cast<int>(rng() % 3); n > 0; --n) any({vk::kUp, vk::kDown});
      any({'K', 'F', 'M'});
      break;
    case 10:  // mic gain watch
      k.push_back(vk::kF11);
      for (int n = static_cast<int>(rng() % 3); n > 0; --n) any({vk::kUp, vk::kDown});
      any({vk::kF11, 'M', vk::kUp});
      break;
    default:  // transmit with a meter reading, split, the arrows of an entry
      any({' ', 'V', 'W', 'P', 'R', 'A', 'L'});
      for (int n = static_cast<int>(rng() % 4); n > 0; --n) {
        any({vk::kUp, vk::kDown, vk::kLeft, vk::kRight, 'S', vk::kPageUp, vk::kPageDown});
      }
      break;
  }
  return k;
}

}  // namespace kelvaro::testing
