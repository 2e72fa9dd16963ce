#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "app/main_views.h"
#include "app/session.h"
#include "ledger/detail_row.h"
#include "port/launcher.h"

class QButtonGroup;
class QLabel;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// The hub of a logged-in account: the ledger's catalog and detail views and the ways to the other
// windows. It routes and never computes. Leaving it is the login window's business: the window
// only asks.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Throws storage::Error when the account directory lacks the ledger.
    explicit MainWindow(app::Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    app::MainViews& views() { return views_; }
    QTableView* catalogView() const { return catalogView_; }
    QTableView* detailView() const { return detailView_; }

    // The ways to other windows, each opened by whoever owns that window. An entry without a route
    // says the program does not offer it yet, so no button is silently dead.
    enum class Route {
        ChangePassword,
        AdministerAccounts,  // asked only from "我的帐户"
        CopyFiles,
        Settings,
        LinkedProgramSettings,
        ReadQuotes,
        ExchangeQuotes,
        CapitalTransfer,
        CorporateActions,
        PortfolioStatistics,
        Performance,
        Fund,
        FundManagement,
        UpdatePrices,
        HoldingsEditor,
        StartLinkedProgram,
        Optimiser,
        History,
        Count
    };
    void setRoute(Route route, std::function<void()> open) {
        routes_[static_cast<int>(route)] = std::move(open);
    }
    void setOrderWindowOpener(std::function<void(const ledger::DetailRow&)> open) {
        openOrderWindow_ = std::move(open);
    }
    void setLauncher(port::Launcher& launcher) { launcher_ = &launcher; }
    port::Launcher& launcher() { return *launcher_; }

signals:
    void logoutRequested();  // back to the login window
    void quitRequested();    // the program ends

protected:
    // Closing the window logs out, as "退出系统" does.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    QWidget* buildSidePanel();
    void viewsReopened();
    void showStatus();
    void choose(int choice);
    void orderWindow();
    void administerAccounts();
    void go(Route route);
    std::function<void()> routeTo(Route route);
    void say(std::string_view text);
    void help(const QString& keyword);
    void helpContents();
    void about();

    app::Session& session_;
    app::MainViews views_;
    std::unique_ptr<ui::CursorModel> catalogModel_;  // before the views' cursors go
    std::unique_ptr<ui::CursorModel> detailModel_;
    QTableView* catalogView_ = nullptr;
    QTableView* detailView_ = nullptr;
    QButtonGroup* choices_ = nullptr;
    QLabel* valuedAt_ = nullptr;
    std::unique_ptr<port::Launcher> ownLauncher_;
    port::Launcher* launcher_ = nullptr;
    std::array<std::function<void()>, static_cast<int>(Route::Count)> routes_;
    std::function<void(const ledger::DetailRow&)> openOrderWindow_;
};

}  // namespace varneth::gui
