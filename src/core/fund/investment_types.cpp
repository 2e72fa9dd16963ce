#include "fund/investment_types.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::fund {

using storage::Value;

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return out;
}

InvestmentType InvestmentType::read(const storage::Cursor& row) {
    InvestmentType t;
    t.xabc = row.text("Xabc");
    t.note = row.text("Note");
    t.c1 = row.logical("C1"), t.c2 = row.logical("C2"), t.c3 = row.logical("C3"), t.c4 = row.logical("C4");
    t.c5 = row.logical("C5"), t.c6 = row.logical("C6"), t.c7 = row.logical("C7"), t.c8 = row.logical("C8");
    t.c9 = row.logical("C9");
    t.e1 = row.number("E1"), t.e2 = row.number("E2"), t.e3 = row.number("E3"), t.e4 = row.number("E4");
    t.e5 = row.number("E5"), t.e6 = row.number("E6"), t.e7 = row.number("E7"), t.e8 = row.number("E8");
    t.e9 = row.number("E9"), t.e10 = row.number("E10"), t.e11 = row.number("E11"), t.e12 = row.number("E12");
    t.e13 = row.number("E13");
    return t;
}

double out_value(const Holding& b, const InvestmentType* type, double p, double days) {
    const double r = p / b.price - 1;
    double v = b.unit * p;
    if (!type) return v;
    if (days < 0) days = 0;
    const double t = days / 365;
    const double t2 = type->c8 && t < 1 ? 1 : t;
    bool commission = true;
    if (type->c5) {
        const double g = type->e9 / 100 * t;
        if (r > g) {
            v = b.input * (1 + r);
        } else {
            v = b.input * (1 + g - (1 - type->e10 / 100) * (g - r));
            commission = false;
        }
    }
    if (commission && type->c2) {
        double c = type->e4 / 100 * std::max(r - type->e3 / 100 * t, 0.0);
        if (type->c3) {
            c = c + type->e6 / 100 * std::max(r - type->e5 / 100 * t2, 0.0);
            if (type->c4) c = c + type->e8 / 100 * std::max(r - type->e7 / 100 * t2, 0.0);
        }
        v = b.input * (1 + r - c);
    }
    if (type->c1) v = v - b.unit * (b.price + p) / 2 * type->e2 * days / 36500;
    if (type->c9) v = v - b.unit * p * type->e12 / 100;
    return v;
}

InvestmentTypes::InvestmentTypes(storage::Engine& engine, port::Prompter& prompter)
    : engine_(engine), prompter_(prompter), types_(engine.database(storage::Alias::Curr), kTable) {}

void InvestmentTypes::reload() {
    if (cachedVersion_ == types_.viewVersion()) return;
    cache_.clear();
    const auto mark = types_.bookmark();
    for (int i = 0; i < types_.count(); ++i) {
        types_.moveTo(i);
        InvestmentType t = InvestmentType::read(types_);
        cache_.emplace(text::trim(t.xabc), std::move(t));
    }
    types_.gotoBookmark(mark);
    cachedVersion_ = types_.viewVersion();
}

const InvestmentType* InvestmentTypes::find(std::string_view xabc) {
    reload();
    auto it = cache_.find(lowerAscii(text::trim(xabc)));
    return it == cache_.end() ? nullptr : &it->second;
}

int InvestmentTypes::xabc_to_days(std::string_view xabc) {
    const InvestmentType* t = find(xabc);
    return t ? static_cast<int>(text::roundHalfEven(t->e11)) : 0;
}

void InvestmentTypes::check() {
    if (types_.isEmpty()) {
        prompter_.message(kCheckDone);
        return;
    }
    const InvestmentType t = InvestmentType::read(types_);
    if (text::trim(t.xabc).empty() || text::trim(t.note).empty()) prompter_.message(kEmptyName);
    if (t.c1 && t.e1 == 0) prompter_.message(kNoFee);
    if (t.e2 < 0 || t.e4 < 0 || t.e6 < 0 || t.e8 < 0 || t.e10 < 0) prompter_.message(kNegative);
    if (t.c5 && t.c2 && t.e9 > t.e3) prompter_.message(kE3E9);
    if (t.c2 && t.c3 && t.e3 >= t.e5) prompter_.message(kE5E3);
    if (t.c3 && t.c4 && t.e5 >= t.e7) prompter_.message(kE7E5);
    if (t.c6 && t.e11 <= 0) prompter_.message(kE11);
    prompter_.message(kCheckDone);
}

