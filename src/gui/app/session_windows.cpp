#include "app/session_windows.h"

#include "accounts/linked_program_window.h"
#include "app/evening_job.h"
#include "app/main_window.h"
#include "fund/fund_management_window.h"
#include "fund/fund_window.h"
#include "history/history_window.h"
#include "ledger/capital_transfer_window.h"
#include "ledger/corporate_actions_window.h"
#include "ledger/holdings_editor_window.h"
#include "ledger/new_cash_account_window.h"
#include "ledger/order_window.h"
#include "optimiser/game_window.h"
#include "optimiser/optimisation_window.h"
#include "prices/exchange_quotes_window.h"
#include "prices/price_window.h"
#include "reference/settings_window.h"
#include "stats/performance_window.h"
#include "stats/portfolio_window.h"
#include "ui/action_namer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

namespace {

void bringUp(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace

SessionWindows::SessionWindows(app::Session& session, MainWindow& main)
    : session_(session),
      main_(main),
      namer_(std::make_unique<ui::ActionNamer>()),
      editor_(std::make_unique<HoldingsEditorWindow>(session)),
      order_(std::make_unique<OrderWindow>(session, main.views())),
      fundWindow_(std::make_unique<FundWindow>(session.fund(), session.prompter(), session.programDir())),
      links_(std::make_unique<LinkedProgramWindow>(session)) {
    connect(editor_.get(), &HoldingsEditorWindow::closed, this, [this] { main_.views().up_open(); });
    connect(editor_.get(), &HoldingsEditorWindow::newCashAccountRequested, this,
            &SessionWindows::openNewCashAccount);
    session_.engine().setLabeller([this] {
        return storage::JournalLabel{session_.clock().now().iso(), session_.accountName(),
                                     namer_->lastName()};
    });
    connect(fundWindow_.get(), &FundWindow::performanceRequested, this, &SessionWindows::openPerformance);
    connect(fundWindow_.get(), &FundWindow::transferRequested, this, &SessionWindows::openCapitalTransfer);
    connect(editor_.get(), &HoldingsEditorWindow::pricesRequested, this,
            [this] { settingsWindow().execOnTab(SettingsWindow::kPricesTab); });
    connect(fundWindow_.get(), &FundWindow::managementRequested, this, &SessionWindows::openFundManagement);
    routeMainWindow();
}

SessionWindows::~SessionWindows() {
    session_.engine().setLabeller(nullptr);
    history_.reset();
    hiddenGame_.reset();
    optimiser_.reset();
    delete newCashAccount_.data();
    delete corporateActions_.data();
    delete priceWindow_.data();
    delete exchange_.data();
}

void SessionWindows::routeMainWindow() {
    using Route = MainWindow::Route;
    main_.setOrderWindowOpener([this](const ledger::DetailRow& row) { order_->openOn(row); });
    main_.setRoute(Route::HoldingsEditor, [this] { openHoldingsEditor(); });
    main_.setRoute(Route::Fund, [this] { openFund(); });
    main_.setRoute(Route::History, [this] { openHistory(); });
    main_.setRoute(Route::FundManagement, [this] {
        openFund();
        fundWindow_->management();
    });
    main_.setRoute(Route::UpdatePrices, [this] { updatePrices(); });
    main_.setRoute(Route::Performance, [this] { openPerformance(); });
    main_.setRoute(Route::PortfolioStatistics, [this] { openPortfolio(); });
    main_.setRoute(Route::CapitalTransfer, [this] { openCapitalTransfer(); });
    main_.setRoute(Route::CorporateActions, [this] { openCorporateActions(); });
    main_.setRoute(Route::ReadQuotes, [this] { openPriceWindow(); });
    main_.setRoute(Route::LinkedProgramSettings, [this] { links_->showCentred(); });
    main_.setRoute(Route::Optimiser, [this] { openOptimiser(); });
    main_.setRoute(Route::Settings, [this] { settingsWindow().showCentred(); });
    main_.setRoute(Route::ExchangeQuotes, [this] { openExchangeQuotes(); });
    main_.setRoute(Route::StartLinkedProgram, [this] { links_->startLinkedProgram(main_.launcher()); });
}

// The editor opens on the ledger row the main window's detail list points at. The row is found once
// the editor is up: showing it revalues the book, which walks the ledger to its end.
void SessionWindows::openHoldingsEditor() {
    storage::Cursor& ledger = session_.holdings().ledger();
    ledger.refresh();
    const auto row = main_.views().currentDetail();
    bringUp(*editor_);
    if (row) ledger.locate("qsdm;zjzh;gddm;code;amt", {row->qsdm, row->zjzh, row->gddm, row->code, row->amt});
}

void SessionWindows::openNewCashAccount() {
    delete newCashAccount_.data();
    newCashAccount_ = new NewCashAccountWindow(session_);
    newCashAccount_->showCentred();
}

void SessionWindows::openFund() {
    session_.fund().table().last();
    bringUp(*fundWindow_);
}

void SessionWindows::openHistory() {
    if (!history_) {
        history_ = std::make_unique<HistoryWindow>(session_);
        connect(history_.get(), &HistoryWindow::undone, this, &SessionWindows::reopenAfterUndo);
    }
    bringUp(*history_);
}

// The tables were re-read; the views and the windows that show what they computed from them are
// opened again. The holdings editor shows its tables as they stand: reopening it would value the
// book anew and so redo what was just undone.
void SessionWindows::reopenAfterUndo() {
    main_.views().reopen();
    for (QWidget* window : {static_cast<QWidget*>(order_.get()), static_cast<QWidget*>(fundWindow_.get())}) {
        if (!window->isVisible()) continue;
        window->hide();
        window->show();
    }
}

// The price tool button: today's fund price, the price list from the general table, the list's
// prices into the holdings, then the views over the revalued book.
void SessionWindows::updatePrices() {
    {
        const ui::WaitCursor wait;
        app::updatePrices(session_.fund(), settingsWindow().maintenance());
    }
    main_.views().reopen();
}

void SessionWindows::openPerformance() {
    if (!performance_)
        performance_ = std::make_unique<PerformanceWindow>(session_.engine(), session_.prompter(),
                                                           session_.clock(), session_.programDir(), &main_);
    performance_->exec();
}

void SessionWindows::openPortfolio() {
    if (!portfolio_) portfolio_ = std::make_unique<PortfolioWindow>(session_, &main_);
    bringUp(*portfolio_);
}

// Created once: the display choice and the selected investor stay between showings.
void SessionWindows::openFundManagement() {
    if (!management_) management_ = std::make_unique<FundManagementWindow>(session_);
    bringUp(*management_);
}

void SessionWindows::openCapitalTransfer() {
    if (!transferWindow_) {
        transfer_ = std::make_unique<ledger::CapitalTransfer>(
            session_.engine(), session_.lookups(), session_.fund(), session_.prompter(), session_.clock());
        transferWindow_ = std::make_unique<CapitalTransferWindow>(*transfer_, session_.prompter());
    }
    bringUp(*transferWindow_);
}

void SessionWindows::openCorporateActions() {
    delete corporateActions_.data();
    corporateActions_ = new CorporateActionsWindow(session_);
    connect(corporateActions_.data(), &CorporateActionsWindow::ledgerChanged, this,
            [this] { main_.views().up_open(); });
    corporateActions_->showCentred();
}

PriceWindow* SessionWindows::priceWindow() const {
    return priceWindow_.data();
}

// "更新价格" and F9: a fresh price window; what it changes shows in the main window's views.
void SessionWindows::openPriceWindow() {
    delete priceWindow_.data();
    priceWindow_ = new PriceWindow(session_);
    connect(priceWindow_.data(), &PriceWindow::holdingsChanged, this, [this] { main_.views().reopen(); });
    connect(priceWindow_.data(), &PriceWindow::closed, this, [this] { main_.views().up_open(); });
    priceWindow_->showCentred();
}

// A window still in use comes to the front as it is; a closed one is made afresh, so that its
// grouping and portfolio follow the book.
void SessionWindows::openOptimiser() {
    if (optimiser_ && optimiser_->inUse()) {
        bringUp(*optimiser_);
        return;
    }
    hiddenGame_.reset();
    optimiser_.reset();
    {
        const ui::WaitCursor wait;
        optimiser_ = std::make_unique<OptimisationWindow>(session_);
        hiddenGame_ = std::make_unique<GameWindow>(optimiser_->optimisation(), optimiser_->random(),
                                                   session_.prompter(), session_.programDir());
        hiddenGame_->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    bringUp(*optimiser_);
}

SettingsWindow& SessionWindows::settingsWindow() {
    if (!settings_) {
        settings_ = std::make_unique<SettingsWindow>(session_);
        connect(settings_.get(), &SettingsWindow::holdingsChanged, this, [this] { main_.views().reopen(); });
    }
    return *settings_;
}

ExchangeQuotesWindow* SessionWindows::exchangeWindow() const {
    return exchange_.data();
}

void SessionWindows::openExchangeQuotes() {
    delete exchange_.data();
    exchange_ = new ExchangeQuotesWindow(session_, main_.launcher());
    connect(exchange_.data(), &ExchangeQuotesWindow::holdingsChanged, this,
            [this] { main_.views().reopen(); });
    connect(exchange_.data(), &ExchangeQuotesWindow::holdingsPricesRequested, this,
            [this] { settingsWindow().showCentred(SettingsWindow::kPricesTab); });
    exchange_->showCentred();
}

}  // namespace varneth::gui
