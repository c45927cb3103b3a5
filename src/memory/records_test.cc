#include "memory/records.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvaro {
namespace {

TEST(Records, FieldsOfBandAndChannelRecords) {
  const BandRecord band = ParseBandRecord("52A145600000B-000006000121");
  EXPECT_EQ(band.flag, '5');
  EXPECT_EQ(band.mode, '2');
  EXPECT_EQ(band.vfoA, "A145600000");
  EXPECT_EQ(band.VfoADigits(), "145600000");
  EXPECT_EQ(band.ShiftSign(), '-');
  EXPECT_EQ(band.ShiftKhz(), "0600");
  EXPECT_EQ(band.tone, "012");
  EXPECT_EQ(band.preamp, '1');

  const ChannelRecord channel = ParseChannelRecord("1713A432100000B4321000007542");
  EXPECT_EQ(channel.flag, '1');
  EXPECT_EQ(channel.mode, '7');
  EXPECT_EQ(channel.band, "13");
  EXPECT_EQ(channel.vfoB, "B432100000");
  EXPECT_EQ(channel.VfoBDigits(), "432100000");
  EXPECT_EQ(channel.tone, "754");
  EXPECT_EQ(channel.preamp, '2');
  EXPECT_EQ(FormatChannelRecord(ChannelOfBandRecord(band, "12")), "5212A145600000B-000006000121");
}

// Formatting a parsed text gives back its first 26 (28) characters, whatever
// it held: a record is rewritten only in the fields an operation changes.
TEST(Records, FormattingAParsedTextGivesItBack) {
  for (const std::string text : {"02A014250000B0141230009991", "5512A145600000B-000006000120", "9", "",
                                 "1", "02A0142", "02A014250000B0141230009991 and more", "xyzxyzxyzxyzxyzxyz"}) {
    EXPECT_EQ(FormatBandRecord(ParseBandRecord(text)), text.substr(0, 26)) << text;
    EXPECT_EQ(FormatChannelRecord(ParseChannelRecord(text)), text.substr(0, 28)) << text;
  }
}

TEST(Records, VfoFields) {
  EXPECT_TRUE(IsVfoField("A014250000", 'A'));
  EXPECT_TRUE(IsVfoField("B014250000", 'B'));
  for (const char* field : {"B014250000", "A01425000", "A0142500000", "A01425000x", ""}) {
    EXPECT_FALSE(IsVfoField(field, 'A')) << field;
  }
}

}  // namespace
}  // namespace kelvaro
