// The evening job's day change: what a manager reads first each evening.
#include "app/evening_job.h"

#include <gtest/gtest.h>

using varneth::app::EveningJob;

TEST(EveningJobChange, PerCentRoundedToTwoDecimals) {
    EXPECT_EQ(EveningJob::change(1.062, 1.0662), "0.40");
    EXPECT_EQ(EveningJob::change(1.0662, 1.062), "-0.39");
    EXPECT_EQ(EveningJob::change(0.8, 1), "25.00");
    EXPECT_EQ(EveningJob::change(1, 1.000049), "0.00");
    EXPECT_EQ(EveningJob::change(1, 1.000051), "0.01");
    EXPECT_EQ(EveningJob::change(1, 0.99996), "0.00");  // a fall too small to show is no fall
    EXPECT_EQ(EveningJob::change(1, 0.99994), "-0.01");
    EXPECT_EQ(EveningJob::change(0, 1.05), "-");  // no price the day before
}
