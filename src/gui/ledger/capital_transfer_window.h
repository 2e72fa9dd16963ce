#pragma once

#include <QWidget>

#include "ledger/capital_transfer.h"
#include "port/prompter.h"

class QComboBox;
class QLineEdit;

namespace varneth::gui {

// "资金转帐": the two groups of boxes over ledger::CapitalTransfer, whose lists fill the drop-downs
// once, when the window is made. The core object must outlive the window.
class CapitalTransferWindow : public QWidget {
    Q_OBJECT
public:
    CapitalTransferWindow(ledger::CapitalTransfer& transfer, port::Prompter& prompter,
                          QWidget* parent = nullptr);

    // The boxes, for the window's owner and tests.
    QComboBox* fromBox() const { return from_; }
    QComboBox* toBox() const { return to_; }
    QLineEdit* amountBox() const { return amount_; }
    QComboBox* investorBox() const { return investor_; }
    QLineEdit* nameBox() const { return name_; }
    QComboBox* accountBox() const { return account_; }
    QLineEdit* brokerBox() const { return broker_; }
    QLineEdit* investAmountBox() const { return investAmount_; }
    QComboBox* typeBox() const { return type_; }
    QLineEdit* investNoteBox() const { return investNote_; }

private:
    QWidget* buildTransferGroup();
    QWidget* buildInvestorGroup();
    QComboBox* accountList();
    void fillLists();
    void transfer();
    void invest();
    template <class F>
    void guarded(F&& action);

    ledger::CapitalTransfer& core_;
    port::Prompter& prompter_;
    QComboBox* from_ = nullptr;
    QComboBox* to_ = nullptr;
    QLineEdit* amount_ = nullptr;
    QLineEdit* note_ = nullptr;
    QComboBox* investor_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* account_ = nullptr;
    QLineEdit* broker_ = nullptr;
    QLineEdit* investAmount_ = nullptr;
    QComboBox* type_ = nullptr;
    QLineEdit* investNote_ = nullptr;
};

}  // namespace varneth::gui
