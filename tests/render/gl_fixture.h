// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <vector>

struct Rgb {
    int r;
    int g;
    int b;
};

// Piglit-style probe comparison, for EXPECT_PRED_FORMAT3: every channel
// within `tolerance` of the expected value.
::testing::AssertionResult colour_near(const char* got_text, const char* want_text,
                                       const char* tolerance_text, const Rgb& got, const Rgb& want,
                                       int tolerance);

// The flight's window and GL state as its start-up makes them (start_flight),
// for each test, checked for GL errors at its end; and reads of the back
// buffer.
class GlWindow : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The whole back buffer, bottom row first.
    std::vector<Rgb> read_back() const;
    // One pixel, x from the left and y from the bottom.
    Rgb probe(int x, int y) const;

  private:
    bool open_ = false;
};
