// The one reader of address texts: what it takes, and the fault it names for
// what it refuses.
#include "netaddr/dotted_ipv4.h"

#include <gtest/gtest.h>

TEST(DottedIpv4, TakesStrictAddressesAndNamesEachFault) {
    struct Good {
        const char* text;
        uint32_t value;
        uint16_t port;
    };
    for (const Good& good : {Good{"0.0.0.0", 0, 0}, Good{"255.255.255.255", 0xffffffff, 0},
                             Good{"10.0.200.9", 0x0a00c809, 0}, Good{"127.0.0.2:1", 0x7f000002, 1},
                             Good{"192.168.1.100:65535", 0xc0a80164, 65535}}) {
        std::string error;
        const auto parsed = netaddr::ParseIpv4WithPort(good.text, &error);
        ASSERT_TRUE(parsed) << good.text << ": " << error;
        EXPECT_EQ(parsed->value, good.value) << good.text;
        EXPECT_EQ(parsed->port, good.port) << good.text;
        const std::string text = good.text;
        EXPECT_EQ(netaddr::FormatIpv4(parsed->value), text.substr(0, text.find(':')));
    }

    const std::pair<const char*, const char*> bad[] = {
        {"", "the address is empty"},
        {"010.0.0.1", "field 1 has a leading zero"},
        {"1.2.3.00", "field 4 has a leading zero"},
        {"1..3.4", "field 2 is empty"},
        {"1.2.3.", "field 4 is empty"},
        {"1.2.3.4:", "the port after ':' is empty"},
        {"1.2.256.4", "field 3 is over 255"},
        {"99999999999.1.1.1", "field 1 is over 255"},
        {"1.2.3", "fewer than four fields"},
        {"1.2.3:80", "fewer than four fields"},
        {"1.2.3.4.5", "trailing text after the fourth field"},
        {"1.2.3.4 ", "trailing text after the fourth field"},
        {" 1.2.3.4", "field 1 is not a decimal number"},
        {"+1.2.3.4", "field 1 is not a decimal number"},
        {"1.-2.3.4", "field 2 is not a decimal number"},
        {"0x1.2.3.4", "field 1 is not a decimal number"},
        {"1.2.3.4:80x", "the port is not a decimal number"},
        {"1.2.3.4:80:81", "the port is not a decimal number"},
        {"1.2.3.4:-1", "the port is not a decimal number"},
        {"1.2.3.4:080", "the port has a leading zero"},
        {"1.2.3.4:0", "the port is out of range (1 to 65535)"},
        {"1.2.3.4:65536", "the port is out of range (1 to 65535)"},
        {"1.2.3.4:99999999999", "the port is out of range (1 to 65535)"},
    };
    for (const auto& [text, message] : bad) {
        std::string error;
        EXPECT_FALSE(netaddr::ParseIpv4WithPort(text, &error)) << text;
        EXPECT_EQ(error, message) << text;
    }
    // Without a port allowed, a port is text that does not belong.
    std::string error;
    EXPECT_FALSE(netaddr::ParseIpv4("1.2.3.4:80", &error));
    EXPECT_EQ(error, "trailing text after the fourth field");
    EXPECT_FALSE(netaddr::IsDottedIpv4(nullptr));
}
