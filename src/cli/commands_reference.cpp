// The reference lookups, one at a time, as the ledger's operations ask them.
#include <functional>
#include <map>

#include "command.h"
#include "text/numbers.h"

namespace varneth::cli {

namespace {

using Args = std::vector<std::string>;
using Lookup = std::function<std::string(app::Session&, const Args&)>;

struct LookupSpec {
    std::size_t args;
    Lookup run;
};

std::string rate(float r) {
    return text::shortestText(r);
}

const std::map<std::string, LookupSpec>& lookups() {
    static const std::map<std::string, LookupSpec> table = {
        {"code_to_name", {1, [](app::Session& s, const Args& a) { return s.lookups().code_to_name(a[0]); }}},
        {"code_to_lx", {1, [](app::Session& s, const Args& a) { return s.lookups().code_to_lx(a[0]); }}},
        {"qsdm_to_qs", {1, [](app::Session& s, const Args& a) { return s.lookups().qsdm_to_qs(a[0]); }}},
        {"lx_to_lxm", {1, [](app::Session& s, const Args& a) { return s.lookups().lx_to_lxm(a[0]); }}},
        {"lx_to_zk_rate",
         {1, [](app::Session& s, const Args& a) { return rate(s.lookups().lx_to_zk_rate(a[0])); }}},
        {"lx_bzj_rate",
         {1, [](app::Session& s, const Args& a) { return rate(s.lookups().lx_bzj_rate(a[0])); }}},
        {"lx_to_sxf_rate",
         {1, [](app::Session& s, const Args& a) { return rate(s.lookups().lx_to_sxf_rate(a[0])); }}},
        {"lx_to_yhs_rate",
         {1, [](app::Session& s, const Args& a) { return rate(s.lookups().lx_to_yhs_rate(a[0])); }}},
        {"zjzh_to_birate",
         {2, [](app::Session& s, const Args& a) { return rate(s.lookups().zjzh_to_birate(a[0], a[1])); }}},
        {"zjzh_to_bi",
         {2, [](app::Session& s, const Args& a) { return s.lookups().zjzh_to_bi(a[0], a[1]); }}},
        {"code_to_price",
         {1, [](app::Session& s, const Args& a) { return rate(s.prices().code_to_price(a[0])); }}},
        {"allstocks_code_to_name",
         {1, [](app::Session& s, const Args& a) { return s.prices().code_to_name(a[0]); }}},
    };
    return table;
}

int lookup(Context& ctx) {
    auto it = lookups().find(ctx.arg(0));
    if (it == lookups().end()) throw UsageError("没有这个查找：" + ctx.arg(0), ctx.call.command);
    Args args(ctx.call.args.begin() + 1, ctx.call.args.end());
    if (args.size() != it->second.args)
        throw UsageError(ctx.arg(0) + " 需要 " + std::to_string(it->second.args) + " 个参数",
                         ctx.call.command);
    ctx.out << it->second.run(*ctx.session, args) << '\n';
    return 0;
}

}  // namespace

std::vector<Command> referenceCommands() {
    return {
        {"lookup", "NAME ARG…", 1, 3, {}, true, lookup},
    };
}

}  // namespace varneth::cli
