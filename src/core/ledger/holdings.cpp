#include "ledger/holdings.h"

#include <cmath>

#include "ledger/records.h"
#include "text/numbers.h"

namespace varneth::ledger {

using storage::Cursor;
using storage::Value;
using text::f32;
using text::roundHalfEven;

namespace {

bool isTotal(std::string_view code) {
    return code == kMarketTotalCode || code == kDiscountTotalCode;
}

// Keeps the grids on a cursor still for a pass and redraws them once after it, however it ends.
class DisplayHeld {
public:
    explicit DisplayHeld(Cursor& c) : c_(c) { c_.suspendDisplay(); }
    ~DisplayHeld() { c_.resumeDisplay(); }
    DisplayHeld(const DisplayHeld&) = delete;
    DisplayHeld& operator=(const DisplayHeld&) = delete;

private:
    Cursor& c_;
};

// The rows of a view as they stand before a pass. A pass visits each of them once even when a
// post re-places a row (a cash row that gets its GDDM "xj", a total row that gets its QSDM): walking
// by next() would follow the moved row and skip every row it jumped over.
class Walk {
public:
    explicit Walk(Cursor& c) : c_(c) {
        ids_.reserve(static_cast<std::size_t>(c.count()));
        for (int p = 0; p < c.count(); ++p) ids_.push_back(c.rowidAt(p));
    }
    // Makes the next row of the list current; false at the end.
    bool next() {
        while (i_ < ids_.size()) {
            const std::int64_t id = ids_[i_++];
            // Rows seldom move, so the next row is nearly always right after the last one, or where
            // the last one stood when that one moved on.
            for (int p : {hint_, hint_ + 1}) {
                if (p >= 0 && p < c_.count() && c_.rowidAt(p) == id) {
                    c_.moveTo(p);
                    at_ = p;
                    hint_ = p + 1;
                    return true;
                }
            }
            if (c_.gotoBookmark(Cursor::Bookmark{id})) {
                at_ = c_.position();
                hint_ = at_ + 1;
                return true;
            }
        }
        return false;
    }
    // The current row was posted: when that moved it, the rows after it moved up one place.
    void posted() {
        if (c_.position() != at_) hint_ = at_;
    }

private:
    Cursor& c_;
    std::vector<std::int64_t> ids_;
    std::size_t i_ = 0;
    int hint_ = 0;
    int at_ = -1;
};

}  // namespace

std::string inTenThousands(double x) {
    return text::plainText(roundHalfEven(x * 0.01) * 0.01);
}

std::string Holdings::zeroPriceQuestion(std::string_view name) {
    return "发现一个名为" + std::string(name) + "的证券当前价(价格2)是0，改为和买入价(价格1)相同吗？";
}

Holdings::Holdings(storage::Engine& engine, reference::Lookups& lookups, port::Prompter& prompter,
                   port::Clock& clock)
    : engine_(engine),
      kvt_(engine.database(storage::Alias::Kvt)),
      ledger_(kvt_, kTable),
      lookups_(lookups),
      prompter_(prompter),
      clock_(clock) {
    const auto at = [this](const char* field) { return ledger_.fieldIndex(field); };
    f_ = {at("WTH"),     at("QSDM"),   at("QS"),     at("GDDM"),   at("ZJZH"),   at("CODE"),
          at("NAME"),    at("AMT"),    at("PRICE1"), at("DATE1"),  at("PRICE2"), at("COST1"),
          at("COST2"),   at("INCOME"), at("INC"),    at("PER"),    at("SXF"),    at("YHS"),
          at("ZK_RATE"), at("LXM"),    at("BS"),     at("BIRATE"), at("LX")};
    ledger_.setOrdering(kHoldingsOrdering);
    readTotalLabels();
    ledger_.first();
}

void Holdings::readTotalLabels() {
    if (ledger_.locate({f_.qsdm}, {Value(kMarketTotalCode)}))
        marketLabel_ = "市价总值=" + inTenThousands(ledger_.number("COST2")) + "万";
    if (ledger_.locate({f_.qsdm}, {Value(kDiscountTotalCode)}))
        discountLabel_ = "折扣总值=" + inTenThousands(ledger_.number("COST2")) + "万";
}

void Holdings::setView(View view) {
    ledger_.setOrdering(view == View::Holdings ? kHoldingsOrdering : kClosedOrdering);
    view_ = view;
    if (view == View::Holdings)
        ledger_.first();
    else
        ledger_.last();
}

template <class Work>
auto Holdings::onBook(Work&& work) {
    if (view_ == View::Holdings) return work(ledger_);
    Cursor book(kvt_, kTable);
    book.setOrdering(kHoldingsOrdering);
    return work(book);
}

bool Holdings::up_calc() {
    if (view_ == View::Closed) setView(View::Holdings);
    return calc();  // which holds the grids still while it works
}

bool Holdings::calc() {
    storage::Action action(engine_);
    return onBook([this](Cursor& book) { return valuate(book); });
}

bool Holdings::valuate(Cursor& book) {
    DisplayHeld held(book);
    book.first();
    s1_ = s2_ = s3_ = 0;
    if (!firstPass(book)) return false;
    if (s2_ == 0) {
        prompter_.message(kZeroTotal);
        return false;
    }
    appendMissingTotals(book);
    secondPass(book);
    pending_ = false;
    lastValued_ = clock_.now();
    return true;
}

bool Holdings::firstPass(Cursor& book) {
    Walk walk(book);
    while (walk.next()) {
        if (book.value(f_.lx).toString().empty()) {
            prompter_.message(kNoType);
            return false;
        }
        if (book.value(f_.birate).toDouble() == 0) {
            book.setValue(f_.birate, 1.0);
            book.post();
            walk.posted();
        }
        if (isTotal(book.value(f_.qsdm).toString())) continue;
        valueRecord(book);
        walk.posted();
    }
    return true;
}

// One record of the first pass: its values at entry and now, its defaults, and its share of the
// three totals.
void Holdings::valueRecord(Cursor& book) {
    const auto text = [&](int f) { return book.value(f).toString(); };
    const double a = book.value(f_.amt).toDouble(), p1 = book.value(f_.price1).toDouble();
    double p2 = book.value(f_.price2).toDouble();
    const std::string lx = text(f_.lx);
    const float m = lookups_.lx_bzj_rate(lx);
    const double cost1 = a * p1 * m;
    book.setValue(f_.cost1, cost1);
    std::int64_t bs = book.value(f_.bs).toInt();
    if (bs != -1) {
        bs = 1;
        book.setValue(f_.bs, Value(bs));
    }
    if (p2 == 0 && prompter_.ask(zeroPriceQuestion(text(f_.name)))) {
        p2 = p1;
        book.setValue(f_.price2, p1);
    }
    const double cost2 = roundHalfEven(static_cast<double>(bs) * a * (p2 - p1) + cost1);
    book.setValue(f_.cost2, cost2);
    double zk = book.value(f_.zkRate).toDouble();
    if (zk == 0) {
        zk = 1;
        book.setValue(f_.zkRate, zk);
    }
    const std::string code = text(f_.code);
    if (!book.date("DATE1") && code != kCashCode && !isTotal(code))
        book.setValue(f_.date1, clock_.now().isoDate());
    if (text(f_.name).empty()) book.setValue(f_.name, lookups_.code_to_name(code));
    if (text(f_.qs).empty()) book.setValue(f_.qs, lookups_.qsdm_to_qs(text(f_.qsdm)));
    if (text(f_.lxm).empty()) book.setValue(f_.lxm, lookups_.lx_to_lxm(lx));
    if (text(f_.zjzh).empty() && lx < "z") book.setValue(f_.zjzh, "?");
    if (text(f_.qs).empty()) book.setValue(f_.qs, "?");
    if (text(f_.gddm).empty() && lx < "z") book.setValue(f_.gddm, "?");
    if (code == kCashCode) book.setValue(f_.gddm, kCashCode);
    const float r = lookups_.zjzh_to_birate(text(f_.qsdm), text(f_.zjzh));
    book.post();
    s1_ = f32(static_cast<double>(s1_) + cost1 * r);
    s2_ = f32(static_cast<double>(s2_) + cost2 * r);
    s3_ = f32(static_cast<double>(s3_) + (cost2 > 0 ? cost2 * zk * r : cost2 * r));
}

void Holdings::appendMissingTotals(Cursor& book) {
    if (!book.locate({f_.lx}, {Value(kMarketTotalCode)})) {
        book.append();
        book.setValue(f_.lx, kMarketTotalCode);
        book.setValue(f_.code, kMarketTotalCode);
        book.setValue(f_.zkRate, 1.0);
        book.post();
    }
    if (!book.locate({f_.lx}, {Value(kDiscountTotalCode)})) {
        book.append();
        book.setValue(f_.lx, kDiscountTotalCode);
        book.setValue(f_.qsdm, kDiscountTotalCode);
        book.setValue(f_.code, kDiscountTotalCode);
        book.setValue(f_.qs, kDiscountTotalName);
        book.setValue(f_.name, kDiscountTotalName);
        book.setValue(f_.zkRate, 1.0);
        book.post();
    }
}

void Holdings::secondPass(Cursor& book) {
    book.first();
    Walk walk(book);
    while (walk.next()) {
        settleRecord(book);
        walk.posted();
    }
}

// One record of the second pass: fees and gain, gain rate and share of the market value total; the
// two total rows take the totals.
void Holdings::settleRecord(Cursor& book) {
    const double s1 = s1_, s2 = s2_, s3 = s3_;
    // A book whose costs cancel out has no ratio of value to cost: 0 rather than an infinity.
    const auto perCost = [s1](double value) { return s1 != 0 ? value / s1 : 0.0; };
    const std::string lx = book.value(f_.lx).toString();
    if (lx == kCashCode) {
        const double amt = book.value(f_.amt).toDouble();
        for (int f : {f_.price1, f_.price2}) book.setValue(f, 1.0);
        for (int f : {f_.sxf, f_.yhs, f_.income, f_.inc}) book.setValue(f, 0.0);
        book.setValue(f_.cost1, amt);
        book.setValue(f_.cost2, amt);
    } else if (lx == kMarketTotalCode) {
        book.setValue(f_.price1, 1.0);
        book.setValue(f_.price2, perCost(s2));
        book.setValue(f_.wth, kManualMark);
        book.setValue(f_.amt, s1);
        book.setValue(f_.qsdm, kMarketTotalCode);
        book.setValue(f_.qs, kMarketTotalName);
        book.setValue(f_.code, kMarketTotalCode);
        book.setValue(f_.name, kMarketTotalName);
        book.setValue(f_.lxm, kMarketTotalName);
        book.setValue(f_.sxf, 0.0);
        book.setValue(f_.yhs, 0.0);
        book.setValue(f_.cost1, s1);
        book.setValue(f_.cost2, s2);
        book.setValue(f_.income, s2 - s1);
        marketLabel_ = "市值=" + inTenThousands(s2) + "万";
    } else if (lx == kDiscountTotalCode) {
        book.setValue(f_.price1, 1.0);
        book.setValue(f_.price2, perCost(s3));
        book.setValue(f_.wth, kManualMark);
        book.setValue(f_.amt, s1);
        book.setValue(f_.qsdm, kDiscountTotalCode);
        book.setValue(f_.qs, kDiscountTotalName);
        book.setValue(f_.lxm, kDiscountTotalName);
        book.setValue(f_.name, kDiscountTotalName);
        book.setValue(f_.code, kDiscountTotalCode);
        book.setValue(f_.cost1, s1);
        book.setValue(f_.sxf, 0.0);
        book.setValue(f_.yhs, 0.0);
        book.setValue(f_.cost2, roundHalfEven(s3));
        book.setValue(f_.income, s3 - s1);
        discountLabel_ = "折扣总值=" + inTenThousands(s3) + "万";
    } else {
        const double absCost1 = std::fabs(book.value(f_.cost1).toDouble());
        const double sxf = absCost1 * lookups_.lx_to_sxf_rate(lx);
        const double yhs = absCost1 * lookups_.lx_to_yhs_rate(lx);
        book.setValue(f_.sxf, sxf);
        book.setValue(f_.yhs, yhs);
        book.setValue(f_.income,
                      book.value(f_.cost2).toDouble() - book.value(f_.cost1).toDouble() - sxf - yhs);
    }
    const double cost1 = book.value(f_.cost1).toDouble();
    book.setValue(f_.inc,
                  roundHalfEven(cost1) != 0 ? book.value(f_.income).toDouble() * 100 / cost1 : 9999.9);
    const std::string qsdm = book.value(f_.qsdm).toString();
    double r = 1;
    if (!isTotal(qsdm)) {
        const double birate = book.value(f_.birate).toDouble();
        r = birate > 0 ? birate : lookups_.zjzh_to_birate(qsdm, book.value(f_.zjzh).toString());
    }
    book.setValue(f_.per, roundHalfEven(book.value(f_.cost2).toDouble() * 10000 * r / s2) * 0.01);
    book.post();
}

std::int64_t Holdings::zjzhxj(std::string_view qsdm, std::string_view zjzh) {
    return onBook([&](Cursor& book) { return cashOf(book, qsdm, zjzh); });
}

std::int64_t Holdings::zjzhxj1(std::string_view qsdm, std::string_view zjzh) {
    return onBook([&](Cursor& book) { return cashRowOf(book, qsdm, zjzh); });
}

std::int64_t Holdings::cashOf(Cursor& book, std::string_view qsdm, std::string_view zjzh) {
    if (!book.locate({f_.qsdm, f_.zjzh}, {Value(qsdm), Value(zjzh)})) {
        prompter_.message(kNoAccount);
        return 0;
    }
    double sum = 0;
    while (!book.eof() && book.value(f_.qsdm).toString() == qsdm && book.value(f_.zjzh).toString() == zjzh) {
        if (book.value(f_.code).toString() == kCashCode) sum += book.value(f_.amt).toDouble();
        book.next();
    }
    book.prior();
    return static_cast<std::int64_t>(std::trunc(sum));
}

// The cash row itself: a pending order's frozen cash carries the same broker, account and code and
// sorts before it, so only a row without an order number will do.
std::int64_t Holdings::cashRowOf(Cursor& book, std::string_view qsdm, std::string_view zjzh) {
    if (!book.locate({f_.qsdm, f_.zjzh, f_.code, f_.wth},
                     {Value(qsdm), Value(zjzh), Value(kCashCode), Value("")})) {
        prompter_.message(kNoAccount);
        return 0;
    }
    return static_cast<std::int64_t>(std::trunc(book.value(f_.amt).toDouble()));
}

bool Holdings::removeCurrent() {
    if (ledger_.isEmpty()) return false;
    if (!port::askDelete(prompter_, {ledger_.text("WTH"), ledger_.text("ZJZH"), ledger_.text("CODE"),
                                     ledger_.text("NAME")}))
        return false;
    storage::Action action(engine_);
    ledger_.remove();
    return true;
}

void Holdings::insertBlank() {
    if (view_ == View::Closed) setView(View::Holdings);
    storage::Action action(engine_);
    ledger_.append();
    ledger_.post();
}

bool Holdings::copy_buy_rec() {
    if (ledger_.isEmpty()) return false;
    storage::Action action(engine_);
    std::vector<std::pair<int, Value>> copied;
    for (int f : {f_.wth, f_.qsdm, f_.qs, f_.zjzh, f_.gddm, f_.code, f_.lx, f_.name, f_.amt, f_.date1,
                  f_.zkRate, f_.lxm})
        copied.emplace_back(f, ledger_.value(f));
    const Value price = ledger_.value(f_.price2);
    const double cost = price.toDouble() * ledger_.value(f_.amt).toDouble();
    ledger_.append();
    for (const auto& [f, v] : copied) ledger_.setValue(f, v);
    for (int f : {f_.price1, f_.price2}) ledger_.setValue(f, price);
    for (int f : {f_.cost1, f_.cost2}) ledger_.setValue(f, cost);
    ledger_.post();
    return true;
}

void Holdings::fillNames() {
    storage::Action action(engine_);
    DisplayHeld held(ledger_);
    // Names first, then broker names, then type names, each from the first empty one down: filling
    // one field never empties another, and none of them orders the views, so rows stay in place.
    for (int field : {f_.name, f_.qs, f_.lxm}) {
        for (int p = 0; p < ledger_.count(); ++p) {
            if (!ledger_.valueAt(p, field).toString().empty()) continue;
            ledger_.moveTo(p);
            std::string filled;
            if (field == f_.name)
                filled = lookups_.code_to_name(ledger_.value(f_.code).toString());
            else if (field == f_.qs)
                filled = lookups_.qsdm_to_qs(ledger_.value(f_.qsdm).toString());
            else
                filled = lookups_.lx_to_lxm(ledger_.value(f_.lx).toString());
            ledger_.setValue(field, filled);
            ledger_.post();
        }
    }
    ledger_.last();
}

}  // namespace varneth::ledger
