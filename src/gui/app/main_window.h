#pragma once

#include <QMainWindow>
#include <memory>

#include "app/session.h"
#include "storage/cursor.h"

class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// The hub of a logged-in account: the ledger and the ways to the other windows. It routes and
// never computes. Leaving it is the login window's business: the window only asks.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Throws storage::Error when the account directory lacks the ledger.
    explicit MainWindow(app::Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    QTableView* ledgerView() const { return ledgerView_; }

signals:
    void logoutRequested();  // back to the login window
    void quitRequested();    // the program ends

protected:
    // Closing the window logs out, as "退出系统" does.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QWidget* buildButtons();
    void help(const QString& keyword);
    void helpContents();
    void about();

    app::Session& session_;
    storage::Cursor ledger_;
    std::unique_ptr<ui::CursorModel> ledgerModel_;  // before the cursor goes
    QTableView* ledgerView_ = nullptr;
};

}  // namespace varneth::gui
