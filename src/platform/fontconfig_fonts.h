// Finding font files by family name through fontconfig.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct _FcConfig;

namespace kelvaro {

// Families tried after the one asked for. "Ariel" is no family fontconfig
// knows; left to itself it may substitute a monospaced face, so the metric
// equivalents of Arial come next.
inline constexpr std::string_view kFallbackFamilies = "Arial,Liberation Sans,DejaVu Sans";

struct FontFile {
  std::string path;
  int index = 0;  // face index inside a font collection
  std::string family;
  bool bold = false;
  bool monospaced = false;
};

class FontconfigFonts {
 public:
  // Loads the system's fontconfig configuration and font list.
  FontconfigFonts();
  ~FontconfigFonts();
  FontconfigFonts(const FontconfigFonts&) = delete;
  FontconfigFonts& operator=(const FontconfigFonts&) = delete;

  // The best upright face for a comma-separated list of families, tried in
  // order, in bold for weights of 600 and more, else regular. Nothing when
  // fontconfig has no usable font at all.
  std::optional<FontFile> Find(std::string_view families, int weight) const;

 private:
  _FcConfig* config_ = nullptr;
};

}  // namespace kelvaro
