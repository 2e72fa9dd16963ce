#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "port/prompter.h"
#include "prices/quote_source.h"
#include "storage/engine.h"

namespace varneth::prices {

// "K线文件格式测试": finds a day-K-line file's record length and price data type by asking the user,
// who knows the file's latest date and close, about the candidates in a fixed order. What it finds
// goes into LENGTH and TYPE of the quote source the cursor shows.
class FormatTest {
public:
    static constexpr int kShortest = 24;
    static constexpr int kLongest = 45;
    static constexpr const char* kNoSource = "不能用!";
    static constexpr const char* kTooShort = "文件太短或不能读,放弃测试";
    static constexpr const char* kNoDate = "没法找到日期字段,放弃测试";
    static constexpr const char* kGiveUp = "抱歉,要么记录长度错了,要么你骗我,要么因为我能耐有限, 只好放弃!";

    FormatTest(storage::Engine& engine, QuoteSources& sources, port::Prompter& prompter);

    // True when both the record length and the price type were found and stored.
    bool run(const std::filesystem::path& file);

    // A float as the pattern "#.##" shows it: at most two decimals, no leading "0" before the point,
    // nothing at all for a value that shows as zero.
    static std::string patternText(float value);
    // The general float-to-text form: up to 15 significant digits.
    static std::string generalText(double value);

private:
    void store(const char* field, const storage::Value& value);

    storage::Engine& engine_;
    QuoteSources& sources_;
    port::Prompter& prompter_;
};

}  // namespace varneth::prices
