#pragma once

#include <string>
#include <string_view>

#include "port/clock.h"
#include "storage/cursor.h"

namespace varneth::stats {

// One comparison index: its display name and the code the price update records its level by.
struct IndexCode {
    std::string name;
    std::string code;
    bool operator==(const IndexCode&) const = default;
};

struct ComparisonIndices {
    IndexCode first;
    IndexCode second;
    bool operator==(const ComparisonIndices&) const = default;
};

// The performance chart's settings in "parameter.DBF": each index is a row "s1name"/"s2name"
// holding the name, followed in the table by a row holding the code; "startp" holds the start date
// last typed.
class ChartSettings {
public:
    static constexpr const char* kTable = "parameter.DBF";
    static constexpr const char* kHelp =
        "这一行确定基金业绩比较用的两个指数。修改前须知道要用的指数代码。 "
        "本软件根据钱龙软件编制，深成指：399001， "
        "上证指数：699001（不能用000001），沪深300： 399300, H股指数：999998， 恒生指数：999999; 其他软件， "
        "或者其他指数不能确保正确。 另外，下载钱龙K线数据时要下载该代码数据(可放入自选股一道下载), "
        "所有股票代码中要有该代码（在股票交易处理窗口，按查询按钮可以查看和追加该代码，）， "
        "我的股票（在设置证券类型和代码窗口）中也需要添加该代码。 ";

    explicit ChartSettings(storage::Database& curr);

    // Missing rows read as "第一行指数名称"/"代码" and "上证指数"/"699001".
    ComparisonIndices indices();
    // "修改确认": writes both pairs back in place; a pair whose rows are missing is added.
    void setIndices(const ComparisonIndices& indices);

    // The start date field's first text: the stored one, else the date 30 days before today.
    std::string startText(const port::Clock& clock);
    void storeStartText(std::string_view text);  // adds the row when missing

private:
    IndexCode readPair(std::string_view nameRow, const IndexCode& fallback);
    void writePair(std::string_view nameRow, std::string_view codeRow, const IndexCode& index);
    // After locating a name row: moves to the row that follows it when that row holds a code.
    bool toCodeRow();

    storage::Cursor table_;
};

}  // namespace varneth::stats
