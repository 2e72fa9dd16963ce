#include "ledger/order_desk.h"

#include <cmath>
#include <cstdio>

#include "ledger/input_limits.h"
#include "ledger/records.h"
#include "text/dates.h"
#include "text/display.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::ledger {

namespace {

constexpr const char* kUnknownCount = "???";
constexpr const char* kNoPrice = "?????";
// The detail rows that are unconfirmed orders (their 委托号 compared as text).
constexpr std::string_view kOrderLow = "0", kOrderHigh = "999999999";

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Money in units of ten thousand, cut to two decimals, as a plain decimal.
std::string tenThousands(std::int64_t x) {
    return text::plainText(std::trunc(static_cast<double>(x) * 0.01) * 0.01);
}

std::string wholeText(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", std::trunc(x));
    return buf;
}

// A stored value as a box shows it: a 32-bit working value as the text it was typed as (42.15, not
// 42.150001525878906), so that confirming without retyping stores what the user meant.
std::string boxText(double x) {
    return text::shortestText(text::readableValue(x));
}

std::string isoDate(double day) {
    return text::Date::fromSerial(static_cast<int>(std::floor(day))).iso();
}

std::optional<double> dayNumber(std::string_view text) {
    const auto d = text::Date::parse(text::trim(text));
    if (!d) return std::nullopt;
    return static_cast<double>(d->serial());
}

// A box's number as a working 32-bit value; none when it does not read or does not fit.
std::optional<float> floatNumber(std::string_view text) {
    const auto x = text::parseNumber(text);
    if (!x || !std::isfinite(text::f32(*x))) return std::nullopt;
    return text::f32(*x);
}

std::string notValid(std::string_view text, const char* what, const char* box) {
    return "'" + std::string(text) + "'不是有效的" + what + "（" + box + "）";
}

}  // namespace

OrderDesk::OrderDesk(storage::Engine& engine, reference::Lookups& lookups, reference::GeneralPrices& prices,
                     port::Prompter& prompter, port::Clock& clock, BookViews& views,
                     std::function<void()> up_calc)
    : engine_(engine),
      lookups_(lookups),
      prices_(prices),
      prompter_(prompter),
      clock_(clock),
      views_(views),
      up_calc_(std::move(up_calc)),
      ledger_(engine.database(storage::Alias::Kvt), "tr2.DBF"),
      numbers_(engine.database(storage::Alias::Kvt)) {
    ledger_.setOrdering("No_PC");
    for_qsdm();
}

// ---- modes

void OrderDesk::set_mm() {
    form_.wth.clear();
    controls_.code = controls_.wth = controls_.tradeDate = controls_.query = controls_.longShort = true;
    if (const auto amt = text::parseNumber(form_.amt)) form_.amt = text::shortestText(std::fabs(*amt));
    form_.tradeDate = clock_.now().isoDate();
    controls_.cancel = controls_.confirm = false;
    controls_.toggle = ">";
}

void OrderDesk::set_mk_back() {
    controls_.buyLong = controls_.sellLong = true;
    controls_.openShort = controls_.closeShort = false;
}

void OrderDesk::set_mk() {
    controls_.buyLong = controls_.sellLong = false;
    controls_.openShort = controls_.closeShort = true;
}

void OrderDesk::set_cd_pc(const DetailRow& detail) {
    form_.amt = boxText(detail.amt);
    form_.wth = detail.wth;
    form_.tradeDate = detail.date1.value_or("");
    controls_.code = controls_.wth = controls_.tradeDate = controls_.query = false;
    controls_.buyLong = controls_.sellLong = controls_.openShort = controls_.closeShort = false;
    controls_.longShort = false;
    controls_.cancel = controls_.confirm = true;
    controls_.toggle = "<";
}

void OrderDesk::toggleMode() {
    if (controls_.toggle == ">") {
        set_cd_pc(views_.currentDetail().value_or(DetailRow{}));
        return;
    }
    set_mm();
    if (form_.shortSale)
        set_mk();
    else
        set_mk_back();
}

