#pragma once

#include <QWidget>
#include <filesystem>
#include <map>
#include <memory>

#include "app/session.h"
#include "fund/fund_manager.h"

class QComboBox;
class QLineEdit;
class QTabWidget;
class QTableView;
class QWidget;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

class CashAccountTab;
class InvestorReportButtons;
class ReportDefinitionTab;

// "基金管理窗口": the investors valued under their fee types, withdrawals, the manager's commission
// and the investment types. Showing it runs the valuation; it is created once per login.
class FundManagementWindow : public QWidget {
    Q_OBJECT
public:
    explicit FundManagementWindow(app::Session& session, QWidget* parent = nullptr);
    ~FundManagementWindow() override;

    fund::FundManager& manager() { return manager_; }
    QTabWidget* tabs() const { return tabs_; }
    InvestorReportButtons* reportButtons() const { return reportButtons_; }
    CashAccountTab* cashAccountTab() const { return cashTab_; }
    ReportDefinitionTab* reportDefinitionTab() const { return definitionTab_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildInvestorsTab();
    QWidget* buildCommissionTab();
    QWidget* buildTypesTab();
    QTableView* grid(ui::CursorModel* model);
    void openInOut();
    void openStats();
    void typeEdited(const std::string& field, const QString& text);
    void showType();
    void help(const char* topic);
    template <class F>
    void guarded(F&& action);

    app::Session& session_;
    fund::FundManager manager_;
    QTabWidget* tabs_ = nullptr;
    QComboBox* display_ = nullptr;
    QLineEdit* search_ = nullptr;
    std::unique_ptr<ui::CursorModel> investors_, details_, candidates_, types_;
    QTableView* detailGrid_ = nullptr;
    QTableView* candidateGrid_ = nullptr;
    QWidget* drawButtons_ = nullptr;
    InvestorReportButtons* reportButtons_ = nullptr;
    CashAccountTab* cashTab_ = nullptr;
    ReportDefinitionTab* definitionTab_ = nullptr;
    std::map<std::string, QWidget*> typeBoxes_;
    int typesTab_ = 2;
    std::string shown_;  // the investor the lower grid shows
};

}  // namespace varneth::gui