namespace {

std::optional<bool> readLogical(std::string_view text) {
    const std::string v = lowerAscii(text::trim(text));
    if (v == "1" || v == "true" || v == "t" || v == "y" || v == "yes") return true;
    if (v == "0" || v == "false" || v == "f" || v == "n" || v == "no" || v.empty()) return false;
    return std::nullopt;
}

}  // namespace

bool InvestmentTypes::setField(std::string_view field, std::string_view value) {
    if (types_.isEmpty()) {
        prompter_.message("没有投资类型可修改");
        return false;
    }
    int index = -1;
    try {
        index = types_.fieldIndex(field);
    } catch (const std::exception&) {
        prompter_.message("投资类型没有这一项：" + std::string(field));
        return false;
    }
    const storage::FieldDef& def = types_.def().fields[static_cast<std::size_t>(index)];
    const std::string name = lowerAscii(def.name);
    Value v;
    if (def.type == storage::FieldType::Logical) {
        const auto b = readLogical(value);
        if (!b) {
            prompter_.message("'" + std::string(value) + "'不是有效的逻辑值（" + def.name + "）");
            return false;
        }
        v = Value(*b);
    } else if (def.type == storage::FieldType::Number) {
        if (!text::trim(value).empty()) {
            const auto n = text::parseNumber(value);
            if (!n) {
                prompter_.message("'" + std::string(value) + "'不是有效的数值（" + def.name + "）");
                return false;
            }
            v = Value(*n);
        }
    } else {
        v = Value(std::string(value));
    }
    storage::Action action(engine_);
    try {
        types_.setValue(index, v);
        const double x = v.isNull() ? 0 : v.toDouble();
        if (name == "e1") types_.setValue("E2", Value(text::roundHalfEven(x * 100 * 365) * 0.01));
        if (name == "e2") types_.setValue("E1", Value(text::roundHalfEven(x * 10000 / 365) * 0.0001));
        if (name == "c1" && !v.toBool()) {
            types_.setValue("E1", Value(0.0));
            types_.setValue("E2", Value(0.0));
            types_.setValue("C7", Value(false));
        }
        if (name == "c5" && v.toBool()) types_.setValue("C6", Value(true));
        types_.post();
    } catch (const std::exception& e) {
        types_.cancel();
        action.abandon();
        prompter_.message(e.what());
        return false;
    }
    return true;
}

void InvestmentTypes::insertType() {
    storage::Action action(engine_);
    types_.first();
    types_.insert();
    try {
        types_.post();
    } catch (const std::exception& e) {
        types_.cancel();
        action.abandon();
        prompter_.message(e.what());
    }
}

void InvestmentTypes::removeCurrent() {
    storage::Action action(engine_);
    if (!types_.isEmpty()) types_.remove();
}

void InvestmentTypes::leave() {
    storage::Action action(engine_);
    if (!types_.findKey({Value("y")})) {
        types_.append();
        types_.setValue("Xabc", Value("y"));
        types_.setValue("Note", Value("无费用"));
        types_.post();
        prompter_.message(kMissingY);
    }
    // Re-placing a row by its new code reorders the view: collect first, then rewrite.
    std::vector<std::int64_t> upper;
    for (int i = 0; i < types_.count(); ++i) {
        const std::string code = types_.valueAt(i, types_.fieldIndex("Xabc")).toString();
        if (lowerAscii(code) != code) upper.push_back(types_.rowidAt(i));
    }
    for (auto rowid : upper) {
        if (!types_.gotoBookmark({rowid})) continue;
        try {
            types_.setValue("Xabc", Value(lowerAscii(types_.text("Xabc"))));
            types_.post();
        } catch (const std::exception& e) {
            types_.cancel();  // "A" beside an existing "a": the user has to tell them apart
            prompter_.message(e.what());
        }
    }
}

}  // namespace varneth::fund