void OrderDesk::fillFrom(const DetailRow& detail) {
    form_.gddm = detail.gddm;
    form_.amt = boxText(detail.amt);
    form_.qsdm = detail.qsdm;
    form_.qsLabel = detail.qs;
    form_.zjzh = detail.zjzh;
    form_.lx = detail.lx;
    form_.nameLabel = detail.name;
    form_.code = detail.code;
    form_.shortSale = detail.bs == -1;
    if (detail.wth > kOrderLow && detail.wth < kOrderHigh) {
        form_.price = boxText(detail.price1);
        set_cd_pc(detail);
        return;
    }
    form_.price = boxText(detail.price2);
    set_mm();
    if (form_.shortSale)
        set_mk();
    else
        set_mk_back();
}

// ---- showing and the labels

void OrderDesk::show(std::int64_t cashRow, std::int64_t cashTotal) {
    cashRow_ = cashRow;
    cashTotal_ = cashTotal;
    if (!form_.price.empty()) {
        const auto p = floatNumber(form_.price);
        if (!p) {
            qa_ = qb_ = kUnknownCount;
        } else if (*p == 0) {
            qa_ = qb_ = kNoPrice;
        } else {
            qa_ = wholeText(static_cast<double>(cashRow_) / *p);
            qb_ = wholeText(static_cast<double>(cashTotal_) / *p);
        }
    }
    setCashLabels();
    const auto detail = views_.currentDetail();
    for_gddm();
    if (detail) form_.gddm = detail->gddm;
    for_zjzh();
    if (detail) form_.zjzh = detail->zjzh;
    setMarginLabel();
}

void OrderDesk::setCashLabels() {
    if (cashRow_ >= cashTotal_)
        form_.cashLabel = "可用资金：" + tenThousands(cashTotal_) + "万元";
    else
        form_.cashLabel = "可用资金：" + tenThousands(cashRow_) + "--" + tenThousands(cashTotal_) + "万元";
    setBuyableLabel();
}

void OrderDesk::setBuyableLabel() {
    if (cashRow_ >= cashTotal_)
        form_.buyableLabel = "可买股票：" + qb_ + "股";
    else
        form_.buyableLabel = "可买股票：" + qa_ + "--" + qb_ + "股";
}

void OrderDesk::setMarginLabel() {
    form_.marginLabel = "保证金:" + text::shortestText(lookups_.lx_bzj_rate(form_.lx)).substr(0, 5) + "倍";
}

void OrderDesk::priceChanged() {
    if (text::gbkWidth(form_.price) < 3) return;
    const auto p = floatNumber(form_.price);
    if (!p) {
        form_.buyableLabel = kUnknownCount;
        return;
    }
    if (*p == 0) return;
    qa_ = wholeText(static_cast<double>(cashRow_) / *p);
    qb_ = wholeText(static_cast<double>(cashTotal_) / *p);
    setBuyableLabel();
}

void OrderDesk::codeChanged() {
    storage::Cursor& table = prices_.table();
    if (table.locate("CODE", {form_.code})) {
        form_.nameLabel = table.text("NAME");
        const float price = text::f32(table.number("PRICE"));
        if (price != 0) {
            form_.price = text::shortestText(price);
            priceChanged();
        } else {
            prompter_.message(kZeroPrice);
            form_.price.clear();
            form_.buyableLabel = kUnknownCount;
        }
    } else {
        form_.nameLabel = form_.code;
        form_.price.clear();
        form_.buyableLabel = kUnknownCount;
    }
    const std::string lx = lookups_.code_to_lx(form_.code);
    if (lx != reference::Lookups::kUnknown) form_.lx = lx;
}

void OrderDesk::typePicked(std::string_view lx) {
    form_.lx = lx;
    setMarginLabel();
}

void OrderDesk::longShortChanged(bool shortSale) {
    // A type missing from the type table is not known to allow short selling.
    if (shortSale && lookups_.findType(form_.lx) && lookups_.types().logical("Oversell")) {
        form_.shortSale = true;
        record_.bs = -1;
        set_mk();
        return;
    }
    if (shortSale) prompter_.message(kNoShortSale);
    form_.shortSale = false;
    set_mk_back();
    record_.bs = 1;
}

