#include "ledger/settlement.h"

#include <cmath>
#include <exception>

#include "ledger/input_limits.h"
#include "ledger/records.h"
#include "storage/error.h"
#include "text/dates.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::ledger {

namespace {

std::string isoDate(double day) {
    return text::Date::fromSerial(static_cast<int>(std::floor(day))).iso();
}

storage::Value dateValue(const std::optional<double>& day) {
    return day ? storage::Value(isoDate(*day)) : storage::Value();
}

// Closed-out rows are marked with the trade date; a trade date carries no time.
std::string closedMarkFor(double tradeDay) {
    const text::Date d = text::Date::fromSerial(static_cast<int>(std::floor(tradeDay)));
    return closedOutMark(port::DateTime{d.year, d.month, d.day, 0, 0, 0});
}

void goBack(storage::Cursor& ledger, const storage::Cursor::Bookmark& row) {
    if (!ledger.gotoBookmark(row)) throw storage::Error("委托记录已不在帐中");
}

}  // namespace

bool Settlement::cancel() {
    storage::Action action(desk_.engine());
    return cancelOrder();
}

bool Settlement::cancelOrder() {
    if (!desk_.get_record()) return false;
    const OrderRecord& r = desk_.record();
    if (r.wth.empty()) {
        desk_.prompter().message(kNoOrderNumber);
        return false;
    }
    const FrozenCash frozen = dropFrozenCash();
    if (frozen == FrozenCash::Kept) return false;
    storage::Cursor& ledger = desk_.ledger();
    if (ledger.locate("WTH;QSDM;DATE1", {r.wth, r.qsdm, dateValue(r.detailDate)})) {
        ledger.remove();
    } else if (frozen == FrozenCash::Missing) {
        // Boxes changed after the row was picked: nothing was cancelled, and the user must hear so.
        desk_.prompter().message(kOrderNotFound);
        return false;
    }
    desk_.prompter().confirmAt(kCancelled, 200, 120);
    desk_.moveMainViews();
    return true;
}

Settlement::FrozenCash Settlement::dropFrozenCash() {
    const OrderRecord& r = desk_.record();
    storage::Cursor& ledger = desk_.ledger();
    if (ledger.locate("WTH;QSDM;DATE1;CODE",
                      {r.wth, r.qsdm, dateValue(r.detailDate), std::string(kCashCode)})) {
        ledger.remove();
        return FrozenCash::Dropped;
    }
    return desk_.prompter().ask(kNoFrozenCash) ? FrozenCash::Missing : FrozenCash::Kept;
}

Settlement::Result Settlement::confirm() {
    storage::Action action(desk_.engine());
    const Result result = pcjs();
    if (result != Result::Invalid) desk_.refreshAfterChange();
    return result;
}

Settlement::Result Settlement::pcjs() {
    port::Prompter& prompter = desk_.prompter();
    if (text::trim(desk_.form().wth).empty()) {
        prompter.message(kNoOrderToSettle);
        return Result::Stopped;
    }
    // A sell order shows its quantity negative; only its size is bounded here, and 0 cancels.
    if (const auto typed = text::parseNumber(desk_.form().amt);
        typed && *typed != 0 && !quantityAllowed(std::fabs(*typed))) {
        prompter.message(kBadQuantity);
        return Result::Invalid;
    }
    if (!desk_.get_record()) return Result::Invalid;
    OrderRecord& r = desk_.workingRecord();
    if (r.amt == 0) {
        prompter.message(kZeroQuantity);
        cancelOrder();
        return Result::Cancelled;
    }
    storage::Cursor& ledger = desk_.ledger();
    const storage::Value detailDate = dateValue(r.detailDate);
    if (!ledger.locate("WTH;QSDM;DATE1;CODE;BS", {r.wth, r.qsdm, detailDate, r.code, r.bs})) {
        prompter.message(kOrderNotFound);
        return Result::Stopped;
    }
    // A filled quantity of the other sign would settle a buy as a sale, or a sale as a buy.
    if ((ledger.number("AMT") < 0) != (r.amt < 0)) {
        prompter.message(kWrongSign);
        return Result::Invalid;
    }
    const storage::Cursor::Bookmark order = ledger.bookmark();
    if (ledger.locate("CJ_DH;QSDM;DATE1", {r.wth, r.qsdm, detailDate}) && prompter.ask(kSettledBefore))
        return Result::Stopped;

    try {
        if (dropFrozenCash() == FrozenCash::Kept) return Result::Stopped;
        const std::string closedMark = closedMarkFor(r.tradeDate);
        float closed = r.amt;
        if (r.amt > 0) {
            // The holding takes the quantity and price as typed, not their 32-bit working copies.
            const OrderForm& boxes = desk_.form();
            goBack(ledger, order);
            ledger.setValue("CJ_DH", r.wth);
            ledger.setValue("WTH", "");
            ledger.setValue("AMT", text::parseNumber(boxes.amt).value_or(r.amt));
            ledger.setValue("PRICE1", text::parseNumber(boxes.price).value_or(r.price));
            ledger.setValue("LX", r.lx);
            ledger.setValue("LXM", r.lxm);
            ledger.setValue("BS", r.bs);
            ledger.setValue("DATE1", isoDate(r.tradeDate));
            ledger.setValue("ZK_RATE", static_cast<double>(desk_.lookups().lx_to_zk_rate(r.lx)));
            ledger.post();
        } else {
            const double sold = -static_cast<double>(r.amt);
            const double left = closeOut(order, closedMark);
            closed = text::f32(left - sold);
            if (left == 0) {
                goBack(ledger, order);
                ledger.setValue("CJ_DH", r.wth);
                ledger.setValue("AMT", static_cast<double>(r.amt));
                ledger.setValue("PRICE1", static_cast<double>(r.price));
                ledger.setValue("PRICE2", static_cast<double>(r.price));
                ledger.setValue("COST1", static_cast<double>(r.value));
                ledger.setValue("COST2", static_cast<double>(r.value));
                ledger.setValue("SXF", static_cast<double>(desk_.lookups().lx_to_sxf_rate(r.lx)) * r.value);
                ledger.setValue("YHS", static_cast<double>(desk_.lookups().lx_to_yhs_rate(r.lx)) * r.value);
                ledger.setValue("WTH", closedMark);
                ledger.post();
            }
        }
        moveCash(closed);
    } catch (const std::exception& e) {
        ledger.cancel();
        prompter.message(std::string(kErrorPrefix) + e.what());
        return Result::Stopped;
    }
    desk_.form().wth.clear();
    prompter.confirmAt(kSettled, 300, 200);
    return Result::Settled;
}

