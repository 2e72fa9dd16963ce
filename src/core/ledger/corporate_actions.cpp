#include "ledger/corporate_actions.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "ledger/records.h"
#include "storage/database.h"
#include "storage/typed_row.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace varneth::ledger {

namespace fs = std::filesystem;

namespace {

// The fields an entry is made of; the processing results are not copied between lists.
constexpr const char* kEntryFields[] = {"Dj_date", "Code", "Name", "Sph", "Num", "Price", "Tax"};
// How many entries before the last one "取记录" looks at.
constexpr int kFetchStepBack = 10;

std::string whole(double x, const char* unit) {
    return text::shortestText(std::trunc(x)) + unit;
}

// The note of a holding gains the kind of action and its number per ten shares.
std::string marked(std::string note, const char* kind, const std::string& num) {
    note += kind;
    note += num;
    return note;
}

bool isSharedDirectory(const fs::path& accountDir, const fs::path& programDir) {
    fs::path dir = accountDir.lexically_normal();
    if (!dir.has_filename()) dir = dir.parent_path();
    std::error_code ec;
    return dir.filename() == CorporateActions::kSharedSubdir ||
           fs::equivalent(dir, programDir / CorporateActions::kSharedSubdir, ec);
}

}  // namespace

CorporateActions::CorporateActions(storage::Engine& engine, reference::GeneralPrices& prices,
                                   port::Prompter& prompter, fs::path programDir, const fs::path& accountDir)
    : engine_(engine),
      prices_(prices),
      prompter_(prompter),
      programDir_(std::move(programDir)),
      entries_(engine.database(storage::Alias::Kvt), "sph.db"),
      fetchEnabled_(!isSharedDirectory(accountDir, programDir_)) {
    entries_.first();
}

bool CorporateActions::apply(bool changeCash) {
    const std::string code = text::trim(entries_.text("Code"));
    const std::optional<std::string> recordDate = entries_.date("Dj_date");
    const double num = entries_.number("Num");
    if (code.empty() || !recordDate || num == 0) {
        prompter_.message(kIncomplete);
        return false;
    }
    if (!text::trim(entries_.text("Amt1")).empty()) {
        prompter_.message(kProcessedBefore);
        return false;
    }
    const std::string sph = entries_.text("Sph");
    // Told before the first holding is touched, and also when none qualifies: an entry of an
    // unknown kind is never recorded as processed.
    if (sph != "s" && sph != "p" && sph != "h") {
        prompter_.message(kBadType);
        return false;
    }
    const double price = entries_.number("Price");
    const double tax = entries_.number("Tax");
    // What x shares (or yuan) come to at Num per ten: multiplied before dividing, so that a whole
    // result stays whole. Through k = Num × 0.1 a rights issue of 3 on 1000 shares at 5 would take
    // 1500.0000000000002 from the cash row.
    const auto perTen = [num](double x) { return x * num / 10; };
    const std::string numText = text::shortestText(num);

    storage::Action action(engine_);
    storage::Database& kvt = engine_.database(storage::Alias::Kvt);
    storage::Cursor ledger(kvt, "tr2.DBF");
    ledger.setOrdering("No_PC");
    storage::Cursor cash(kvt, "tr2.DBF");
    // The cash row itself (WTH empty): a frozen-cash row of another order carries the same broker,
    // account and "xj", and comes before it in the holdings order.
    const auto moveCash = [&](double amount) {
        if (!changeCash) return;
        if (!cash.locate("QSDM;ZJZH;CODE;WTH",
                         {ledger.text("QSDM"), ledger.text("ZJZH"), std::string(kCashCode), ""}))
            return;
        cash.setValue("AMT", cash.number("AMT") + amount);
        cash.post();
    };

    int n = 0;
    double q = 0, d = 0;
    for (ledger.first(); !ledger.eof(); ledger.next()) {
        if (ledger.text("CODE") != code || !ledger.text("WTH").empty()) continue;
        if (const auto date1 = ledger.date("DATE1"); date1 && *date1 > *recordDate) continue;
        const double a = ledger.number("AMT");
        const double price1 = ledger.number("PRICE1");
        const std::string note = ledger.text("NOTE");
        q += a;
        ++n;
        if (sph == "s") {
            d += perTen(a);
            ledger.setValue("AMT", a + perTen(a));
            ledger.setValue("PRICE1", price1 / (1 + perTen(1)));
            ledger.setValue("NOTE", marked(note, "送", numText));
            ledger.post();
        } else if (sph == "p") {
            d += perTen(a);
            ledger.setValue("AMT", a + perTen(a));
            ledger.setValue("PRICE1", (10 * price1 + num * price) / (10 + num));
            ledger.setValue("NOTE", marked(note, "配", numText));
            ledger.post();
            moveCash(-perTen(price * a));
        } else {
            d += perTen(a) * (1 - tax);
            ledger.setValue("PRICE1", price1 - perTen(1 - tax));
            ledger.setValue("NOTE", marked(note, "派", numText));
            ledger.post();
            moveCash(perTen(a));
        }
    }

    entries_.setValue("Amt1", whole(q, "股"));
    if (sph == "h") {
        entries_.setValue("Amt2", whole(d, "元"));
        entries_.setValue("Amt12", whole(q, "股"));
    } else {
        entries_.setValue("Amt2", whole(d, "股"));
        entries_.setValue("Amt12", whole(q + d, "股"));
    }
    entries_.post();
    prompter_.message(std::to_string(n) + "个记录中有," + whole(q, "股；处理成功！"));
    return true;
}

