#pragma once

#include <optional>
#include <string>

namespace varneth::ledger {

// One row of the main window's detail list, under the column names its query gives them. The order
// window is filled from it, and its 日期1 is how the order's rows are found again.
struct DetailRow {
    std::string wth;                   // 委托号
    std::string qsdm;                  // 券商代码
    std::string qs;                    // 券商
    std::string zjzh;                  // 资金帐号
    std::string gddm;                  // 股东代码
    std::string lx;                    // 类型码
    std::string lxm;                   // 类型名
    std::string code;                  // 代码
    std::string name;                  // 名称
    int bs = 1;                        // 多空
    double amt = 0;                    // 数量
    double price1 = 0;                 // 价格1
    std::optional<std::string> date1;  // 日期1, "yyyy-mm-dd"
    double price2 = 0;                 // 价格2
    std::optional<std::string> date2;  // 日期2
    double inc = 0;                    // 增值率
};

}  // namespace varneth::ledger
