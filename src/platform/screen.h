// Drawing text on the panel window.
//
// The model is a text cursor: a position in pixels from the top-left corner of
// the client area; a print draws opaque text at the position and moves the
// position to the end of the drawn text on the same line.
#pragma once

#include <string_view>

namespace kelvaro {

class Screen {
 public:
  virtual ~Screen() = default;

  virtual void SetPosition(int x, int y) = 0;
  // Draws the text with an opaque background and continues to its right.
  virtual void Print(std::string_view text) = 0;
  // Selects the font for later prints: face name as asked for (the platform
  // substitutes what it has), size in points, weight (400 normal, 700 bold).
  virtual void SelectFont(std::string_view face, int points, int weight) = 0;
};

}  // namespace kelvaro
