#include "prices/quote_reader.h"

#include <gtest/gtest.h>

#include "prices/day_files.h"
#include "support/temp_dir.h"

namespace varneth::prices {
namespace {

using testsupport::floatBits;
using testsupport::intBits;
using testsupport::writeDayFile;

std::optional<std::int64_t> cents(std::uint32_t bits, PriceEncoding e) {
    unsigned char b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(bits >> (8 * i) & 0xff);
    return closeCents(b, e);
}

TEST(CloseCents, FloatsRoundOnTheStoredValueHalvesToTheEvenCent) {
    EXPECT_EQ(cents(floatBits(10.125f), PriceEncoding::Float), 1012);
    EXPECT_EQ(cents(floatBits(10.375f), PriceEncoding::Float), 1038);
    // 10.115 is stored a little below the half: it goes down, not to the even cent.
    EXPECT_EQ(cents(floatBits(10.115f), PriceEncoding::Float), 1011);
    EXPECT_EQ(cents(floatBits(-0.125f), PriceEncoding::Float), -12);
    EXPECT_FALSE(cents(floatBits(std::numeric_limits<float>::infinity()), PriceEncoding::Float));
    EXPECT_FALSE(cents(floatBits(std::numeric_limits<float>::quiet_NaN()), PriceEncoding::Float));
    EXPECT_FALSE(cents(floatBits(3e7f), PriceEncoding::Float));  // beyond the 32-bit range of cents
}

TEST(CloseCents, ThousandthsRoundOnTheExactDecimal) {
    EXPECT_EQ(cents(intBits(10125), PriceEncoding::Thousandths), 1012);
    EXPECT_EQ(cents(intBits(10135), PriceEncoding::Thousandths), 1014);
    EXPECT_EQ(cents(intBits(10136), PriceEncoding::Thousandths), 1014);
    EXPECT_EQ(cents(intBits(10134), PriceEncoding::Thousandths), 1013);
    EXPECT_EQ(cents(intBits(-15), PriceEncoding::Thousandths), -2);
    EXPECT_EQ(cents(intBits(-25), PriceEncoding::Thousandths), -2);
    EXPECT_EQ(cents(intBits(~10125), PriceEncoding::ComplementedThousandths), 1012);
    EXPECT_EQ(cents(intBits(~10375), PriceEncoding::ComplementedThousandths), 1038);
    EXPECT_EQ(cents(intBits(1162), PriceEncoding::Hundredths), 1162);
    EXPECT_EQ(cents(intBits(-2147483647 - 1), PriceEncoding::Hundredths), std::nullopt);
}

QuoteSource source(const char* hqcode, const std::string& path, int type = 3) {
    QuoteSource s;
    s.hqcode = hqcode;
    s.path = path;
    s.length = 32;
    s.type = type;
    s.szSubPath = "\\gen\\sz";
    s.shSubPath = "\\gen\\sh";
    s.szHead = "sz";
    s.shHead = "sh";
    s.tail = "day";
    return s;
}

std::vector<std::string> files(const char* hqcode, std::string_view code) {
    std::vector<std::string> out;
    for (const auto& c : QuoteReader(source(hqcode, "/q")).candidates(code)) out.push_back(c.file.string());
    return out;
}
using Files = std::vector<std::string>;

TEST(QuoteReaderFiles, BuiltInPackagesByCode) {
    EXPECT_EQ(files("qlong", "699001"), Files{"/q/shase/day/000001.day"});
    EXPECT_EQ(files("qlong", "399001"), Files{"/q/sznse/day/399001.day"});
    EXPECT_EQ(files("qlong", "000300"), Files{"/q/shase/day/000300.day"});
    EXPECT_EQ(files("qlong", "999999"), Files{"/q/hkse/day/999999.1dy"});
    EXPECT_EQ(files("qlong", "499999"), Files{"/q/sznse/day/499999.day"});
    EXPECT_EQ(files("qlong", "0700"), Files{"/q/hkse/day/0700.1dy"});
    EXPECT_EQ(files("hjin", "0001"), Files{"/q/exe/lineday/sz/sz0001.psd"});
    EXPECT_EQ(files("hjin", "600000"), Files{"/q/exe/lineday/sh/sh600000.psd"});
    EXPECT_EQ(files("slon", "0001"), Files{"/q/data/sz/day/0001.day"});
    EXPECT_EQ(files("slon", "000001"), Files{"/q/data/sh/day/000001.day"});
    EXPECT_EQ(files("eye98", "0001"), Files{"/q/stkdt/za0001.dat"});
    EXPECT_EQ(files("eye98", "600000"), Files{"/q/stkdt/ha600000.dat"});
}

TEST(QuoteReaderFiles, GenericSourceTakesItsOwnLayout) {
    EXPECT_EQ(files("mine", "499999"), Files{"/q/gen/sh/sh499999.day"});
    EXPECT_EQ(files("mine", "499998"), Files{"/q/gen/sz/sz499998.day"});
    EXPECT_EQ(files("mine", "000300"), Files{"/q/gen/sh/sh000300.day"});
    EXPECT_EQ(files("mine", "699001"), Files{"/q/gen/sh/sh000001.day"});
    EXPECT_EQ(files("mine", "0001"), Files{"/q/hkse/day/0001.day"});
}

TEST(QuoteReaderFiles, TdxTriesTheOtherMarketAndKnowsItsScales) {
    const QuoteReader tdx(source("tdx", "/t", 0));
    const auto c = tdx.candidates("113050");
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].file.string(), "/t/vipdoc/sz/lday/sz113050.day");
    EXPECT_EQ(c[1].file.string(), "/t/vipdoc/sh/lday/sh113050.day");
    EXPECT_EQ(c[0].encoding, PriceEncoding::Thousandths);
    EXPECT_EQ(files("tdx", "699001"),
              (Files{"/q/vipdoc/sh/lday/sh000001.day", "/q/vipdoc/sz/lday/sz699001.day"}));
    EXPECT_EQ(files("tdx", "000300")[0], "/q/vipdoc/sh/lday/sh000300.day");
    for (const char* thousandths : {"900901", "510050", "150001", "160001", "180001", "010107", "100213",
                                    "110001", "120001", "131810", "140001"})
        EXPECT_EQ(tdx.candidates(thousandths)[0].encoding, PriceEncoding::Thousandths) << thousandths;
    for (const char* hundredths : {"600000", "000001", "399001", "200002", "300750", "170001"})
        EXPECT_EQ(tdx.candidates(hundredths)[0].encoding, PriceEncoding::Hundredths) << hundredths;
    EXPECT_TRUE(tdx.candidates("60000").empty());
    EXPECT_TRUE(tdx.candidates("6000001").empty());
}

