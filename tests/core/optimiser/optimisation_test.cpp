#include "optimiser/optimisation.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

using namespace varneth;
using optimiser::Optimisation;
using optimiser::Parameters;
using Texts = std::vector<std::string>;

namespace {

class OptimisationTest : public ::testing::Test {
protected:
    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testsupport::TempDir dir;
    storage::Engine engine;  // unbound: these cases never reach the book
    port::ScriptedPrompter prompter;
    Optimisation opt{engine, prompter, dir.path()};
};

}  // namespace

TEST_F(OptimisationTest, ChangingR12OrR23RebuildsTheR13ListAndTakesItsFirstEntry) {
    EXPECT_EQ(opt.r13List(), (std::vector<double>{0, 0.5, 1}));
    EXPECT_TRUE(opt.setR13(1));
    opt.setR12(1);
    EXPECT_EQ(opt.r13List(), std::vector<double>{0.5});
    EXPECT_EQ(opt.parameters().r.r13, 0.5);
    opt.setR23(-1);
    EXPECT_EQ(opt.parameters().r.r13, -1);
    EXPECT_FALSE(opt.setR13(0));
    EXPECT_EQ(prompter.messages, Texts{"证券1和证券3的相关系数只能是-1"});
    EXPECT_EQ(opt.parameters().r.r13, -1);
}

TEST_F(OptimisationTest, ADeviationNotBelowItsExpectationIsRefusedAndTheLastOneStays) {
    EXPECT_FALSE(opt.setDeviation(1, 115));
    EXPECT_EQ(opt.parameters().d[1], 20);
    EXPECT_TRUE(opt.setDeviation(1, 114));
    EXPECT_EQ(prompter.messages, Texts{optimiser::kDeviationTooLarge});
    // An expectation lowered under its deviation is caught before the optimiser runs.
    opt.setExpectation(2, 50);
    EXPECT_FALSE(opt.optimise());
    EXPECT_EQ(prompter.messages.back(), optimiser::kDeviationTooLarge);
}

TEST_F(OptimisationTest, AMarginOfZeroOrANegativeCostStopsTheOptimiserAndTheSave) {
    opt.setMargin(2, "0");
    EXPECT_FALSE(opt.optimise());
    EXPECT_FALSE(opt.savecs(dir / "x.prd"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.prd"));
    opt.setMargin(2, "100");
    opt.setCost(3, "-0.5");
    EXPECT_FALSE(opt.optimise());
    EXPECT_EQ(prompter.messages, (Texts{optimiser::kBadMargin, optimiser::kBadMargin, optimiser::kBadCost}));
}

TEST_F(OptimisationTest, SavedParametersLoadBackAndARefusedFileChangesNothing) {
    opt.setR12(0);
    opt.setR23(0);
    ASSERT_TRUE(opt.setR13(0.5));
    opt.setMargin(1, "3.5");
    opt.setOverdraftRatio("50");
    ASSERT_TRUE(opt.savecs(dir / "mine.prd"));
    const Parameters saved = opt.parameters();

    Optimisation other(engine, prompter, dir.path());
    ASSERT_TRUE(other.loadcs(dir / "mine.prd"));
    EXPECT_EQ(other.parameters(), saved);
    EXPECT_EQ(other.r13List(), (std::vector<double>{-1, -0.5, 0, 0.5, 1}));

    write("bad.prd", read("mine.prd").substr(0, 20));
    EXPECT_FALSE(other.loadcs(dir / "bad.prd"));
    EXPECT_EQ(prompter.messages, Texts{optimiser::kBadParameterFile});
    EXPECT_EQ(other.parameters(), saved);
}
