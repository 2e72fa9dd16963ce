// The layout of every table of the product: file names, fields in file order, widths in GBK bytes,
// Paradox keys and dBASE index tags.
#include "storage/names.h"
#include "storage/schema.h"

namespace varneth::storage {

namespace {

FieldDef text(const char* name, int width) {
    return {name, FieldType::Text, width};
}
FieldDef number(const char* name) {
    return {name, FieldType::Number, 0};
}
FieldDef integer(const char* name) {
    return {name, FieldType::Integer, 0};
}
FieldDef date(const char* name) {
    return {name, FieldType::Date, 0};
}
FieldDef logical(const char* name) {
    return {name, FieldType::Logical, 0};
}

TableDef paradox(const char* name, Alias alias, std::vector<FieldDef> fields, std::vector<std::string> key) {
    TableDef t;
    t.name = name;
    t.alias = alias;
    t.kind = TableKind::Paradox;
    t.fields = std::move(fields);
    t.primaryKey = std::move(key);
    return t;
}

TableDef dbase(const char* name, Alias alias, std::vector<FieldDef> fields,
               std::vector<OrderingDef> orderings = {}) {
    TableDef t;
    t.name = name;
    t.alias = alias;
    t.kind = TableKind::DBase;
    t.fields = std::move(fields);
    t.orderings = std::move(orderings);
    return t;
}

// Closed-out rows carry "P" + yyyymmddhh; the "0???" rows are the unmatched part of a sell, filed
// with them. Every other row (holdings, orders, cash, manual and total rows) is the holdings view.
// ("\?" keeps "??'" from reading as a trigraph.)
constexpr const char* kClosedOut = "(wth>'P' and wth<'PA') or wth='0\?\?\?'";

// ---- private tables of an account (kvt) ----

// The whole book: holdings, unconfirmed orders, frozen cash, cash, closed-out rows and the two
// total rows, told apart by the markers in WTH, CODE and LX.
TableDef ledger() {
    return dbase("tr2.DBF", Alias::Kvt,
                 {text("WTH", 11),   text("QSDM", 4),   text("QS", 6),    text("GDDM", 10), text("ZJZH", 8),
                  text("CODE", 6),   text("NAME", 8),   number("AMT"),    number("PRICE1"), date("DATE1"),
                  number("PRICE2"),  date("DATE2"),     number("COST1"),  number("COST2"),  number("INCOME"),
                  number("INC"),     number("PER"),     text("NOTE", 10), number("SXF"),    number("YHS"),
                  text("CJ_DH", 11), number("ZK_RATE"), text("LXM", 6),   integer("BS"),    number("BIRATE"),
                  text("LX", 3)},
                 {{"No_PC", {"QSDM", "ZJZH", "GDDM"}, std::string("not (") + kClosedOut + ")"},
                  {"For_PC", {"WTH", "CODE"}, kClosedOut}});
}

// Fund units: capital in and out of investors, the manager and other accounts, and the market's
// daily gain, with the fund price after each row.
TableDef fundLedger() {
    return paradox("Fund2.DB", Alias::Kvt,
                   {date("DT"),      integer("Num"),   text("PYCODE", 6), text("NAME", 6),   text("QSDM", 4),
                    text("ZJZH", 8), number("INPUT"),  text("XABC", 2),   number("UNIT"),    number("FUND"),
                    number("INC"),   number("PRICE"),  number("SZ"),      number("SHZ"),     number("DMONEY"),
                    integer("CZXH"), text("NOTE", 20), text("B1", 1),     number("L_PRICE"), number("PER")},
                   {"DT", "PYCODE", "Num", "CZXH", "XABC", "B1"});
}

// Commission candidates, rebuilt by every search over the live investments.
TableDef commissions() {
    // Two deposits of one investor on one day of one type and amount give identical rows here (the
    // fund ledger tells them apart only by Num, which this table lacks): no key, rows in the order
    // the search writes them.
    return paradox("tich.DB", Alias::Kvt,
                   {date("DT"), text("PYCODE", 6), text("NAME", 6), text("XABC", 2), number("INPUT"),
                    number("UNIT"), number("PRICE"), number("L_PRICE"), number("FUND"), number("PER"),
                    number("DMONEY"), number("Tich"), number("Bxfund"), number("Czxh")},
                   {});
}

// Investors' addresses and who introduced them.
TableDef addressBook() {
    return dbase("addr.dbf", Alias::Kvt,
                 {text("PYCODE", 6), text("NAME", 8), text("YJZ", 6), number("PER"), text("TEL", 18),
                  text("TEL2", 18), text("PC", 6), text("ADDR", 36)},
                 {{"pycode", {"PYCODE"}, ""}, {"pcpy", {"PC", "PYCODE"}, ""}});
}

// Currencies of the account; the row with Now true is the settlement currency (rate 1).
TableDef currencies() {
    return paradox("bi.db", Alias::Kvt, {text("Code", 4), text("Name", 6), number("Rate"), logical("Now")},
                   {"Code"});
}

// The currency of each cash account (one row per broker and cash account).
TableDef accountCurrencies() {
    return paradox("zh_bi.db", Alias::Kvt, {text("Qsdm", 4), text("Zjzh", 8), text("Bicode", 4)},
                   {"Qsdm", "Zjzh"});
}

// Bonus shares, rights issues and dividends, with what applying each did.
TableDef corporateActions() {
    return paradox("sph.db", Alias::Kvt,
                   {date("Dj_date"), text("Code", 6), text("Name", 9), text("Sph", 1), number("Num"),
                    number("Price"), number("Tax"), text("Amt1", 10), text("Amt2", 9), text("Amt12", 10)},
                   {"Dj_date", "Code"});
}

// The optimiser's group of each security held.
TableDef groups() {
    // Rows are added only for codes not yet listed, so the code alone is unique.
    return paradox("groups.db", Alias::Kvt,
                   {integer("Group"), text("Code", 6), text("Name", 8), text("Lx", 3)}, {"Code"});
}

// Group numbers per type, or per type and contract for margin-traded types (Code empty on a
// per-type row).
TableDef divisions() {
    // A per-type row has an empty Code, so (Lx, Code) covers both kinds of row.
    return paradox("devision.DB", Alias::Kvt,
                   {text("Lx", 3), text("Lxm", 8), text("Code", 6), text("Name", 8), integer("Group")},
                   {"Lx", "Code"});
}

// ---- shared tables of the program directory (curr) ----

// Managing accounts: name, password hash and the account's directory.
TableDef accounts() {
    // Passwords are kept as libsodium crypto_pwhash_str hashes (about 100 characters), never as typed.
    return paradox("z.db", Alias::Curr,
                   {text("User_name", 8), text("User_password", 128), text("Subdir", 8), logical("Now")},
                   {"User_name", "User_password"});
}

// Security types with their discount, fee, stamp-duty and margin rates.
TableDef securityTypes() {
    TableDef t = paradox("lx.DB", Alias::Curr,
                         {text("Lx", 3), text("Lxm", 8), number("Zk_rate"), number("Sxf_rate"),
                          number("Yhs_rate"), number("Bzj_rate"), logical("Oversell")},
                         {"Lx"});
    // The type table is shown and searched by margin rate, then code.
    t.orderings = {{"Bzj_rate", {"Bzj_rate", "Lx"}, ""}};
    return t;
}

// Brokers.
TableDef brokers() {
    // Widths as the ledger holds broker code and name.
    return paradox("qs.db", Alias::Curr, {text("Qsdm", 4), text("Qs", 6)}, {"Qsdm"});
}

// Names and latest prices of the codes the accounts hold.
TableDef heldPrices() {
    // Widths as the ledger holds code and name.
    return dbase("code_N_P.DBF", Alias::Curr, {text("code", 6), text("name", 8), number("price2")},
                 {{"CODE", {"code"}, ""}});
}

// Code ranges that give a security its type, tried in match order.
TableDef codeTypeRules() {
    return dbase("code_to_lx.DBF", Alias::Curr,
                 {integer("Order"), text("Code1", 6), text("Code2", 6), text("Lx", 3), text("Lxm", 6)},
                 {{"ORDER", {"Order"}, ""}});
}

// Every code of the market with its short name and latest price.
TableDef marketPrices() {
    return dbase("allstocks.DBF", Alias::Curr, {text("CODE", 6), text("NAME", 10), number("PRICE")},
                 {{"CODE", {"CODE"}, ""}});
}

// Quote-software packages: where their day-K-line files and code tables lie and how they are laid
// out; NOW marks the source in use. Walked in natural order.
TableDef quoteSources() {
    return dbase("hq_path.DBF", Alias::Curr,
                 {text("HQCODE", 8),      text("HQNAME", 10),   text("SHSUBPATH", 20), text("SZSUBPATH", 20),
                  text("NOTE", 25),       logical("NOW"),       text("SZHEAD", 3),     text("SHHEAD", 3),
                  text("TAIL", 3),        number("LENGTH"),     text("TYPE", 1),       text("SZSUBTAB", 25),
                  integer("SZC1"),        integer("SZCLEN"),    integer("SZN1"),       integer("SZNLEN"),
                  integer("SZLEN"),       text("SHSUBTAB", 25), integer("SHC1"),       integer("SHCLEN"),
                  integer("SHN1"),        integer("SHNLEN"),    integer("SHLEN"),      text("SZCODEFILE", 15),
                  text("SHCODEFILE", 15), text("PATH", 60)});
}

// Named settings read by position: the two comparison indices (a name row followed by its code
// row) and the chart's start date. Walked in natural order.
TableDef settings() {
    return dbase("parameter.DBF", Alias::Curr, {text("NAME", 8), text("PARA", 30)});
}

// Investment types of the fund and their fee rules; "y" is the type without fees.
TableDef investmentTypes() {
    return paradox("TZLX.db", Alias::Curr,
                   {text("Xabc", 2), text("Note", 16), logical("C5"), number("E9"),  number("E10"),
                    logical("C2"),   number("E3"),     number("E4"),  logical("C3"), number("E5"),
                    number("E6"),    logical("C4"),    number("E7"),  number("E8"),  logical("C8"),
                    logical("C1"),   number("E1"),     number("E2"),  logical("C9"), number("E12"),
                    logical("C6"),   number("E11"),    number("E13"), logical("C7"), logical("Now")},
                   {"Xabc"});
}

// External order programs that the main window can start; Now marks the one chosen last.
TableDef linkedPrograms() {
    // The list is looked up by Path, but two programs may share a directory: Path and Name identify
    // the program file, and Wtrj keeps two entries for one file apart. Path and Name take what the
    // platform's file system allows: 25 bytes cut an ordinary home directory short.
    return paradox("wt_path.DB", Alias::Curr,
                   {text("Path", 255), text("Name", 255), text("Wtrj", 10), logical("Now")},
                   {"Path", "Name", "Wtrj"});
}

std::vector<TableDef> build() {
    return {ledger(),     fundLedger(),        commissions(),      addressBook(),
            currencies(), accountCurrencies(), corporateActions(), groups(),
            divisions(),  accounts(),          securityTypes(),    brokers(),
            heldPrices(), codeTypeRules(),     marketPrices(),     quoteSources(),
            settings(),   investmentTypes(),   linkedPrograms()};
}

}  // namespace

const std::vector<TableDef>& allTables() {
    static const std::vector<TableDef> tables = build();
    return tables;
}

bool isSecret(std::string_view table, std::string_view field) {
    return sameName(table, "z.db") && sameName(field, "User_password");
}

const TableDef* findTable(std::string_view name) {
    for (const auto& t : allTables())
        if (sameName(t.name, name)) return &t;
    return nullptr;
}

}  // namespace varneth::storage
