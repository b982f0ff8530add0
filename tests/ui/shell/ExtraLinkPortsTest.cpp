#include "ui/shell/ExtraLinkPorts.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

std::vector<int> Numbers(const std::vector<DiscoveredPort>& ports) {
    std::vector<int> numbers;
    for (const DiscoveredPort& port : ports)
        numbers.push_back(port.ComNumber);
    return numbers;
}

TEST(ExtraLinkPorts, ParsesListSkippingBadAndDuplicateNumbersMergeKeepsDiscoveredRecords) {
    EXPECT_EQ(Numbers(ParseLinkPortList("1")), std::vector<int>({1}));
    EXPECT_EQ(Numbers(ParseLinkPortList(" 7, 3 ,3,x,0,256,-1,255")), std::vector<int>({3, 7, 255}));
    EXPECT_TRUE(ParseLinkPortList("").empty());
    EXPECT_TRUE(ParseLinkPortList(",,").empty());
    for (const DiscoveredPort& port : ParseLinkPortList("4,5"))
        EXPECT_EQ(port.UnitKind, 1);
    const auto merged = MergeLinkPorts({{9, 3}, {2, 1}}, ParseLinkPortList("9,4"));
    EXPECT_EQ(Numbers(merged), std::vector<int>({2, 4, 9}));
    EXPECT_EQ(merged.back().UnitKind, 3); // the discovered record wins
}

} // namespace
} // namespace kelm
