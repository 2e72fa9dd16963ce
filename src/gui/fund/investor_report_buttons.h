#pragma once

#include <QWidget>
#include <functional>

#include "app/session.h"
#include "fund/fund_manager.h"
#include "fund/investor_reports.h"

namespace varneth::gui {

// The report buttons of the per-investor tab: "打印投资单据", "打印阶段报告", "打印总报表", "打印设置".
class InvestorReportButtons : public QWidget {
    Q_OBJECT
public:
    using Definition = std::function<fund::ReportDefinition()>;
    InvestorReportButtons(app::Session& session, fund::FundManager& manager, Definition definition,
                          QWidget* parent = nullptr);

    void printVoucher();
    void printStage();
    void printTotal();

signals:
    // A voucher settled a withdrawal instead of printing and moved the display choice.
    void displayChanged(int choice);

private:
    std::string selectedName(const storage::Cursor& grid) const;

    app::Session& session_;
    fund::FundManager& manager_;
    Definition definition_;
    fund::InvestorReports reports_;
};

}  // namespace varneth::gui
