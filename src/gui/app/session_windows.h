#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "app/session.h"
#include "ledger/capital_transfer.h"

namespace varneth::ui {
class ActionNamer;
}

namespace varneth::gui {

class CapitalTransferWindow;
class CorporateActionsWindow;
class FundManagementWindow;
class FundWindow;
class GameWindow;
class HistoryWindow;
class HoldingsEditorWindow;
class LinkedProgramWindow;
class MainWindow;
class NewCashAccountWindow;
class OptimisationWindow;
class OrderWindow;
class PerformanceWindow;
class PortfolioWindow;
class PriceWindow;
class SettingsWindow;
class ExchangeQuotesWindow;

// The windows of one login: the long-lived ones made hidden at login (holdings editor, order window,
// fund window, linked-program settings) and the others made when the main window first asks for
// them. Everything here goes at logout, before the main window and the session it depends on.
class SessionWindows : public QObject {
    Q_OBJECT
public:
    SessionWindows(app::Session& session, MainWindow& main);
    ~SessionWindows() override;

    HoldingsEditorWindow& holdingsEditor() { return *editor_; }
    OrderWindow& orderWindow() { return *order_; }
    FundWindow& fundWindow() { return *fundWindow_; }
    LinkedProgramWindow& linkedPrograms() { return *links_; }
    PriceWindow* priceWindow() const;  // the one last opened, while it is open
    OptimisationWindow* optimiserWindow() const { return optimiser_.get(); }  // null until first opened
    SettingsWindow& settingsWindow();              // made on first use, kept until logout
    ExchangeQuotesWindow* exchangeWindow() const;  // the one last opened, while it is open
    FundManagementWindow* fundManagement() const { return management_.get(); }  // null until first opened

private:
    void routeMainWindow();
    void openHoldingsEditor();
    void openNewCashAccount();
    void openFund();
    void updatePrices();
    void openPerformance();
    void openPortfolio();
    void openCapitalTransfer();
    void openFundManagement();
    void openCorporateActions();
    void openPriceWindow();
    void openOptimiser();
    void openExchangeQuotes();
    void openHistory();
    void reopenAfterUndo();

    app::Session& session_;
    MainWindow& main_;
    std::unique_ptr<ui::ActionNamer> namer_;  // names the journal's entries by what was pressed
    std::unique_ptr<HoldingsEditorWindow> editor_;
    std::unique_ptr<OrderWindow> order_;
    std::unique_ptr<FundWindow> fundWindow_;
    std::unique_ptr<LinkedProgramWindow> links_;
    // These two delete themselves when closed.
    QPointer<NewCashAccountWindow> newCashAccount_;
    std::unique_ptr<PerformanceWindow> performance_;    // made once, shown again afterwards
    std::unique_ptr<PortfolioWindow> portfolio_;        // likewise
    std::unique_ptr<FundManagementWindow> management_;  // made once
    std::unique_ptr<ledger::CapitalTransfer> transfer_;
    std::unique_ptr<CapitalTransferWindow> transferWindow_;  // made once, its lists with it
    QPointer<CorporateActionsWindow> corporateActions_;      // a fresh one for each use
    QPointer<PriceWindow> priceWindow_;                      // a fresh one for each use
    // Made afresh when it is opened after being closed; the main window makes a hidden game window
    // with it.
    std::unique_ptr<OptimisationWindow> optimiser_;
    std::unique_ptr<GameWindow> hiddenGame_;
    std::unique_ptr<SettingsWindow> settings_;
    QPointer<ExchangeQuotesWindow> exchange_;  // a fresh one for each use
    std::unique_ptr<HistoryWindow> history_;   // made once, its list read afresh when shown
};

}  // namespace varneth::gui