// ---- the three lists

void OrderDesk::for_qsdm() {
    form_.qsdmList.clear();
    form_.qsdm.clear();
    std::string before;
    for (ledger_.first(); !ledger_.eof(); ledger_.next()) {
        const std::string qsdm = ledger_.text("QSDM");
        if (qsdm >= kMarketTotalCode) break;
        if (qsdm != before) form_.qsdmList.push_back(qsdm);
        before = qsdm;
    }
}

void OrderDesk::for_zjzh() {
    form_.zjzhList.clear();
    const std::string qsdm = form_.qsdm;
    form_.zjzh.clear();
    if (!ledger_.locate("QSDM", {qsdm})) return;
    std::string before;
    for (; !ledger_.eof() && ledger_.text("QSDM") == qsdm; ledger_.next()) {
        const std::string zjzh = ledger_.text("ZJZH");
        if (zjzh != before) form_.zjzhList.push_back(zjzh);
        before = zjzh;
    }
}

void OrderDesk::for_gddm() {
    form_.gddmList.clear();
    form_.gddm.clear();
    const std::string qsdm = form_.qsdm, zjzh = form_.zjzh;
    if (ledger_.locate("QSDM;ZJZH", {qsdm, zjzh})) {
        std::string before;
        for (; !ledger_.eof() && ledger_.text("QSDM") == qsdm && ledger_.text("ZJZH") == zjzh;
             ledger_.next()) {
            const std::string gddm = ledger_.text("GDDM");
            if (ledger_.text("LX") == kCashCode || gddm == before) continue;
            form_.gddmList.push_back(gddm);
            form_.gddm = gddm;
            before = gddm;
        }
    }
    form_.currencyLabel = upperAscii(lookups_.zjzh_to_bi(qsdm, zjzh));
    form_.rateLabel = text::shortestText(lookups_.zjzh_to_birate(qsdm, zjzh));
}

void OrderDesk::brokerChanged() {
    form_.qsLabel = "券商:" + lookups_.qsdm_to_qs(form_.qsdm);
    for_zjzh();
    for_gddm();
}

void OrderDesk::accountChanged() {
    for_gddm();
}

// ---- the working record and its two rows

bool OrderDesk::get_record() {
    OrderRecord r;
    // Blanks alone would be stored as an empty WTH, turning the order into a holding.
    r.wth = text::trim(form_.wth);
    r.qsdm = form_.qsdm;
    r.qs = lookups_.qsdm_to_qs(r.qsdm);
    r.zjzh = form_.zjzh;
    r.gddm = form_.gddm;
    r.lx = form_.lx;
    r.lxm = lookups_.lx_to_lxm(r.lx);
    r.bs = form_.shortSale ? -1 : 1;
    r.code = form_.code;
    r.name = prices_.code_to_name(r.code);
    const auto amt = floatNumber(form_.amt);
    if (!amt) {
        prompter_.message(notValid(form_.amt, "数值", "数量"));
        return false;
    }
    r.amt = *amt;
    if (const auto detail = views_.currentDetail(); detail && detail->date1)
        r.detailDate = dayNumber(*detail->date1);
    const auto trade = dayNumber(form_.tradeDate);
    if (!trade) {
        prompter_.message(notValid(form_.tradeDate, "日期", "交易日期"));
        return false;
    }
    r.tradeDate = *trade;
    const auto price = floatNumber(form_.price);
    if (!price) {
        prompter_.message(notValid(form_.price, "数值", "价格"));
        return false;
    }
    r.price = *price;
    r.value = text::f32(static_cast<double>(r.amt) * r.price);
    r.birate = lookups_.zjzh_to_birate(r.qsdm, r.zjzh);
    record_ = std::move(r);
    return true;
}