bool CorporateActions::fillName() {
    storage::Action action(engine_);
    if (!entries_.locate("Name", {""})) return false;
    const std::string code = entries_.text("Code");
    std::string name = prices_.code_to_name(code);
    if (text::trim(name).empty()) name = code;
    entries_.setValue("Name", name);
    entries_.post();
    return true;
}

std::optional<int> CorporateActions::fetch() {
    if (!fetchEnabled_) {
        prompter_.message(kFetchHere);
        return std::nullopt;
    }
    // The shared list is read through a connection of its own: the aliases stay bound as they are.
    const fs::path sharedDir = programDir_ / kSharedSubdir;
    const fs::path file = sharedDir / storage::Database::kFileName;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        prompter_.message(std::string(kNoSharedList) + sharedDir.string());
        return std::nullopt;
    }
    storage::Database shared(file);
    if (!shared.hasTable("sph.db")) {
        prompter_.message(std::string(kNoSharedList) + sharedDir.string());
        return std::nullopt;
    }
    storage::Cursor theirs(shared, "sph.db");

    storage::Action action(engine_);
    storage::Cursor mine(engine_.database(storage::Alias::Kvt), "sph.db");
    int appended = 0;
    for (int i = std::max(0, theirs.count() - 1 - kFetchStepBack); i < theirs.count(); ++i) {
        theirs.moveTo(i);
        if (mine.findKey({theirs.value("Dj_date"), theirs.value("Code")})) continue;
        mine.append();
        for (const char* field : kEntryFields) mine.setValue(field, theirs.value(field));
        mine.post();
        ++appended;
    }
    entries_.first();
    return appended;
}

bool CorporateActions::removeEntry() {
    if (entries_.isEmpty()) return false;
    if (!port::askDelete(prompter_, {entries_.date("Dj_date").value_or(""), entries_.text("Code"),
                                     entries_.text("Name"), entries_.text("Sph")}))
        return false;
    storage::Action action(engine_);
    entries_.remove();
    return true;
}

bool CorporateActions::mayEdit(int position) {
    if (position < 0 || position >= entries_.count()) return true;
    const std::string applied = entries_.valueAt(position, entries_.fieldIndex("Amt1")).toString();
    return text::trim(applied).empty() || prompter_.ask(kEditProcessed);
}

bool CorporateActions::appendEntry(std::string_view field, const storage::Value& value) {
    return storage::appendTypedRow(engine_, entries_, field, value);
}

}  // namespace varneth::ledger
