// Conversions behind the upgrade commands and the list order.
#include "input_checks.h"
#include "tolvane_dlg.h"

#include <gtest/gtest.h>

TEST(PortText, ConvertsLikeTheClassicConverter) {
    EXPECT_EQ(AtoiLike("80"), 80);
    EXPECT_EQ(AtoiLike("80abc"), 80);
    EXPECT_EQ(AtoiLike("  +443"), 443);
    EXPECT_EQ(AtoiLike("-5"), -5);
    EXPECT_EQ(AtoiLike("abc"), 0);
    EXPECT_EQ(AtoiLike(""), 0);
    EXPECT_EQ(AtoiLike("65536"), 65536);
    // Far beyond the 32-bit range: clamped, never wrapped into a "valid" port.
    EXPECT_EQ(AtoiLike("99999999999999999999"), 2147483647);
    EXPECT_EQ(AtoiLike("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(AtoiLike("4294967376"), 2147483647); // 2^32 + 80 must not become 80
}

TEST(TypedAddress, AcceptsFourOctetsButNotBroadcast) {
    EXPECT_TRUE(IsUsableAddress("192.168.1.10"));
    EXPECT_TRUE(IsUsableAddress("0.0.0.1"));
    EXPECT_TRUE(IsUsableAddress("255.255.255.254"));
    EXPECT_FALSE(IsUsableAddress("255.255.255.255"));
    EXPECT_FALSE(IsUsableAddress("256.1.1.1"));
    EXPECT_FALSE(IsUsableAddress("1.2.3"));
    EXPECT_FALSE(IsUsableAddress("1.2.3.4.5"));
    EXPECT_FALSE(IsUsableAddress("1..3.4"));
    EXPECT_FALSE(IsUsableAddress("1.2.3.x"));
}

TEST(RequestText, MeasuresBytesNotCharacters) {
    EXPECT_TRUE(FitsTextField(QString(31, QLatin1Char('a'))));
    EXPECT_FALSE(FitsTextField(QString(32, QLatin1Char('a'))));
    // Eleven ideographs are 33 bytes: too long although only 11 characters.
    EXPECT_FALSE(FitsTextField(QString::fromUtf8("管理员管理员管理员管理")));
    EXPECT_TRUE(FitsTextField(QString::fromUtf8("管理员")));
}

TEST(AddressOrder, ComparesFourNumericPartsAndNothingElse) {
    EXPECT_TRUE(IsAddressLess("10.0.0.9", "10.0.0.10"));
    EXPECT_FALSE(IsAddressLess("10.0.0.10", "10.0.0.9"));
    EXPECT_TRUE(IsAddressLess("9.255.255.255", "10.0.0.0"));
    EXPECT_FALSE(IsAddressLess("10.0.0.1", "10.0.0.1"));
    // Not four parts: never less, and nothing is less than it.
    EXPECT_FALSE(IsAddressLess("10.0.0", "10.0.0.1"));
    EXPECT_FALSE(IsAddressLess("10.0.0.1", "10.0.0"));
    EXPECT_FALSE(IsAddressLess("1.2.3.4.5", "9.9.9.9"));
    EXPECT_FALSE(IsAddressLess("", "1.1.1.1"));
    // Empty parts and parts without digits count as 0; trailing text is ignored.
    EXPECT_TRUE(IsAddressLess("10.0..1", "10.0.1.1"));
    EXPECT_TRUE(IsAddressLess("10.a.0.1", "10.1.0.0"));
    EXPECT_TRUE(IsAddressLess("10.0.0.2x", "10.0.0.3"));
    // Huge parts do not overflow into a wrong order.
    EXPECT_TRUE(IsAddressLess("10.0.0.4294967296", "10.0.0.99999999999999999999"));
}
