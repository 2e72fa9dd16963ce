#pragma once

#include <QWidget>
#include <memory>

#include "app/session.h"
#include "ledger/corporate_actions.h"

class QCheckBox;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "送股，配股和派发红利处理" (`Form_sp`): the account's bonus, rights and dividend entries, applied one
// at a time to the holdings. A fresh window for each use, destroyed when it closes.
class CorporateActionsWindow : public QWidget {
    Q_OBJECT
public:
    explicit CorporateActionsWindow(app::Session& session, QWidget* parent = nullptr);
    ~CorporateActionsWindow() override;

    ledger::CorporateActions& actions() { return actions_; }
    void showCentred();

signals:
    // An entry was applied: the holdings changed under the views that show them.
    void ledgerChanged();

private:
    QWidget* buildButtons();
    void apply();
    void help();
    // Runs a change of the entries; a storage::Error is told to the user, not thrown.
    template <class F>
    void guarded(F&& change);

    app::Session& session_;
    ledger::CorporateActions actions_;
    std::unique_ptr<ui::CursorModel> model_;
    QTableView* grid_ = nullptr;
    QCheckBox* changeCash_ = nullptr;
};

}  // namespace varneth::gui
