#include "reference/margin.h"

#include "reference/settings_fixture.h"

using namespace varneth;
using reference::MarginCalculator;

namespace {

TEST(MarginRatioText, ShortestPlainTextCutToFiveCharacters) {
    EXPECT_EQ(MarginCalculator::ratioText(1500.0 / 10 / 3000), "0.05");
    EXPECT_EQ(MarginCalculator::ratioText(2000.0 / 5 / 1234), "0.324");
    EXPECT_EQ(MarginCalculator::ratioText(0.12), "0.12");
    EXPECT_EQ(MarginCalculator::ratioText(1.0), "1");
    EXPECT_EQ(MarginCalculator::ratioText(123456.0), "12345");
    // Never the exponent form: a tiny ratio cuts to zero instead of to "1e-07".
    EXPECT_EQ(MarginCalculator::ratioText(1e-7), "0.000");
}

class MarginTest : public testsupport::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        row(session->lookups().types(), {{"Lx", "F"}, {"Lxm", "期货"}, {"Bzj_rate", 1.0}});
        calc = std::make_unique<MarginCalculator>(engine, session->lookups(), prompter);
    }
    double stored() {
        EXPECT_TRUE(session->lookups().findType("F"));
        return session->lookups().types().number("Bzj_rate");
    }
    std::unique_ptr<MarginCalculator> calc;
};

TEST_F(MarginTest, CalculatesAndStoresTheFieldsTextReadAsANumber) {
    EXPECT_EQ(calc->typeText("F"), "你选中的期货类型和类型码是期货F");
    EXPECT_EQ(calc->typeText("Q"), std::nullopt);
    EXPECT_EQ(calc->calculate(2000, 5, 1234), "0.324");
    EXPECT_TRUE(calc->apply("F", "0.324"));
    EXPECT_EQ(stored(), 0.324);
    EXPECT_TRUE(prompter.said.empty());
}

TEST_F(MarginTest, ZeroInputsAndBadRatiosAreRefusedWithNothingWritten) {
    EXPECT_EQ(calc->calculate(1500, 0, 3000), std::nullopt);
    EXPECT_EQ(calc->calculate(1500, 10, 0), std::nullopt);
    EXPECT_FALSE(calc->apply("F", "abc"));
    EXPECT_FALSE(calc->apply("F", "0.000"));
    EXPECT_FALSE(calc->apply("F", "-0.05"));
    EXPECT_FALSE(calc->apply("F", MarginCalculator::ratioText(0.0009)));
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{MarginCalculator::kZeroInput, MarginCalculator::kZeroInput,
                                        MarginCalculator::kNotANumber, MarginCalculator::kTooSmall,
                                        MarginCalculator::kTooSmall, MarginCalculator::kTooSmall}));
    EXPECT_EQ(stored(), 1);
    EXPECT_EQ(calc->calculate(-1500, 10, 3000), "-0.05");  // shown; refused only when stored
}

}  // namespace
