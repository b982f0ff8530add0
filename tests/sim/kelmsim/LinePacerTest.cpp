// Replies held as a USB serial adapter holds them: full packets of 62 bytes at once, a partial
// one when the latency timer has run out since the packet before it.
#include "sim/app/LinePacer.h"

#include <gtest/gtest.h>

using kelm::sim::LinePacer;

TEST(LinePacer, AdapterLatencyHoldsPartialPackets) {
    const struct {
        std::uint32_t Baud;
        std::int64_t LatencyUs;
        std::size_t Bytes;
        std::int64_t FirstDueUs, LastDueUs;
    } cases[] = {
        {0, 0, 8, 0, 0},                  // no adapter: due at once
        {0, 16000, 8, 16000, 16000},      // one partial packet waits for the timer
        {0, 16000, 70, 0, 16000},         // 62 at once, the other 8 later
        {115200, 16000, 8, 16096, 16096}, // the timer from the first byte in (96 us)
        {9600, 1000, 8, 9167, 9167},      // the line slower than the timer
        {115200, 16000, 62, 5921, 5921},  // a full packet goes when its last byte is in
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Baud << " baud, " << c.Bytes << " bytes");
        LinePacer pacer(c.Baud);
        pacer.SetAdapterLatencyUs(c.LatencyUs);
        pacer.Add(std::vector<std::uint8_t>(c.Bytes, 0x55), 0);
        EXPECT_EQ(pacer.NextDueUs(), c.FirstDueUs);
        EXPECT_TRUE(pacer.TakeDue(c.FirstDueUs - 1).empty());
        const std::size_t first = pacer.TakeDue(c.FirstDueUs).size();
        EXPECT_EQ(first, c.FirstDueUs == c.LastDueUs ? c.Bytes : 62);
        EXPECT_EQ(pacer.TakeDue(c.LastDueUs).size(), c.Bytes - first);
    }
}
