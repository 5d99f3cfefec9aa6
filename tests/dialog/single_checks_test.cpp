// The checks of the single upgrade, the port conversion behind every
// command, and the list order.
#include "dialog/device_rows.h"
#include "dialog/single_checks.h"
#include "dialog/ui_texts.h"

#include <gtest/gtest.h>

namespace {

// The first failing check's notice for an input that differs from a good
// one only where the caller says.
const char* Check(SingleInput input) {
    int32_t port = 0;
    return CheckSingleInput(input, &port);
}

SingleInput Good() {
    return {"192.168.1.10", "80", "admin", "admin"};
}

SingleInput WithAddress(const std::string& address) {
    SingleInput input = Good();
    input.address = address;
    return input;
}

SingleInput WithUser(const std::string& user) {
    SingleInput input = Good();
    input.user = user;
    return input;
}

} // namespace

TEST(PortText, ConvertsLikeTheClassicConverter) {
    EXPECT_EQ(PortNumber("80"), 80);
    EXPECT_EQ(PortNumber("80abc"), 80);
    EXPECT_EQ(PortNumber("  +443"), 443);
    EXPECT_EQ(PortNumber("-5"), -5);
    EXPECT_EQ(PortNumber("abc"), 0);
    EXPECT_EQ(PortNumber(""), 0);
    EXPECT_EQ(PortNumber("65536"), 65536);
    // Far beyond the 32-bit range: clamped, never wrapped into a "valid" port.
    EXPECT_EQ(PortNumber("99999999999999999999"), 2147483647);
    EXPECT_EQ(PortNumber("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(PortNumber("4294967376"), 2147483647); // 2^32 + 80 must not become 80
}

TEST(TypedAddress, AcceptsFourOctetsButNotBroadcast) {
    EXPECT_EQ(Check(WithAddress("192.168.1.10")), nullptr);
    EXPECT_EQ(Check(WithAddress("0.0.0.1")), nullptr);
    EXPECT_EQ(Check(WithAddress("255.255.255.254")), nullptr);
    EXPECT_EQ(Check(WithAddress("255.255.255.255")), ui_text::kBadAddress);
    EXPECT_EQ(Check(WithAddress("256.1.1.1")), ui_text::kBadAddress);
    EXPECT_EQ(Check(WithAddress("1.2.3")), ui_text::kBadAddress);
    EXPECT_EQ(Check(WithAddress("1.2.3.4.5")), ui_text::kBadAddress);
    EXPECT_EQ(Check(WithAddress("1..3.4")), ui_text::kBadAddress);
    EXPECT_EQ(Check(WithAddress("1.2.3.x")), ui_text::kBadAddress);
}

TEST(RequestText, MeasuresBytesNotCharacters) {
    EXPECT_EQ(Check(WithUser(std::string(31, 'a'))), nullptr);
    EXPECT_EQ(Check(WithUser(std::string(32, 'a'))), ui_text::kUserTooLong);
    // Eleven ideographs are 33 bytes: too long although only 11 characters.
    EXPECT_EQ(Check(WithUser("管理员管理员管理员管理")), ui_text::kUserTooLong);
    EXPECT_EQ(Check(WithUser("管理员")), nullptr);
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
