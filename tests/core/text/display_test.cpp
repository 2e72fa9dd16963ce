#include "text/display.h"

#include <gtest/gtest.h>

#include "text/numbers.h"

using namespace varneth::text;

namespace {

TEST(DisplayNumber, A32BitValueReadsAsTheTextItWasTypedAs) {
    EXPECT_EQ(displayNumber(static_cast<double>(42.15f), NumberKind::Price), "42.15");
    EXPECT_EQ(displayNumber(42.1500007629395, NumberKind::Price), "42.15");  // not a float: rounded
    EXPECT_EQ(displayNumber(12.4496000009123, NumberKind::Price), "12.4496");
    EXPECT_EQ(displayNumber(static_cast<double>(111.6f), NumberKind::Money), "111.60");
    EXPECT_EQ(readableValue(0.1), 0.1);  // a double that is no float stays itself
    EXPECT_EQ(readableValue(static_cast<double>(0.1f)), 0.1);
}

TEST(DisplayNumber, MoneyHasTwoDecimalsAndSeparatorsFromTenThousandUp) {
    EXPECT_EQ(displayNumber(9999.994, NumberKind::Money), "9999.99");
    EXPECT_EQ(displayNumber(10000, NumberKind::Money), "10,000.00");
    EXPECT_EQ(displayNumber(-1234567.5, NumberKind::Money), "-1,234,567.50");
    EXPECT_EQ(displayNumber(1e12, NumberKind::Money), "1,000,000,000,000.00");
    EXPECT_EQ(displayNumber(0.125, NumberKind::Money), "0.12");  // an exact half goes to even
    EXPECT_EQ(displayNumber(0.375, NumberKind::Money), "0.38");
    EXPECT_EQ(displayNumber(-0.001, NumberKind::Money), "0.00");
    EXPECT_EQ(displayNumber(1e20, NumberKind::Money), "100,000,000,000,000,000,000.00");
}

TEST(DisplayNumber, PricesRatesPercentagesAndQuantities) {
    EXPECT_EQ(displayNumber(0.9, NumberKind::Price), "0.9");
    EXPECT_EQ(displayNumber(0.00025, NumberKind::Price), "0.0002");  // 2.5 ten-thousandths: even
    EXPECT_EQ(displayNumber(10, NumberKind::Price), "10");
    EXPECT_EQ(displayNumber(6.2, NumberKind::Percent), "6.20");
    EXPECT_EQ(displayNumber(-6.125, NumberKind::Percent), "-6.12");
    EXPECT_EQ(displayNumber(100, NumberKind::Quantity), "100");
    EXPECT_EQ(displayNumber(-16777216, NumberKind::Quantity), "-16777216");
    EXPECT_EQ(displayNumber(0.5, NumberKind::Quantity), "0.5");
    EXPECT_EQ(displayNumber(1e20, NumberKind::General), "100000000000000000000");
}

TEST(DisplayNumber, FieldsAreKnownByName) {
    EXPECT_EQ(kindOfField("sxf"), NumberKind::Money);
    EXPECT_EQ(kindOfField("PRICE1"), NumberKind::Price);
    EXPECT_EQ(kindOfField("Zk_rate"), NumberKind::Price);
    EXPECT_EQ(kindOfField("INC"), NumberKind::Percent);
    // The investor queries' computed columns.
    EXPECT_EQ(kindOfField("zzl"), NumberKind::Percent);
    EXPECT_EQ(kindOfField("a_price"), NumberKind::Price);
    EXPECT_EQ(kindOfField("AMT"), NumberKind::Quantity);
    EXPECT_EQ(kindOfField("E1"), NumberKind::General);
}

TEST(PlainText, FifteenDigitsAndNeverAnExponent) {
    EXPECT_EQ(plainText(1e20), "100000000000000000000");
    EXPECT_EQ(plainText(1.0493000000000001), "1.0493");
    EXPECT_EQ(plainText(0.00001), "0.00001");
    EXPECT_EQ(plainText(999.9999999999999), "1000");  // rounding to 15 digits carries into a new digit
    EXPECT_EQ(plainText(-2316339), "-2316339");
    EXPECT_EQ(plainText(-0.0), "0");
}

}  // namespace
