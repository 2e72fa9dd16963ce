#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/session.h"
#include "fund/address_book.h"
#include "fund/fund_manager.h"

class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// The fund management window's "投资人通讯录" tab: the address book in an editable grid, the names
// the fund ledger takes from it, and its printout.
class AddressBookTab : public QWidget {
    Q_OBJECT
public:
    // `fundName` gives the name that heads the printout.
    AddressBookTab(app::Session& session, fund::FundManager& manager, std::function<std::string()> fundName,
                   QWidget* parent = nullptr);
    ~AddressBookTab() override;

    fund::AddressBook& book() { return book_; }

signals:
    void closeRequested();
    // The fund ledger's names changed.
    void namesChanged();

private:
    QWidget* buildButtons();
    void print();
    template <class F>
    void guarded(F&& change);

    app::Session& session_;
    fund::FundManager& manager_;
    std::function<std::string()> fundName_;
    fund::AddressBook book_;
    std::unique_ptr<ui::CursorModel> model_;
    QTableView* grid_ = nullptr;
};

}  // namespace varneth::gui