TEST(QuoteReaderFiles, CodesThatCouldLeaveTheDirectoryAreNotFound) {
    for (const char* bad : {"../../x", "..", "a/b", "a\\b", "", "60 000", "代码"}) {
        EXPECT_TRUE(files("mine", bad).empty()) << bad;
        EXPECT_TRUE(files("tdx", bad).empty()) << bad;
    }
}

TEST(QuoteReader, ReadsTheLatestRecordAndTellsMissingFromDamaged) {
    testsupport::TempDir dir;
    const std::string root = dir.path().string();
    writeDayFile(dir / "vipdoc/sh/lday/sh113050.day", intBits(123455));
    writeDayFile(dir / "vipdoc/sz/lday/sz000002.day", intBits(635));
    testsupport::writeBytes(dir / "vipdoc/sz/lday/sz000003.day", std::string(31, '\0'));
    const QuoteReader tdx(source("tdx", root));

    Reading r = tdx.readprice("113050");  // not in sz: found in sh, in thousandths, half to even
    EXPECT_EQ(r.status, Reading::Status::Found);
    EXPECT_EQ(r.price, 123.46f);
    EXPECT_EQ(tdx.readprice("000002").price, 6.35f);
    r = tdx.readprice("000003");  // shorter than one record: damaged, and sh is not tried
    EXPECT_EQ(r.status, Reading::Status::Damaged);
    EXPECT_EQ(r.price, kNotFound);
    EXPECT_EQ(r.file, dir / "vipdoc/sz/lday/sz000003.day");
    QuoteSource tooShort = source("tdx", root);
    tooShort.length = 19;  // a record that ends before its close
    EXPECT_EQ(QuoteReader(tooShort).readprice("000002").status, Reading::Status::Damaged);
    EXPECT_EQ(tdx.readprice("000005").status, Reading::Status::Missing);

    QuoteSource floats = source("mine", root, 0);
    floats.length = 40;
    writeDayFile(dir / "gen/sz/sz000010.day", floatBits(10.125f), 40);
    writeDayFile(dir / "gen/sz/sz000011.day", floatBits(std::numeric_limits<float>::infinity()), 40);
    EXPECT_EQ(QuoteReader(floats).readprice("000010").price, 10.12f);
    EXPECT_EQ(QuoteReader(floats).readprice("000011").status, Reading::Status::Damaged);
    std::filesystem::create_directories(dir / "gen/sz/sz000012.day");
    EXPECT_EQ(QuoteReader(floats).readprice("000012").status, Reading::Status::Damaged);
}

}  // namespace
}  // namespace varneth::prices
