#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "port/prompter.h"
#include "reference/lookups.h"
#include "storage/engine.h"

namespace varneth::reference {

// The futures margin calculator: a margin quoted as money per lot turned into the ratio of traded
// value that the type table keeps, written into the type row selected in the settings window.
class MarginCalculator {
public:
    static constexpr const char* kCaption = "期货保证金计算";
    static constexpr const char* kTypeLabel = "你选中的期货类型和类型码是";
    static constexpr const char* kNote =
        "如果保证金按交易额的比率确定，则在类型设置窗口直接填写比率就行了。如果是每个交易单位多少钱，"
        "则要在通过此窗口设置";
    static constexpr const char* kHelp =
        "有些期货或margin交易不考虑交易对象市价，而用本系统输入市价是必要的，因为有它可以评价风险。"
        "每手保证金和每手交易单位一样时，市价越大，杠杆倍数--保证金比率的倒数--越大，交易风险越大。";
    static constexpr const char* kZeroInput = "每手包含交易单位数量和市价不能为0!";
    static constexpr const char* kNotANumber = "保证金比率不是数字,请修改!";
    static constexpr const char* kTooSmall = "保证金比率太小,请检查输入的数据!";
    static constexpr const char* kDefaultRatio = "0.05";
    static constexpr long long kDefaultMargin = 1500, kDefaultUnits = 10, kDefaultPrice = 3000;

    // The ratio as its field shows it: the shortest decimal text in plain notation, cut to five
    // characters.
    static std::string ratioText(double ratio);

    MarginCalculator(storage::Engine& engine, Lookups& lookups, port::Prompter& prompter);

    // "你选中的期货类型和类型码是" + Lxm + Lx of the type row; nullopt when the table has no row `lx`.
    std::optional<std::string> typeText(std::string_view lx);
    // "计算": the ratio field's new text, or nullopt after a message (nothing to divide by).
    std::optional<std::string> calculate(long long marginPerLot, long long unitsPerLot, long long price);
    // The field's text as "确定退出" would store it, or nullopt after a message.
    std::optional<double> checkRatio(std::string_view text);
    // "确定退出": `Bzj_rate` of type row `lx` from the field's text; false after a message.
    bool apply(std::string_view lx, std::string_view text);

private:
    storage::Engine& engine_;
    Lookups& lookups_;
    port::Prompter& prompter_;
};

}  // namespace varneth::reference
