#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "app/session.h"
#include "fund/cash_account_report.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "各资金帐户报告": the money brought in per cash account against what the account holds.
class CashAccountTab : public QWidget {
    Q_OBJECT
public:
    using FundName = std::function<std::string()>;
    CashAccountTab(app::Session& session, FundName fundName, QWidget* parent = nullptr);
    ~CashAccountTab() override;

    fund::CashAccounts& accounts() { return accounts_; }
    // The grids read again, on "stxj".
    void reload();
    QLineEdit* codeBox() const { return code_; }
    QLineEdit* amountBox() const { return amount_; }
    QLineEdit* valueBox() const { return value_; }
    QLabel* firstLabel() const { return first_; }
    QLabel* secondLabel() const { return second_; }
    QTableView* holdingsGrid() const { return holdingsGrid_; }

private:
    void showSelected();
    void print();

    app::Session& session_;
    FundName fundName_;
    fund::CashAccounts accounts_;
    std::unique_ptr<ui::CursorModel> accountModel_, movementModel_, holdingsModel_;
    QTableView* holdingsGrid_ = nullptr;
    QLineEdit *code_ = nullptr, *amount_ = nullptr, *value_ = nullptr;
    QLabel *first_ = nullptr, *second_ = nullptr;
    QCheckBox* details_ = nullptr;
    bool following_ = false;
};

}  // namespace varneth::gui
