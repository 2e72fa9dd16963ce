#pragma once

#include <QWidget>

#include "app/session.h"
#include "ledger/cash_account.h"

class QComboBox;
class QLineEdit;

namespace varneth::gui {

// "新建资金帐户": a cash account's currency and its cash row. Shown without blocking the holdings
// editor that opens it; it stays open after an account is made.
class NewCashAccountWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kNote =
        "注意：也可以在持仓编辑窗口通过复制和修改记录建立新的资金帐户和股东帐户；股东帐户不必单独建立，"
        "在买卖记录处理窗口输入股东代码后，系统便有了股东帐户信息。";
    static constexpr const char* kNotYet = "货币定义窗口暂未提供，请以后再用“新定义”。";

    explicit NewCashAccountWindow(app::Session& session, QWidget* parent = nullptr);

    // Opens centred on the screen.
    void showCentred();

private:
    void brokerPicked(int index);
    void ok();
    void help();

    app::Session& session_;
    ledger::CashAccount account_;
    QComboBox* brokers_ = nullptr;
    QLineEdit* qsdm_ = nullptr;
    QLineEdit* qs_ = nullptr;
    QLineEdit* zjzh_ = nullptr;
    QLineEdit* amt_ = nullptr;
    QComboBox* currency_ = nullptr;
};

}  // namespace varneth::gui
