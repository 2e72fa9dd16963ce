#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "port/prompter.h"
#include "reference/general_prices.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::ledger {

// Bonus shares, rights issues and cash dividends: the account's list of entries `sph.db`, and the
// application of one entry to the qualifying holdings of "tr2.DBF". An applied entry records what
// it did in `Amt1`, `Amt2` and `Amt12`, and is applied once while `Amt1` keeps its text.
class CorporateActions {
public:
    static constexpr const char* kCaption = "送股，配股和派发红利处理";
    static constexpr const char* kExplanation =
        "本窗口显示的是本管理帐户私有文件; 处理结果是改变持仓记录股票数量和成本价; 数量是每10股送(配派)数, "
        "类型s表示送股, p表示配股, h表示派发红利(元)";
    static constexpr const char* kAppendHint =
        "光标移到最下面可追加记录;取记录是从我的帐户取来本窗口没有的记录";
    static constexpr const char* kFetchHint = "从我的帐户中此窗口最后10个记录中取来本帐户没有的记录";
    static constexpr const char* kIncomplete = "填写信息不全！";
    static constexpr const char* kProcessedBefore = "已经处理过，退出操作。清空“原有数”栏可以再处理！";
    static constexpr const char* kBadType = "类型栏符号不对(不是s,p,h中的一个)！";
    static constexpr const char* kNoSharedList = "找不到我的帐户(子目录user)的送配股记录表：";
    static constexpr const char* kFetchHere = "本帐户的子目录就是user，没有可取的记录。";
    static constexpr const char* kEditProcessed = "该记录已经处理过，修改它不会改变持仓，继续吗？";
    // The account directory whose list the others fetch from.
    static constexpr const char* kSharedSubdir = "user";

    CorporateActions(storage::Engine& engine, reference::GeneralPrices& prices, port::Prompter& prompter,
                     std::filesystem::path programDir, const std::filesystem::path& accountDir);

    storage::Cursor& entries() { return entries_; }
    // "取记录" is for every account but the one whose list it reads.
    bool fetchEnabled() const { return fetchEnabled_; }

    // "处理指定记录" on the current entry. True when the holdings were changed and the entry written.
    bool apply(bool changeCash);
    // "补股票名": the first entry without a name gets one. False when every entry has a name.
    bool fillName();
    // "取记录": the last entries of the shared list that this list lacks. The number appended;
    // nothing when refused with a message.
    std::optional<int> fetch();
    // "删记录": the current entry goes once the user agrees; the holdings are not changed back. True
    // when it went.
    bool removeEntry();
    // Typing over the entry at `position`: an entry already applied ("原有数" filled) changes only
    // once the user agrees, since its holdings stay as they were. True when the change may go ahead.
    bool mayEdit(int position);
    // The first value typed into the blank row under the last: a new entry holding it. A blank value
    // stores nothing (false), so no empty entry is ever kept.
    bool appendEntry(std::string_view field, const storage::Value& value);

private:
    storage::Engine& engine_;
    reference::GeneralPrices& prices_;
    port::Prompter& prompter_;
    std::filesystem::path programDir_;
    storage::Cursor entries_;
    bool fetchEnabled_;
};

}  // namespace varneth::ledger
