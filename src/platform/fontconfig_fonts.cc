#include "platform/fontconfig_fonts.h"

#include <fontconfig/fontconfig.h>

namespace kelvaro {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

FontconfigFonts::FontconfigFonts() : config_(FcInitLoadConfigAndFonts()) {}

FontconfigFonts::~FontconfigFonts() {
  if (config_ != nullptr) FcConfigDestroy(config_);
}

std::optional<FontFile> FontconfigFonts::Find(std::string_view families, int weight) const {
  if (config_ == nullptr) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return std::nullopt;
  while (!families.empty()) {
    std::size_t comma = families.find(',');
    std::string family(Trimmed(families.substr(0, comma)));
    if (!family.empty()) {
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    families = comma == std::string_view::npos ? std::string_view() : families.substr(comma + 1);
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config_, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config_, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return std::nullopt;

  std::optional<FontFile> found;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
    FontFile font;
    font.path = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) font.index = index;
    FcChar8* family = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr) {
      font.family = reinterpret_cast<const char*>(family);
    }
    int matchedWeight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
    font.bold = matchedWeight >= FC_WEIGHT_DEMIBOLD;
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(match, FC_SPACING, 0, &spacing);
    font.monospaced = spacing == FC_MONO;
    found = std::move(font);
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace kelvaro
