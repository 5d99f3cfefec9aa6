// Ranges typed for a scan: what each form covers, and one named fault for
// each way a range is wrong.
#include "netaddr/address_range.h"
#include "netaddr/dotted_ipv4.h"

#include <gtest/gtest.h>

TEST(AddressRange, CoversWhatWasTypedAndNamesEachFault) {
    struct Good {
        const char* text;
        const char* first;
        const char* last;
        size_t count;
    };
    for (const Good& good : {Good{"10.0.0.250-10.0.1.3", "10.0.0.250", "10.0.1.3", 10},
                             Good{"127.0.0.9-127.0.0.9", "127.0.0.9", "127.0.0.9", 1},
                             Good{"10.1.2.0/24", "10.1.2.1", "10.1.2.254", 254},
                             Good{"10.1.0.0/20", "10.1.0.1", "10.1.15.254", 4094},
                             Good{"10.1.2.6/31", "10.1.2.6", "10.1.2.7", 2},
                             Good{"10.1.2.7/32", "10.1.2.7", "10.1.2.7", 1},
                             Good{"10.0.0.0-10.0.15.255", "10.0.0.0", "10.0.15.255", 4096}}) {
        std::string error;
        const auto range = netaddr::ParseAddressRange(good.text, &error);
        ASSERT_TRUE(range) << good.text << ": " << error;
        ASSERT_EQ(range->size(), good.count) << good.text;
        EXPECT_EQ(netaddr::FormatIpv4(range->front()), good.first) << good.text;
        EXPECT_EQ(netaddr::FormatIpv4(range->back()), good.last) << good.text;
        EXPECT_EQ(range->back() - range->front() + 1, good.count) << good.text; // no gaps
    }

    const std::pair<const char*, const char*> bad[] = {
        {"", "the range is empty"},
        {"10.0.0.1", "a range is FIRST-LAST or ADDRESS/PREFIX"},
        {"10.0.0.9-10.0.0.1", "the range is reversed: 10.0.0.9 comes after 10.0.0.1"},
        {"10.0.0.0-10.0.16.0", "the range holds 4097 addresses; a scan covers at most 4096"},
        {"10.0.0.0/19", "the block holds 8190 addresses; a scan covers at most 4096"},
        {"10.0.0.1-10.0.0", "the last address is not valid: fewer than four fields"},
        {"10.0.0.01-10.0.0.9", "the first address is not valid: field 4 has a leading zero"},
        {"10.0.0.1 - 10.0.0.9", "the first address is not valid: trailing text after the "
                                "fourth field"},
        {"10.0.0.1-10.0.0.9-10.0.0.12", "the last address is not valid: trailing text after the "
                                        "fourth field"},
        {"10.0.0.0/33", "the prefix length after '/' must be a number from 0 to 32"},
        {"10.0.0.0/", "the prefix length after '/' must be a number from 0 to 32"},
        {"10.0.0.0/024", "the prefix length after '/' must be a number from 0 to 32"},
        {"10.0.0.5/24", "the block's address has host bits set (the block of /24 starts at "
                        "10.0.0.0)"},
        {"10.0.0.0/24-10.0.1.0", "a range is either FIRST-LAST or ADDRESS/PREFIX, not both"},
    };
    for (const auto& [text, fault] : bad) {
        std::string error;
        EXPECT_FALSE(netaddr::ParseAddressRange(text, &error)) << text;
        EXPECT_EQ(error, fault) << text;
    }
}
