#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "port/clock.h"
#include "port/prompter.h"
#include "reference/general_prices.h"
#include "reference/lookups.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::reference {

// The settings window's buttons: reference tables filled from the ledger (the holdings editor's
// current view, walked in its order) and reference data pushed back into the ledger. Each action is
// one transaction; an action that stops at a record keeps what it wrote before it.
class Maintenance {
public:
    static constexpr const char* kHelpTypes = "setform";
    static constexpr const char* kHelpPrices = "set_stock";
    static constexpr const char* kHelpBrokers = "set_qs";
    static constexpr const char* kHelpRules = "set_code_lx";
    static constexpr const char* kHelpCurrencies = "bi";
    static constexpr const char* kBrokerMissing =
        "一个代码表中没有，请先用<从持仓追加>按钮追加代码,手工输入名称和价格后，再进行此项操作！";
    static constexpr const char* kRulesAdded =
        "表中已添加类型，请输入相应的起止股票代码和匹配顺序--不清楚就输大一点。";
    static constexpr const char* kUnequalRange = "起止代码长度不等，继续吗！";
    static constexpr const char* kFillCurrency = "请填上货币代码(大小写不分)！";
    static constexpr const char* kZeroRate = "相对比例为0的货币不能作为结算货币!";
    static std::string typeMissing(std::string_view lx);

    // What the window does along the way: move its progress bar (records done of the total) and
    // reopen the main window's views after the ledger's prices changed.
    struct Hooks {
        std::function<void(int done, int total)> progress;
        std::function<void()> reopenViews;
    };

    Maintenance(storage::Engine& engine, storage::Cursor& ledger, Lookups& lookups, GeneralPrices& prices,
                port::Prompter& prompter, port::Clock& clock);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Type tab: "从持仓文件追加" (the number of rows added), "补充和更新   " (false when it
    // stopped with a message).
    int appendTypes();
    bool updateTypeNames();

    // Code-price tab. `appendPrices` leaves the list on its first row without a price.
    int appendPrices();
    void regeneratePrices();
    void pricesFromGeneral();  // "据总表更新价格", then the index levels
    void pricesToLedger();     // "改持仓文件价格", then the views and the index levels

    // Broker tab.
    int appendBrokers();
    void regenerateBrokers();
    bool fillBrokerNames();

    // Code->type tab. `applyRules` is false when the user ended it.
    int appendRuleTypes();
    bool applyRules();

    // Currency tab. `setSettlement` makes the currency row under the cursor the settlement currency.
    bool setSettlement();
    int appendAccounts();
    void regenerateAccounts();
    void updateRates();

    // The present value of a "dss" record's price, or p itself when the record does not discount.
    static double presentValue(double p, std::string_view note, const std::optional<std::string>& date2,
                               const port::DateTime& today);

private:
    // The general price table's levels of the two comparison indices into the last fund-ledger row.
    void recordIndexLevels();
    bool inTypes(std::string_view lx);
    bool inPrices(std::string_view code);
    void progress(int done, int total);
    template <class Work>
    void walkLedger(Work&& work, storage::Cursor* target = nullptr);
    template <class Drop>
    void removeWhere(storage::Cursor& table, Drop&& drop);

    storage::Engine& engine_;
    storage::Cursor& ledger_;
    Lookups& lookups_;
    GeneralPrices& prices_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    Hooks hooks_;
};

}  // namespace varneth::reference
