#include "fund/address_book.h"

#include <map>
#include <set>

#include "fund/fund_ledger.h"
#include "fund/paged_listing.h"
#include "storage/table.h"
#include "storage/typed_row.h"
#include "text/gbk.h"

namespace varneth::fund {

using storage::Value;

namespace {

const char* const kFields[] = {"PYCODE", "NAME", "YJZ", "PER", "TEL", "TEL2", "PC", "ADDR"};

std::string heading() {
    using text::s10;
    return s10("代码", 6) + s10("姓名", 8) + s10("电话", 20) + s10("BB,Fax,Email", 16) + s10("邮码", 7) +
           "地址";
}

}  // namespace

std::string unknownInvestor(std::string_view pycode) {
    return "投资人代码" + std::string(pycode) + "不存在,放弃操作。";
}

AddressBook::AddressBook(storage::Engine& engine, port::Prompter& prompter)
    : engine_(engine), prompter_(prompter), entries_(engine.database(storage::Alias::Kvt), kTable) {
    entries_.setOrdering("pycode");
    entries_.first();
}

void AddressBook::setOrder(Order order) {
    order_ = order;
    const std::string current = entries_.isEmpty() ? std::string() : entries_.text("PYCODE");
    entries_.setOrdering(order == Order::Pycode ? "pycode" : "pcpy");
    entries_.first();
    if (!current.empty()) entries_.locate("PYCODE", {Value(current)});
}

bool AddressBook::select(std::string_view pycode) {
    if (entries_.locate("PYCODE", {Value(pycode)})) return true;
    prompter_.message(unknownInvestor(pycode));
    return false;
}

int AddressBook::fillNames() {
    storage::Action action(engine_);
    return rename({});
}

bool AddressBook::fillNamesOfCurrent(int* renamed) {
    storage::Action action(engine_);
    const std::string code = entries_.isEmpty() ? std::string() : text::trim(entries_.text("PYCODE"));
    if (code.empty()) {
        prompter_.message(kEmptyCode);
        return false;
    }
    const int n = rename(code);
    if (renamed) *renamed = n;
    return true;
}

int AddressBook::rename(std::string_view only) {
    // The first entry of each code in code order is the one a key search finds. An entry without a
    // name leaves the ledger's names as they are.
    storage::Cursor book(engine_.database(storage::Alias::Kvt), kTable);
    book.setOrdering("pycode");
    std::map<std::string, std::string> names;
    for (int i = 0; i < book.count(); ++i) {
        const std::string code = book.valueAt(i, book.fieldIndex("PYCODE")).toString();
        const std::string name = book.valueAt(i, book.fieldIndex("NAME")).toString();
        if (!text::trim(name).empty()) names.emplace(code, name);
    }
    storage::Cursor ledger(engine_.database(storage::Alias::Kvt), FundLedger::kTable);
    const int code = ledger.fieldIndex("PYCODE"), nameField = ledger.fieldIndex("NAME");
    const storage::FieldDef& nameDef = ledger.def().field("NAME");
    int renamed = 0;
    for (int i = 0; i < ledger.count(); ++i) {
        const std::string pycode = ledger.valueAt(i, code).toString();
        if (pycode == FundLedger::kMarketCode || pycode.rfind('$', 0) == 0) continue;
        if (!only.empty() && pycode != only) continue;
        const auto found = names.find(pycode);
        if (found == names.end()) continue;
        const Value name = storage::Table::fit(nameDef, Value(found->second));
        if (ledger.valueAt(i, nameField).compare(name) == 0) continue;
        ledger.moveTo(i);
        ledger.setValue(nameField, name);
        ledger.post();
        ++renamed;
    }
    return renamed;
}

int AddressBook::fillFromInvestors(const storage::Cursor& investors) {
    storage::Action action(engine_);
    std::set<std::string> known;
    const int bookCode = entries_.fieldIndex("PYCODE");
    for (int i = 0; i < entries_.count(); ++i) known.insert(entries_.valueAt(i, bookCode).toString());
    const int code = investors.fieldIndex("pycode"), name = investors.fieldIndex("name");
    int added = 0;
    for (int i = 0; i < investors.count(); ++i) {
        const std::string pycode = investors.valueAt(i, code).toString();
        if (text::trim(pycode).empty() || pycode == FundLedger::kMarketCode || pycode.rfind('$', 0) == 0)
            continue;
        if (!known.insert(pycode).second) continue;
        entries_.append();
        entries_.setValue("PYCODE", Value(pycode));
        entries_.setValue("NAME", investors.valueAt(i, name));
        entries_.post();
        ++added;
    }
    return added;
}

bool AddressBook::removeCurrent() {
    if (entries_.isEmpty()) return false;
    if (!port::askDelete(prompter_, {entries_.text("PYCODE"), entries_.text("NAME"), entries_.text("TEL")}))
        return false;
    storage::Action action(engine_);
    entries_.remove();
    return true;
}

bool AddressBook::copyCurrent() {
    if (entries_.isEmpty()) return false;
    storage::Action action(engine_);
    std::vector<Value> values;
    for (const char* f : kFields) values.push_back(entries_.value(f));
    entries_.append();
    for (std::size_t i = 0; i < values.size(); ++i) entries_.setValue(kFields[i], values[i]);
    entries_.post();
    return true;
}

bool AddressBook::appendEntry(std::string_view field, const Value& value) {
    return storage::appendTypedRow(engine_, entries_, field, value);
}

void AddressBook::print(std::string_view fundName, const port::DateTime& printed,
                        port::ReportSink& sink) const {
    const storage::Cursor& c = entries_;
    const auto field = [&c](int row, const char* name) {
        return c.valueAt(row, c.fieldIndex(name)).toString();
    };
    writePagedListing(
        "                                     " + std::string(fundName) + "投资人通讯录", heading(),
        c.count(),
        [&](int row) {
            using text::s10;
            return s10(field(row, "PYCODE"), 6) + s10(field(row, "NAME"), 8) + s10(field(row, "TEL"), 20) +
                   s10(field(row, "TEL2"), 16) + s10(field(row, "PC"), 7) + field(row, "ADDR");
        },
        printed, sink);
}

}  // namespace varneth::fund
