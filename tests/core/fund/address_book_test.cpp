#include "fund/address_book.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fund/paged_listing.h"
#include "investors_fixture.h"

using namespace varneth;
using fund::AddressBook;

namespace {

using Texts = std::vector<std::string>;

class AddressBookTest : public testsupport::InvestorsFixture {
protected:
    AddressBook& book() {
        if (!bk) bk = std::make_unique<AddressBook>(engine, prompter);
        return *bk;
    }
    void entry(const std::string& code, const std::string& name, std::initializer_list<Field> more = {}) {
        storage::Cursor& e = book().entries();
        e.append();
        e.setValue("PYCODE", code);
        e.setValue("NAME", name);
        for (const auto& [f, v] : more) e.setValue(f, v);
        e.post();
    }
    void buy(const std::string& dt, const std::string& code, const std::string& name,
             const char* xabc = "y") {
        add(dt, code, 100, {{"NAME", name}, {"UNIT", 100.0}, {"PRICE", 1.0}, {"XABC", xabc}, {"CZXH", 0}});
    }
    Texts names(const std::string& code) {
        Texts out;
        for (int i = 0; i < count(); ++i)
            if (textAt(i, "PYCODE") == code) out.push_back(textAt(i, "NAME"));
        return out;
    }
    Texts codes() {
        Texts out;
        storage::Cursor& e = book().entries();
        for (int i = 0; i < e.count(); ++i) out.push_back(e.valueAt(i, e.fieldIndex("PYCODE")).toString());
        return out;
    }
    static std::string golden(const char* name) {
        std::ifstream in(std::filesystem::path(VARNETH_CORE_TEST_DIR "/fund") / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::unique_ptr<AddressBook> bk;
};

TEST_F(AddressBookTest, LedgerNamesComeFromTheBookButNeverForMarketOrTransferRowsOrFromABlankName) {
    base("2026-01-01");
    buy("2026-02-01", "lxh", "lx");
    buy("2026-03-01", "lxh", "");
    buy("2026-02-01", "oycq", "oy");
    buy("2026-02-01", "wjg", "王建国");
    add("2026-02-02", "$12", 100, {{"NAME", "转帐"}});
    add("2026-02-03", "***", 0, {{"NAME", "市场"}, {"PRICE", 1.0}});
    entry("lxh", "李晓红");
    entry("oycq", "欧阳长青");  // eight bytes into a ledger name of six
    entry("wjg", "");
    entry("$12", "张三");
    entry("***", "李四");
    EXPECT_EQ(book().fillNames(), 3);
    EXPECT_EQ(names("lxh"), (Texts{"李晓红", "李晓红"}));
    EXPECT_EQ(names("oycq"), Texts{"欧阳长"});
    EXPECT_EQ(names("wjg"), Texts{"王建国"});
    EXPECT_EQ(names("$12"), Texts{"转帐"});
    EXPECT_EQ(names("***"), Texts{"市场"});
    EXPECT_EQ(book().fillNames(), 0);  // nothing left to change
}

TEST_F(AddressBookTest, TheChosenEntryRenamesOnlyItsOwnRowsAndAnUnknownCodeIsRefused) {
    base("2026-01-01");
    buy("2026-02-01", "lxh", "");
    buy("2026-02-01", "wjg", "");
    entry("lxh", "李晓红");
    entry("wjg", "王建国");
    EXPECT_FALSE(book().select("nobody"));
    EXPECT_EQ(prompter.messages, Texts{"投资人代码nobody不存在,放弃操作。"});
    ASSERT_TRUE(book().select("wjg"));
    int renamed = 0;
    ASSERT_TRUE(book().fillNamesOfCurrent(&renamed));
    EXPECT_EQ(renamed, 1);
    EXPECT_EQ(names("wjg"), Texts{"王建国"});
    EXPECT_EQ(names("lxh"), Texts{""});
}

TEST_F(AddressBookTest, InvestorsOfTheGridAreAddedOnceEach) {
    defineType("a", {});
    base("2026-01-01");
    buy("2026-02-01", "lxh", "李晓红");
    buy("2026-02-02", "lxh", "李晓红", "a");  // a second row of the grid for the same investor
    buy("2026-02-01", "wjg", "王建国");
    add("2026-02-02", "$12", 100, {{"NAME", "转帐"}, {"PRICE", 1.0}, {"UNIT", 100.0}, {"CZXH", 0}});
    add("2026-12-07", "***", 0, {{"PRICE", 1.0}, {"FUND", 0.0}});
    entry("wjg", "王建国", {{"TEL", "010-1"}});
    manager().show();
    EXPECT_EQ(book().fillFromInvestors(manager().investors()), 2);
    EXPECT_EQ(codes(), (Texts{"@@@", "lxh", "wjg"}));
    ASSERT_TRUE(book().select("lxh"));
    EXPECT_EQ(book().entries().text("NAME"), "李晓红");
    EXPECT_EQ(book().fillFromInvestors(manager().investors()), 0);
}

TEST_F(AddressBookTest, DeleteAsksFirstAndCopyDuplicatesEveryField) {
    entry("lxh", "李晓红",
          {{"YJZ", "zwm"}, {"PER", 0.01}, {"TEL", "139"}, {"PC", "200120"}, {"ADDR", "上海"}});
    ASSERT_TRUE(book().select("lxh"));
    ASSERT_TRUE(book().copyCurrent());
    storage::Cursor& e = book().entries();
    ASSERT_EQ(e.count(), 2);
    for (const char* f : {"PYCODE", "NAME", "YJZ", "PER", "TEL", "PC", "ADDR"})
        EXPECT_EQ(e.valueAt(1, e.fieldIndex(f)).compare(e.valueAt(0, e.fieldIndex(f))), 0) << f;
    prompter.expectAnswers({false, true});
    EXPECT_FALSE(book().removeCurrent());
    EXPECT_EQ(e.count(), 2);
    EXPECT_TRUE(book().removeCurrent());
    EXPECT_EQ(e.count(), 1);
    EXPECT_EQ(prompter.questions.front(), "删除记录：lxh 李晓红 139？");
}

TEST_F(AddressBookTest, PrintoutFollowsTheChosenOrder) {
    entry("zwm", "张伟明",
          {{"TEL", "13801234567"}, {"TEL2", "021-58881234"}, {"PC", "200031"}, {"ADDR", "上海市徐汇区"}});
    entry("chl", "陈海林",
          {{"TEL", "0755-83216688"}, {"TEL2", "chl@example.com"}, {"PC", "518048"}, {"ADDR", "深圳"}});
    entry("lxh", "李晓红",
          {{"TEL", "13916082345"}, {"TEL2", "a-very-long-address@example.com"}, {"PC", "200120"}});
    book().setOrder(AddressBook::Order::Pcpy);
    port::MemoryReport report;
    book().print("示范基金", clock.now(), report);
    EXPECT_EQ(report.text(), golden("address_book_report.txt"));
}

TEST_F(AddressBookTest, PagesHoldFiftyEntries) {
    for (int i = 0; i < 120; ++i) entry("c" + std::to_string(1000 + i), "名");
    port::MemoryReport report;
    book().print("F", clock.now(), report);
    ASSERT_EQ(report.pages.size(), 3u);
    // Six heading lines; then the entries and a rule; nine blank lines after a full page.
    EXPECT_EQ(report.pages[0].size(), 6u + 50 + 1 + 9);
    EXPECT_EQ(report.pages[1].size(), 6u + 50 + 1 + 9);
    EXPECT_EQ(report.pages[2].size(), 6u + 20 + 1);
    EXPECT_EQ(report.pages[2][2], "                         第3页， 共3页   打印时间:2026-12-07 15:30:00");
    EXPECT_EQ(report.pages[2][6].substr(0, 5), "c1100");
    EXPECT_EQ(report.pages[2].back(), fund::reportRule());
}

}  // namespace
