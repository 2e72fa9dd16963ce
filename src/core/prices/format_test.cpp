#include "prices/format_test.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace varneth::prices {

namespace {

std::optional<std::int32_t> int32At(const std::string& bytes, long long offset) {
    if (offset < 0 || offset + 4 > static_cast<long long>(bytes.size())) return std::nullopt;
    std::uint32_t raw = 0;
    for (int i = 3; i >= 0; --i)
        raw = raw << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(offset + i)]);
    return std::bit_cast<std::int32_t>(raw);
}

}  // namespace

FormatTest::FormatTest(storage::Engine& engine, QuoteSources& sources, port::Prompter& prompter)
    : engine_(engine), sources_(sources), prompter_(prompter) {}

std::string FormatTest::patternText(float value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    // Halves away from zero, as the pattern formatter rounds its decimal digits.
    const double hundredths = std::floor(std::fabs(static_cast<double>(value)) * 100.0 + 0.5);
    if (hundredths == 0) return "";
    char digits[400];
    std::snprintf(digits, sizeof digits, "%.0f", hundredths);
    std::string whole(digits);
    while (whole.size() < 3) whole.insert(whole.begin(), '0');
    std::string integer = whole.substr(0, whole.size() - 2);
    std::string decimals = whole.substr(whole.size() - 2);
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    if (integer == "0") integer.clear();
    return (value < 0 ? "-" : "") + integer + (decimals.empty() ? "" : "." + decimals);
}

std::string FormatTest::generalText(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string text(buf);
    // "1.5E-05" is written "1.5E-5" in this form.
    if (const auto e = text.find('E'); e != std::string::npos) {
        std::size_t digits = e + 2;
        while (digits + 1 < text.size() && text[digits] == '0') text.erase(digits, 1);
        if (text[e + 1] == '+') text.erase(e + 1, 1);
    }
    return text;
}

void FormatTest::store(const char* field, const storage::Value& value) {
    storage::Action action(engine_);
    storage::Cursor& row = sources_.table();
    row.setValue(field, value);
    row.post();
}

bool FormatTest::run(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes =
        in ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())
           : std::string();
    const auto size = static_cast<long long>(bytes.size());
    if (sources_.table().isEmpty()) {
        prompter_.message(kNoSource);
        return false;
    }
    if (!in || size < kShortest) {
        prompter_.message(kTooShort);
        return false;
    }
    const int longest = static_cast<int>(std::min<long long>(kLongest, size));
    int length = 0;
    for (int l = kShortest; l <= longest && length == 0; ++l)
        if (prompter_.ask(std::to_string(*int32At(bytes, size - l)) + "这是最近日期吗? 请仔细回答!")) {
            prompter_.message("记录长度是" + std::to_string(l));
            length = l;
        }
    for (int l = kShortest; l <= longest && length == 0; ++l)
        if (prompter_.ask(std::to_string(~*int32At(bytes, size - l)) + "  这是最近日期吗? 请仔细回答!")) {
            prompter_.message("记录长度是" + std::to_string(l) + ";可能是胜龙格式.");
            length = l;
        }
    if (length == 0) {
        prompter_.message(kNoDate);
        return false;
    }
    store("LENGTH", static_cast<double>(length));

    const std::int32_t v = *int32At(bytes, size - length + 16);
    struct Choice {
        std::string question, answer;
        int type;
    };
    const std::vector<Choice> choices = {
        {patternText(std::bit_cast<float>(v)) + "   这是最近价格吗? 请仔细回答!",
         "价格数据类型是0,和汇金相同", 0},
        {generalText(v * 0.001) + "这是最近价格吗?", "价格数据类型是3,和钱龙相同", 3},
        {generalText(v * 0.01) + "这是最近价格吗?", "价格数据类型是2, 和慧眼,建功相同", 2},
        {generalText(~v * 0.001) + "这是最近价格吗?", "价格数据类型是1, 和胜龙相同", 1},
    };
    for (const Choice& c : choices)
        if (prompter_.ask(c.question)) {
            prompter_.message(c.answer);
            store("TYPE", std::to_string(c.type));
            return true;
        }
    prompter_.message(kGiveUp);
    return false;
}

}  // namespace varneth::prices
