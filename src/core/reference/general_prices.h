#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/prompter.h"
#include "storage/cursor.h"

namespace varneth::reference {

// The general price table `allstocks.DBF`: every code of the market with its name and last price,
// as the code lookup window shows it. While the window shows a code restriction, the lookups see
// only the restricted rows.
class GeneralPrices {
public:
    static constexpr const char* kHelp =
        "股票按代码排序；缩小股票显示范围可用下拉框;按确定按钮退出,股票和价格便填在上一窗口；"
        "价格更新和代码表补充可用主菜单中行情数据更新功能,代码表也可以手工补充,--用插入一行按钮插入一空行"
        "再填写代码名称及价格。";
    static constexpr const char* kInitialRestriction = "*";
    // The choices of the "代码限制：" drop-down, in order.
    static const std::vector<std::string>& restrictions();

    explicit GeneralPrices(storage::Database& curr);

    storage::Cursor& table() { return table_; }

    // "code='" + text + "'": a trailing "*" matches any remainder, "*" alone every row, other text
    // that code exactly; the text is never read as filter syntax.
    void setRestriction(std::string_view text);
    void clearRestriction();  // the window closed
    const std::string& restriction() const { return restriction_; }

    // The row's name, or the code itself when the (restricted) table has no row for it.
    std::string code_to_name(std::string_view code);
    // The row's price, or 0.
    float code_to_price(std::string_view code);

    // What "确定退出" hands to the window that opened the lookup.
    struct Pick {
        std::string code, name, price;  // price as decimal text
    };
    std::optional<Pick> currentPick() const;

    // "删一行": the current row, once the user agrees. True when it went.
    bool deleteRow(port::Prompter& prompter);
    void insertRow();  // "插一行": a new row after the last, for the user to fill in

private:
    bool find(std::string_view code);

    storage::Cursor table_;
    std::vector<int> codeField_;
    std::string restriction_;
};

}  // namespace varneth::reference
