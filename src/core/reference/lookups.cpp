#include "reference/lookups.h"

#include "ledger/records.h"
#include "text/numbers.h"

namespace varneth::reference {

namespace {

bool isTotalCode(std::string_view code) {
    return code == ledger::kMarketTotalCode || code == ledger::kDiscountTotalCode;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

Lookups::Lookups(storage::Database& curr, storage::Database& kvt, GeneralPrices& prices,
                 port::Prompter& prompter)
    : prices_(prices),
      prompter_(prompter),
      types_(curr, "lx.DB"),
      brokers_(curr, "qs.db"),
      holdingsPrices_(curr, "code_N_P.DBF"),
      rules_(curr, "code_to_lx.DBF"),
      currencies_(kvt, "bi.db"),
      accountCurrencies_(kvt, "zh_bi.db") {
    types_.setOrdering("Bzj_rate");
    types_.setFilter("lx<>'zzc' and lx<>'zzz'");
    holdingsPrices_.setOrdering("CODE");
    rules_.setOrdering("ORDER");
    typeKey_ = {types_.fieldIndex("Lx")};
    brokerKey_ = {brokers_.fieldIndex("Qsdm")};
    priceKey_ = {holdingsPrices_.fieldIndex("code")};
    currencyKey_ = {currencies_.fieldIndex("Code")};
    accountKey_ = {accountCurrencies_.fieldIndex("Qsdm"), accountCurrencies_.fieldIndex("Zjzh")};
    readSettlementCurrency();
}

void Lookups::readSettlementCurrency() {
    settlementCode_.clear();
    settlementName_.clear();
    for (currencies_.first(); !currencies_.eof(); currencies_.next()) {
        if (currencies_.logical("Now")) {
            settlementCode_ = currencies_.text("Code");
            settlementName_ = currencies_.text("Name");
            return;
        }
    }
}

std::string Lookups::settlementLabel() const {
    return "当前结算货币为:" + settlementCode_ + settlementName_;
}

std::string Lookups::code_to_name(std::string_view code) {
    std::string name = holdingsPrices_.locate(priceKey_, {std::string(code)}) ? holdingsPrices_.text("name")
                                                                              : prices_.code_to_name(code);
    return name.empty() ? kUnknown : name;
}

const std::vector<Lookups::Rule>& Lookups::ruleList() {
    if (ruleVersion_ != rules_.viewVersion()) {
        ruleCache_.clear();
        const int c1 = rules_.fieldIndex("Code1"), c2 = rules_.fieldIndex("Code2"),
                  lx = rules_.fieldIndex("Lx");
        for (int p = 0; p < rules_.count(); ++p)
            ruleCache_.push_back({rules_.valueAt(p, c1).toString(), rules_.valueAt(p, c2).toString(),
                                  rules_.valueAt(p, lx).toString()});
        ruleVersion_ = rules_.viewVersion();
    }
    return ruleCache_;
}

std::string Lookups::code_to_lx(std::string_view code) {
    const auto& rules = ruleList();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const Rule& r = rules[i];
        // Equal lengths make the text range a numeric range for digit codes; Code2's length is not looked at.
        if (r.code1.size() == code.size() && code >= r.code1 && code <= r.code2) {
            rules_.moveTo(static_cast<int>(i));
            return r.lx;
        }
    }
    return kUnknown;
}

std::string Lookups::qsdm_to_qs(std::string_view qsdm) {
    if (brokers_.locate(brokerKey_, {std::string(qsdm)})) return brokers_.text("Qs");
    prompter_.message("找不到券商代码为" + std::string(qsdm) + "的券商名,需进入设置窗口补充！");
    return kUnknown;
}

bool Lookups::findTypeRow(std::string_view lx) {
    return types_.locate(typeKey_, {std::string(lx)});
}

bool Lookups::findType(std::string_view lx) {
    return findTypeRow(lx);
}

std::string Lookups::lx_to_lxm(std::string_view lx) {
    if (findTypeRow(lx)) return types_.text("Lxm");
    prompter_.message("找不到类型码为" + std::string(lx) + "的类型名,需进入设置窗口补充！");
    return kUnknown;
}

float Lookups::lx_to_zk_rate(std::string_view lx) {
    return findTypeRow(lx) ? text::f32(types_.number("Zk_rate")) : 1.0f;
}

float Lookups::lx_bzj_rate(std::string_view lx) {
    return findTypeRow(lx) ? text::f32(types_.number("Bzj_rate")) : 1.0f;
}

float Lookups::lx_to_sxf_rate(std::string_view lx) {
    if (isTotalCode(lx)) return 0.0f;
    if (findTypeRow(lx)) return text::f32(types_.number("Sxf_rate"));
    prompter_.message("码为 " + std::string(lx) +
                      " 的类型未加入类型文件，手续费率且以0.003代之, 可进入设置窗口修改好再来计算!");
    return 0.003f;
}

float Lookups::lx_to_yhs_rate(std::string_view lx) {
    if (isTotalCode(lx)) return 0.0f;
    if (findTypeRow(lx)) return text::f32(types_.number("Yhs_rate"));
    prompter_.message("类型码为 " + std::string(lx) +
                      " 的类型未加入类型文件,印花税率且以0.0045代之,可进入设置窗口修改好再来计算!");
    return 0.0045f;
}

float Lookups::zjzh_to_birate(std::string_view qsdm, std::string_view zjzh) {
    if (isTotalCode(qsdm)) return 1.0f;
    if (!accountCurrencies_.locate(accountKey_, {std::string(qsdm), std::string(zjzh)})) return 1.0f;
    // Currency codes of bi.db are lower case; those typed into zh_bi.db may be in any case.
    std::string code = lowerAscii(accountCurrencies_.text("Bicode"));
    if (!currencies_.locate(currencyKey_, {code})) return 1.0f;
    return text::f32(currencies_.number("Rate"));
}

std::string Lookups::zjzh_to_bi(std::string_view qsdm, std::string_view zjzh) {
    if (isTotalCode(qsdm)) return settlementCode_;
    if (accountCurrencies_.locate(accountKey_, {std::string(qsdm), std::string(zjzh)}))
        return accountCurrencies_.text("Bicode");
    return settlementCode_;
}

}  // namespace varneth::reference