void OrderDesk::copy_record() {
    const OrderRecord& r = record_;
    ledger_.last();
    ledger_.append();
    ledger_.setValue("WTH", r.wth);
    ledger_.setValue("QSDM", r.qsdm);
    ledger_.setValue("QS", r.qs);
    ledger_.setValue("ZJZH", r.zjzh);
    ledger_.setValue("GDDM", r.gddm);
    ledger_.setValue("LX", r.lx);
    ledger_.setValue("LXM", r.lxm);
    ledger_.setValue("NAME", r.name);
    ledger_.setValue("BS", r.bs);
    ledger_.setValue("CODE", r.code);
    ledger_.setValue("AMT", static_cast<double>(r.amt));
    ledger_.setValue("DATE1", isoDate(r.tradeDate));
    ledger_.setValue("DATE2", isoDate(r.tradeDate));
    ledger_.setValue("PRICE1", static_cast<double>(r.price));
    ledger_.setValue("PRICE2", static_cast<double>(r.price));
    ledger_.setValue("BIRATE", static_cast<double>(r.birate));
    ledger_.setValue("ZK_RATE", static_cast<double>(lookups_.lx_to_zk_rate(r.lx)));
    ledger_.post();
}

void OrderDesk::insert_xj_record() {
    const OrderRecord& r = record_;
    ledger_.append();
    ledger_.setValue("WTH", r.wth);
    ledger_.setValue("QSDM", r.qsdm);
    ledger_.setValue("QS", r.qs);
    ledger_.setValue("ZJZH", r.zjzh);
    ledger_.setValue("GDDM", r.gddm);
    ledger_.setValue("CODE", kCashCode);
    ledger_.setValue("LX", kCashCode);
    ledger_.setValue("LXM", kCashName);
    ledger_.setValue("BS", 1);
    ledger_.setValue("NAME", kCashName);
    ledger_.setValue("CJ_DH", kFrozenCashMark);
    ledger_.setValue("AMT", -(static_cast<double>(r.amt) * r.price * lookups_.lx_bzj_rate(r.lx)));
    ledger_.setValue("DATE1", isoDate(r.tradeDate));
    ledger_.setValue("DATE2", isoDate(r.tradeDate));
    ledger_.setValue("PRICE1", 1.0);
    ledger_.setValue("PRICE2", 1.0);
    ledger_.setValue("BIRATE", static_cast<double>(r.birate));
    ledger_.post();
}

// ---- the actions

bool OrderDesk::buy() {
    return enterOrder(true);
}

bool OrderDesk::sell() {
    return enterOrder(false);
}

bool OrderDesk::enterOrder(bool isBuy) {
    if (text::trim(form_.code).empty()) {
        prompter_.message(kNoCode);
        return false;
    }
    // Checked as typed: the 32-bit working copy would turn 16777217 into an allowed 16777216.
    if (const auto typed = text::parseNumber(form_.amt); typed && !quantityAllowed(*typed)) {
        prompter_.message(kBadQuantity);
        return false;
    }
    storage::Action action(engine_);
    if (!get_record()) return false;
    if (isBuy) {
        if (record_.wth.empty()) record_.wth = numbers_.forBuy(clock_.now(), running_);
        ++running_;
    } else {
        if (record_.wth.empty()) record_.wth = numbers_.forSell(clock_.now());
        record_.amt = -record_.amt;
    }
    copy_record();
    insert_xj_record();
    prompter_.confirmAt(isBuy ? kBought : kSold, 300, 200);
    refreshAfterChange();
    return true;
}

void OrderDesk::refreshAfterChange() {
    up_calc_();
    views_.up_open();
    moveMainViews();
}

void OrderDesk::moveMainViews() {
    if (views_.displayChoice() == 0 && !form_.code.empty()) views_.moveCatalogToCode(form_.code);
    views_.moveDetailTo(record_.wth, form_.code);
}

void OrderDesk::closed() {
    storage::Action action(engine_);
    up_calc_();
    views_.reopen();
    if (views_.displayChoice() == 0)
        views_.moveCatalogToCode(form_.code);
    else if (views_.displayChoice() == 1)
        views_.moveCatalogToAccount(form_.zjzh);
    views_.moveDetailTo(record_.wth, record_.code);
}

}  // namespace varneth::ledger
