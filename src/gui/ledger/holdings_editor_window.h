#pragma once

#include <QWidget>
#include <memory>

#include "app/session.h"
#include "ledger/holdings.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "手工编辑窗口": the ledger in an editable grid, the open holdings or the closed-out records, with the
// valuation's two totals above it and the editor's record operations, report and old-ledger copy.
// The holdings module it shows belongs to the session and must outlive the window.
class HoldingsEditorWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption =
        "手工编辑窗口--持仓平仓文件编辑及操作         注意: "
        "修改一记录后,光标换行方能保证修改有效！其他编辑窗口类似";

    explicit HoldingsEditorWindow(app::Session& session, QWidget* parent = nullptr);
    ~HoldingsEditorWindow() override;

    QTableView* grid() const { return grid_; }

signals:
    // "新建资金帐户": the window that makes a cash account is the caller's to open.
    void newCashAccountRequested();
    // "手工改价": the settings window, modal on its price tab, is the caller's to open.
    void pricesRequested();
    // The editor closed after its last valuation: the main window refreshes its views.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildSide();
    QPushButton* button(const char* text, void (HoldingsEditorWindow::*action)(), const char* hint = nullptr);
    void chooseView(ledger::Holdings::View view);
    void showState();  // labels, caption and buttons as the module stands
    void valuate();    // "更新计算"
    void removeRecord();
    void insertBlank();
    void copyRecord();
    void fillNames();
    void printReport();
    void copyOldLedger();
    void setPrices();
    void help();
    void editWth(bool startEditing);
    // Runs an operation on the ledger; an engine failure is told to the user, not thrown.
    template <class F>
    void guarded(F&& operation);

    app::Session& session_;
    ledger::Holdings& holdings_;
    std::unique_ptr<ui::CursorModel> model_;
    QTableView* grid_ = nullptr;
    QGroupBox* gridGroup_ = nullptr;
    QLabel* marketLabel_ = nullptr;
    QLabel* discountLabel_ = nullptr;
    QRadioButton* holdingsChoice_ = nullptr;
    QRadioButton* closedChoice_ = nullptr;
    QPushButton* valuateButton_ = nullptr;
    QPushButton* pricesButton_ = nullptr;
    bool centred_ = false;
};

}  // namespace varneth::gui
