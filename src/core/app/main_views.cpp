#include "app/main_views.h"

#include <stdexcept>

#include "ledger/records.h"
#include "storage/database.h"
#include "storage/error.h"

namespace varneth::app {

namespace {

const std::vector<std::string> kDetailHead = {
    "select wth as 委托号,qsdm as 券商代码,qs as 券商,zjzh as 资金帐号,gddm as 股东代码,"
    "lx as 类型码,lxm as 类型名,code as 代码,name as 名称,bs as 多空, amt as 数量,"
    "price1 as 价格1, date1 as 日期1, price2 as 价格2, date2 日期2,inc as 增值率",
    "From \"tr2.dbf\"",
};

const std::vector<std::string> kCatalogByCode = {
    "SELECT DISTINCT  CODE, NAME, SUM(AMT) as 数量,",
    "(sum(price1*amt+sxf+yhs)/sum(amt)) as 成本价, avg(price2) as 当前价,",
    "sum(cost1+sxf+yhs) as 成本, sum(cost2) as 市值, sum(per) as 比例",
    "from \"tr2.dbf\"",
    std::string(ledger::kCatalogPredicate),
    "GROUP BY code,name",
    "order by code,name",
};

const std::vector<std::string> kDetailByCode = {
    std::string(ledger::kDetailPredicate) + " and (\"tr2.dbf\".\"CODE\" =:\"Code\" )",
    "order by qsdm,wth, code",
};

const std::vector<std::string> kCatalogByAccount = {
    "SELECT distinct qsdm,zjzh, sum(cost2) as 市值",
    "from \"tr2.dbf\"",
    std::string(ledger::kCatalogPredicate),
    "GROUP BY qsdm,zjzh",
    "order by qsdm,zjzh",
};

const std::vector<std::string> kDetailByAccount = {
    std::string(ledger::kDetailPredicate) + " and ",
    " (\"tr2.dbf\".\"qsdm\" =:\"qsdm\" )",
    "and (\"tr2.dbf\".\"zjzh\" =:\"zjzh\" )",
    "order by qsdm, wth, code",
};

const std::vector<std::string> kDetailUnconfirmed = {
    std::string(ledger::kUnconfirmedPredicate),
    "order by qsdm,wth,code",
};

bool hasFields(const storage::Cursor& c, std::string_view fields) {
    std::size_t b = 0;
    while (b <= fields.size()) {
        std::size_t e = fields.find(';', b);
        if (e == std::string_view::npos) e = fields.size();
        if (c.def().fieldIndex(fields.substr(b, e - b)) < 0) return false;
        b = e + 1;
    }
    return true;
}

}  // namespace

MainViews::MainViews(storage::Database& kvt)
    : catalogQuery_(kvt),
      detailQuery_(kvt),
      catalog_(catalogQuery_.result()),
      detail_(detailQuery_.result()) {
    if (!kvt.hasTable("tr2.DBF")) throw storage::Error("找不到表 tr2.DBF（" + kvt.path().string() + "）");
    build_sql();
    catalog_.addObserver(this);
}

MainViews::~MainViews() {
    catalog_.removeObserver(this);
}

void MainViews::setDisplayChoice(int choice) {
    if (choice < kByCode || choice > kUnconfirmed) throw std::out_of_range("display choice");
    for (std::size_t i = 0; i < remembered_.size(); ++i)
        remembered_[i] = i < titles_.size() ? titles_[i] : "";
    choice_ = choice;
    up_open();
}

void MainViews::build_sql() {
    auto& detail = detailQuery_.lines();
    detail = kDetailHead;
    const std::vector<std::string>* tail = &kDetailUnconfirmed;
    if (choice_ == kByCode) {
        catalogQuery_.lines() = kCatalogByCode;
        tail = &kDetailByCode;
    } else if (choice_ == kByAccount) {
        catalogQuery_.lines() = kCatalogByAccount;
        tail = &kDetailByAccount;
    }
    detail.insert(detail.end(), tail->begin(), tail->end());
}

// The grids stay suspended while the catalog may change its columns, and hear of it before they
// redraw.
template <class Work>
void MainViews::refreshing(Work work) {
    catalog_.suspendDisplay();
    detail_.suspendDisplay();
    reopening_ = true;
    auto finish = [this] {
        reopening_ = false;
        if (reopened_) reopened_();
        detail_.resumeDisplay();
        catalog_.resumeDisplay();
    };
    try {
        work();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void MainViews::reopenQueries() {
    detailQuery_.close();
    catalogQuery_.close();
    catalogQuery_.open();
    openDetail();
}

void MainViews::openDetail() {
    detailQuery_.bindFrom(catalog_);
    detailQuery_.open();
    detailFor_ = catalog_.position();
}

void MainViews::reopen() {
    refreshing([this] { reopenQueries(); });
}

void MainViews::up_open() {
    refreshing([this] {
        build_sql();
        reopenQueries();
        setTitles();
    });
}

void MainViews::setTitles() {
    titles_.clear();
    for (const auto& f : catalog_.def().fields) titles_.push_back(f.name);
    if (titles_.size() < 2) return;
    if (choice_ == kByCode) {
        titles_[0] = "代码";
        titles_[1] = "名称";
        pricesLeftAligned_ = true;
    } else if (choice_ == kByAccount) {
        titles_[0] = "券商代码";
        titles_[1] = "资金账号";
        pricesLeftAligned_ = false;
    } else {
        // The catalog kept its query, and shows what it showed before.
        for (std::size_t i = 0; i < remembered_.size(); ++i)
            if (!remembered_[i].empty()) titles_[i] = remembered_[i];
    }
}

void MainViews::currentChanged(int position) {
    if (reopening_ || choice_ == kUnconfirmed || position == detailFor_) return;
    openDetail();
}

bool MainViews::findInCatalog(std::string_view fields, const std::vector<storage::Value>& values) {
    if (!hasFields(catalog_, fields) || !catalog_.locate(fields, values)) return false;
    // A grid that suspended the catalog hides the move from the observer.
    if (choice_ != kUnconfirmed && catalog_.position() != detailFor_) openDetail();
    return true;
}

void MainViews::moveCatalogToCode(std::string_view code) {
    findInCatalog("CODE", {storage::Value(code)});
}

void MainViews::moveCatalogToAccount(std::string_view zjzh) {
    findInCatalog("zjzh", {storage::Value(zjzh)});
}

void MainViews::moveDetailTo(std::string_view wth, std::string_view code) {
    if (hasFields(detail_, "委托号;代码"))
        detail_.locate("委托号;代码", {storage::Value(wth), storage::Value(code)});
}

std::optional<ledger::DetailRow> MainViews::currentDetail() const {
    if (detail_.isEmpty()) return std::nullopt;
    const storage::Cursor& d = detail_;
    ledger::DetailRow r;
    r.wth = d.text("委托号");
    r.qsdm = d.text("券商代码");
    r.qs = d.text("券商");
    r.zjzh = d.text("资金帐号");
    r.gddm = d.text("股东代码");
    r.lx = d.text("类型码");
    r.lxm = d.text("类型名");
    r.code = d.text("代码");
    r.name = d.text("名称");
    if (!d.value("多空").isNull()) r.bs = static_cast<int>(d.integer("多空"));
    r.amt = d.number("数量");
    r.price1 = d.number("价格1");
    r.date1 = d.date("日期1");
    r.price2 = d.number("价格2");
    r.date2 = d.date("日期2");
    r.inc = d.number("增值率");
    return r;
}

}  // namespace varneth::app
