#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>

#include "fund/fund_ledger.h"
#include "port/prompter.h"

class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "基金业绩计算窗口": the fund ledger in an editable grid and the buttons of its computations. Showing
// it brings today's market row and the tail's prices up to date. The performance chart and the
// capital transfer window belong to the main window, which answers the two requests. The fund
// module must outlive the window.
class FundWindow : public QWidget {
    Q_OBJECT
public:
    FundWindow(fund::FundLedger& fund, port::Prompter& prompter, std::filesystem::path programDir,
               QWidget* parent = nullptr);
    ~FundWindow() override;

    QTableView* grid() const { return grid_; }
    // "基金管理", which the main window's tool button also runs.
    void management();

signals:
    void performanceRequested();  // "看业绩比较"
    void transferRequested();     // "资金转帐"
    void managementRequested();   // "基金管理", once the fund price is up to date

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildButtons();
    QWidget* buildRecordGroup();
    void recompute();
    void compress();
    void printReport();
    void completeNames();
    void removeRow();
    void help();
    // Runs a core action; a storage failure is told to the user, not thrown.
    template <class F>
    void guarded(F&& action);

    fund::FundLedger& fund_;
    port::Prompter& prompter_;
    std::filesystem::path programDir_;
    std::unique_ptr<ui::CursorModel> model_;
    QTableView* grid_ = nullptr;
};

}  // namespace varneth::gui
