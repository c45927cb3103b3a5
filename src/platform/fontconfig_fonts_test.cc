#include "platform/fontconfig_fonts.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kelvaro {
namespace {

TEST(FontconfigFonts, MisspelledFaceGivesAProportionalSansFace) {
  FontconfigFonts fonts;
  const std::string families = "Ariel," + std::string(kFallbackFamilies);
  auto bold = fonts.Find(families, 700);
  auto regular = fonts.Find(families, 20);
  ASSERT_TRUE(bold.has_value());
  ASSERT_TRUE(regular.has_value());
  EXPECT_TRUE(std::filesystem::exists(bold->path)) << bold->path;
  EXPECT_TRUE(std::filesystem::exists(regular->path)) << regular->path;
  EXPECT_FALSE(bold->monospaced) << bold->family;
  EXPECT_FALSE(regular->monospaced) << regular->family;
  EXPECT_TRUE(bold->bold) << bold->path;
  EXPECT_FALSE(regular->bold) << regular->path;
  EXPECT_EQ(bold->family, regular->family);
}

TEST(FontconfigFonts, AnyListStillFindsAFont) {
  FontconfigFonts fonts;
  EXPECT_TRUE(fonts.Find("", 400).has_value());
  EXPECT_TRUE(fonts.Find(" , No Such Face ,", 400).has_value());
}

}  // namespace
}  // namespace kelvaro
