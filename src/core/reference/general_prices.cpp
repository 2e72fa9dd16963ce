#include "reference/general_prices.h"

#include "storage/filter.h"
#include "text/display.h"
#include "text/numbers.h"

namespace varneth::reference {

const std::vector<std::string>& GeneralPrices::restrictions() {
    static const std::vector<std::string> list = {"0*", "00*", "05*", "07*", "08*", "1*", "2*", "3*", "4*",
                                                  "5*", "6*",  "60*", "7*",  "70*", "8*", "9*", "*",  ""};
    return list;
}

GeneralPrices::GeneralPrices(storage::Database& curr) : table_(curr, "allstocks.DBF") {
    table_.setOrdering("CODE");
    codeField_ = {table_.fieldIndex("CODE")};
}

void GeneralPrices::setRestriction(std::string_view text) {
    restriction_ = text;
    table_.setFilter("code=" + storage::Filter::quote(text));
}

void GeneralPrices::clearRestriction() {
    restriction_.clear();
    table_.setFilter("");
}

bool GeneralPrices::find(std::string_view code) {
    return table_.locate(codeField_, {std::string(code)});
}

std::string GeneralPrices::code_to_name(std::string_view code) {
    return find(code) ? table_.text("NAME") : std::string(code);
}

float GeneralPrices::code_to_price(std::string_view code) {
    return find(code) ? text::f32(table_.number("PRICE")) : 0.0f;
}

std::optional<GeneralPrices::Pick> GeneralPrices::currentPick() const {
    if (table_.isEmpty()) return std::nullopt;
    const auto& price = table_.value("PRICE");
    return Pick{table_.text("CODE"), table_.text("NAME"),
                price.isNull() ? "" : text::shortestText(text::readableValue(price.toDouble()))};
}

bool GeneralPrices::deleteRow(port::Prompter& prompter) {
    if (table_.isEmpty() || !port::askDelete(prompter, {table_.text("CODE"), table_.text("NAME")}))
        return false;
    table_.remove();
    return true;
}

void GeneralPrices::insertRow() {
    table_.last();
    table_.append();
}

}  // namespace varneth::reference
