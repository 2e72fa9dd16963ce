#include "reference/margin.h"

#include <charconv>

#include "text/numbers.h"

namespace varneth::reference {

std::string MarginCalculator::ratioText(double ratio) {
    // Plain notation, never an exponent: a tiny ratio cuts to "0.000" and is refused, not stored
    // thousands of times too high.
    char buffer[400];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, ratio, std::chars_format::fixed).ptr;
    return std::string(buffer, end).substr(0, 5);
}

MarginCalculator::MarginCalculator(storage::Engine& engine, Lookups& lookups, port::Prompter& prompter)
    : engine_(engine), lookups_(lookups), prompter_(prompter) {}

std::optional<std::string> MarginCalculator::typeText(std::string_view lx) {
    if (!lookups_.findType(lx)) return std::nullopt;
    return kTypeLabel + lookups_.types().text("Lxm") + lookups_.types().text("Lx");
}

std::optional<std::string> MarginCalculator::calculate(long long marginPerLot, long long unitsPerLot,
                                                       long long price) {
    if (unitsPerLot == 0 || price == 0) {
        prompter_.message(kZeroInput);
        return std::nullopt;
    }
    const double ratio =
        static_cast<double>(marginPerLot) / static_cast<double>(unitsPerLot) / static_cast<double>(price);
    return ratioText(ratio);
}

std::optional<double> MarginCalculator::checkRatio(std::string_view text) {
    const auto ratio = text::parseNumber(text);
    if (!ratio) {
        prompter_.message(kNotANumber);
        return std::nullopt;
    }
    if (*ratio <= 0) {
        prompter_.message(kTooSmall);
        return std::nullopt;
    }
    return ratio;
}

bool MarginCalculator::apply(std::string_view lx, std::string_view text) {
    storage::Action action(engine_);
    const auto ratio = checkRatio(text);
    if (!ratio || !lookups_.findType(lx)) return false;
    storage::Cursor& types = lookups_.types();
    types.setValue("Bzj_rate", storage::Value(*ratio));
    types.post();
    return true;
}

}  // namespace varneth::reference
