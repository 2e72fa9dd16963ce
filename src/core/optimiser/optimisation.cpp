#include "optimiser/optimisation.h"

#include <fstream>
#include <map>
#include <sstream>

#include "ledger/records.h"
#include "storage/cursor.h"
#include "storage/query.h"
#include "text/numbers.h"

namespace varneth::optimiser {

namespace {

const std::array<std::string, 4> kDefaultLabels{"现金等", "证券1", "证券2", "其他"};

// The book's holdings, cash and orders by code. Amounts in other currencies are converted as every
// other total of the book converts them; a rate of 0 or none counts 1.
const std::vector<std::string> kPortfolioQuery{
    "select code,sum(cost2*zk_rate*(case when birate is null or birate=0 then 1 else birate end)) as cost,",
    " sum(sxf+yhs)/sum(cost1) as fee",
    "from \"tr2.dbf\"",
    std::string(ledger::kOptimiserPredicate),
    "group by code",
    "order by code",
};

}  // namespace

Optimisation::Optimisation(storage::Engine& engine, port::Prompter& prompter,
                           std::filesystem::path programDir)
    : engine_(engine), prompter_(prompter), programDir_(std::move(programDir)), labels_(kDefaultLabels) {
    r13List_ = feasibleR13(params_.r.r12, params_.r.r23);
    p_ = calcp123(params_.r);
}

bool Optimisation::open() {
    // A missing default file leaves the defaults; one that is there but wrong is told.
    const bool loaded =
        !std::filesystem::exists(programDir_ / kDefaultFile) || loadcs(programDir_ / kDefaultFile);
    p_ = calcp123(params_.r);
    putlx();
    return loaded;
}

bool Optimisation::setDeviation(int group, int percent) {
    const auto k = static_cast<std::size_t>(group);
    if (percent >= params_.e.at(k)) {
        prompter_.message(kDeviationTooLarge);
        return false;
    }
    params_.d.at(k) = percent;
    return true;
}

void Optimisation::setR12(double r) {
    params_.r.r12 = r;
    r13List_ = feasibleR13(params_.r.r12, params_.r.r23);
    params_.r.r13 = r13List_.empty() ? 0 : r13List_.front();
    r13Enabled_ = true;
}

void Optimisation::setR23(double r) {
    params_.r.r23 = r;
    r13List_ = feasibleR13(params_.r.r12, params_.r.r23);
    params_.r.r13 = r13List_.empty() ? 0 : r13List_.front();
    r13Enabled_ = true;
}

bool Optimisation::setR13(double r) {
    for (double v : r13List_)
        if (v == r) {
            params_.r.r13 = r;
            return true;
        }
    Parameters probe = params_;
    probe.r.r13 = r;
    prompter_.message(problemWith(probe).value_or(kBadParameterFile));
    return false;
}

void Optimisation::normalise(int j) {
    inp_ratio(players_.at(static_cast<std::size_t>(j)));
}

void Optimisation::putlx() {
    storage::Action action(engine_);
    storage::Cursor groups(engine_.databaseFor("groups.db"), "groups.db");
    storage::Query query(engine_.databaseFor("tr2.DBF"));
    query.lines() = kPortfolioQuery;
    storage::Cursor& rows = query.open();
    std::array<double, 4> totals{};
    std::array<bool, 4> named{};
    labels_ = kDefaultLabels;
    for (rows.first(); !rows.eof(); rows.next()) {
        const std::string code = rows.text("code");
        std::size_t g = 3;
        std::string name = code;  // a code the grouping has not listed names itself
        if (groups.locate("Code", {code})) {
            const storage::Value& v = groups.value("Group");
            if (!v.isNull() && v.toInt() >= 0 && v.toInt() <= 3) g = static_cast<std::size_t>(v.toInt());
            name = groups.text("Name");
        }
        totals[g] += rows.number("cost");
        if (!named[g]) {
            labels_[g] = name + "等";
            named[g] = true;
        }
    }
    total_ = totals[0] + totals[1] + totals[2] + totals[3];
    players_[0] = totals;
    // An empty book is all cash.
    if (!inp_ratio(players_[0])) players_[0] = {1000, 0, 0, 0};
}

bool Optimisation::loadcs(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        prompter_.message("找不到参数文件：" + file.string());
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const auto loaded = parsePrd(text.str());
    if (!loaded) {
        prompter_.message(kBadParameterFile);
        return false;
    }
    params_ = *loaded;
    r13List_ = feasibleR13(params_.r.r12, params_.r.r23);
    return true;
}

bool Optimisation::savecs(const std::filesystem::path& file) {
    if (!check()) return false;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << prdText(params_);
    out.close();
    if (!out) {
        prompter_.message("参数文件写不成：" + file.string());
        return false;
    }
    return true;
}

bool Optimisation::check() {
    if (const auto problem = problemWith(params_)) {
        prompter_.message(*problem);
        return false;
    }
    return true;
}

Proportions Optimisation::fractions(int j) const {
    Proportions x{};
    for (std::size_t k = 0; k < 4; ++k) x[k] = players_.at(static_cast<std::size_t>(j))[k] * 0.001;
    return x;
}

bool Optimisation::optimise() {
    if (!check()) return false;
    p_ = calcp123(params_.r);
    normalise(0);
    forecast_ = forecastOf(params_);
    forecast_.p = fractions(0);
    result_ = better(forecast_, p_);
    r13Enabled_ = false;
    normalise(0);
    for (std::size_t k = 0; k < 4; ++k) {
        z_[k] = result_.y[k] - static_cast<int>(players_[0][k]);
        j_[k] = text::roundHalfEven(z_[k] * total_ * 0.001);
    }
    return true;
}

bool Optimisation::prepareGame() {
    if (!check()) return false;
    for (int j = 0; j < kPlayers; ++j) normalise(j);
    return optimise();
}

std::array<Proportions, 4> Optimisation::participants() const {
    return {fractions(0), fractions(1), fractions(2), result_.x};
}

}  // namespace varneth::optimiser
