// SPDX-License-Identifier: MIT
#include "app/frame_clock.h"

#include <gtest/gtest.h>

struct FrameCase {
    Uint32 start;
    Uint32 now;
    bool over;
};

TEST(FrameClock, PeriodIsMeasuredAsElapsedTimeEvenAcrossTheClockWrap) {
    constexpr Uint32 LAST = 0xFFFFFFFFu;
    const FrameCase cases[] = {
        {1000, 1000, false},
        {1000, 1015, false},
        {1000, 1016, true},
        {1000, 5000, true},
        // start + 16 wraps: a naive `now >= start + 16` would end at once
        {LAST - 5, LAST - 5, false},
        {LAST - 5, LAST, false},
        {LAST - 5, 9, false},
        {LAST - 5, 10, true},
        // the clock wraps during the frame: a naive comparison would wait
        // another 49 days
        {LAST - 20, 0, true},
        {LAST, 15, true},
        {LAST, 14, false},
    };
    for (const FrameCase& c : cases) {
        EXPECT_EQ(frame_period_over(c.start, c.now), c.over)
            << "start " << c.start << ", now " << c.now;
    }
}