double Settlement::closeOut(const storage::Cursor::Bookmark& order, const std::string& closedMark) {
    OrderRecord& r = desk_.workingRecord();
    storage::Cursor& ledger = desk_.ledger();
    const auto closeWhole = [&] {
        ledger.setValue("PRICE2", static_cast<double>(r.price));
        ledger.setValue("DATE2", isoDate(r.tradeDate));
        ledger.setValue("CJ_DH", r.wth);
        ledger.setValue("WTH", closedMark);
        ledger.post();
    };
    double left = -static_cast<double>(r.amt);
    if (ledger.locate("WTH;QSDM;GDDM;CODE;BS;AMT", {"", r.qsdm, r.gddm, r.code, r.bs, left})) {
        closeWhole();
        return 0;
    }
    while (ledger.locate("WTH;QSDM;GDDM;CODE;BS", {"", r.qsdm, r.gddm, r.code, r.bs})) {
        const double held = ledger.number("AMT");
        const double rest = left - held;
        if (rest >= 0) {
            closeWhole();
            if (rest == 0) return 0;
            left = rest;
            continue;
        }
        const storage::Value price1 = ledger.value("PRICE1"), date1 = ledger.value("DATE1");
        ledger.setValue("AMT", left);
        closeWhole();
        ledger.append();
        ledger.setValue("QSDM", r.qsdm);
        ledger.setValue("QS", r.qs);
        ledger.setValue("GDDM", r.gddm);
        ledger.setValue("ZJZH", r.zjzh);
        ledger.setValue("LX", r.lx);
        ledger.setValue("LXM", r.lxm);
        ledger.setValue("CODE", r.code);
        ledger.setValue("NAME", r.name);
        ledger.setValue("PRICE1", price1);
        ledger.setValue("DATE1", date1);
        ledger.setValue("PRICE2", static_cast<double>(r.price));
        ledger.setValue("DATE2", isoDate(r.tradeDate));
        ledger.setValue("AMT", held - left);
        ledger.setValue("BS", r.bs);
        ledger.setValue("BIRATE", static_cast<double>(r.birate));
        ledger.setValue("ZK_RATE", static_cast<double>(desk_.lookups().lx_to_zk_rate(r.lx)));
        ledger.post();
        return 0;
    }
    desk_.prompter().message(r.qsdm + " " + r.gddm + " " + r.code + "多空参数为" + std::to_string(r.bs) +
                             "的持仓数量不足, 卖出多余记录将被移入平仓文件(" +
                             "在手工处理窗口选<看平仓文件>可见并修改)。此记录将带有0???.");
    goBack(ledger, order);
    ledger.setValue("GDDM", r.gddm);
    ledger.setValue("AMT", -left);
    ledger.setValue("WTH", kRemainderMark);
    ledger.post();
    // The remainder's proceeds are still to come: its frozen cash rests on the quantity left unsold.
    r.amt = text::f32(-left);
    desk_.insert_xj_record();
    return left;
}

void Settlement::moveCash(float closedQuantity) {
    const OrderRecord& r = desk_.record();
    reference::Lookups& lookups = desk_.lookups();
    const double a = closedQuantity, p = r.price;
    const double s = lookups.lx_to_sxf_rate(r.lx), y = lookups.lx_to_yhs_rate(r.lx),
                 m = lookups.lx_bzj_rate(r.lx);
    const double x = a * p + std::fabs(a) * p * (s + y);
    storage::Cursor& ledger = desk_.ledger();
    // The cash row itself: a frozen-cash row of another order has the same broker, account and code.
    if (ledger.locate("QSDM;ZJZH;CODE;WTH", {r.qsdm, r.zjzh, std::string(kCashCode), ""})) {
        ledger.setValue("AMT", ledger.number("AMT") - m * x);
        ledger.post();
        return;
    }
    ledger.append();
    ledger.setValue("QSDM", r.qsdm);
    ledger.setValue("QS", r.qs);
    ledger.setValue("ZJZH", r.zjzh);
    ledger.setValue("CODE", kCashCode);
    ledger.setValue("LX", kCashCode);
    ledger.setValue("NAME", kCashName);
    ledger.setValue("AMT", -m * x);
    ledger.setValue("BIRATE", static_cast<double>(r.birate));
    ledger.setValue("ZK_RATE", static_cast<double>(lookups.lx_to_zk_rate(r.lx)));
    ledger.post();
    desk_.prompter().message(kNewCashRow);
}

}  // namespace varneth::ledger
