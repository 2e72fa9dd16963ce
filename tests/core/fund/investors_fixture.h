#pragma once

#include <memory>
#include <string>

#include "fund/fund_manager.h"
#include "fund_fixture.h"

namespace varneth::testsupport {

// The fund ledger fixture with the investment types emptied down to the ones a case defines.
class InvestorsFixture : public FundFixture {
protected:
    void SetUp() override {
        FundFixture::SetUp();
        types = std::make_unique<storage::Cursor>(session->curr(), "TZLX.db");
        while (!types->isEmpty()) {
            types->first();
            types->remove();
        }
        defineType("y", {});
    }
    void defineType(const std::string& code, std::initializer_list<Field> fields) {
        types->append();
        types->setValue("Xabc", code);
        types->setValue("Note", "类型" + code);
        for (const auto& [f, v] : fields) types->setValue(f, v);
        types->post();
    }
    void base(const std::string& dt, double price = 1) {
        add(dt, "@@@", 0, {{"PRICE", price}, {"FUND", 0.0}, {"Num", 1}, {"NAME", "管理人"}, {"XABC", "y"}});
    }
    fund::FundManager& manager() {
        if (!mgr) mgr = std::make_unique<fund::FundManager>(engine, fund(), prompter, clock);
        return *mgr;
    }
    // The ledger row of this code, date and withdrawal number; -1 when there is none.
    int find(const std::string& pycode, const std::string& dt, int czxh, const char* b1 = "b") {
        for (int i = 0; i < count(); ++i)
            if (textAt(i, "PYCODE") == pycode && textAt(i, "DT") == dt && value(i, "CZXH").toInt() == czxh &&
                textAt(i, "B1") == b1)
                return i;
        return -1;
    }

    std::unique_ptr<storage::Cursor> types;
    std::unique_ptr<fund::FundManager> mgr;
};

}  // namespace varneth::testsupport
