#pragma once

#include <QDialog>
#include <memory>

#include "app/session.h"
#include "stats/portfolio_stats.h"

class QButtonGroup;
class QChart;
class QChartView;
class QGroupBox;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "投资组合和盈亏统计": the ledger summarised by the three choices, in a grid and a bar chart, with
// the report of what the grid shows. Each showing values a book still pending and rebuilds the
// queries.
class PortfolioWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kGridHeight = 233;
    static constexpr int kGridHeightAlone = 466;  // without the chart

    explicit PortfolioWindow(app::Session& session, QWidget* parent = nullptr);
    ~PortfolioWindow() override;

    QTableView* grid() const { return grid_; }
    QGroupBox* gridGroup() const { return gridGroup_; }
    QChartView* chartView() const { return chartView_; }
    stats::PortfolioStats& stats() { return stats_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildChoices();
    QButtonGroup* radioGroup(QGroupBox* box, const std::array<const char*, 4>& captions, int initial);
    void choose();
    void showResult();
    void drawChart();
    void printReport();
    void help();
    // Runs a query step; the table engine's message is told and the window stays as it was.
    template <class F>
    void guarded(F&& step);

    app::Session& session_;
    stats::PortfolioStats stats_;
    std::unique_ptr<ui::CursorModel> model_;
    QTableView* grid_ = nullptr;
    QGroupBox* gridGroup_ = nullptr;
    QChartView* chartView_ = nullptr;
    QChart* chart_ = nullptr;
    QGroupBox* contentBox_ = nullptr;
    QGroupBox* plBox_ = nullptr;
    QButtonGroup* kinds_ = nullptr;
    QButtonGroup* contents_ = nullptr;
    QButtonGroup* pls_ = nullptr;
};

}  // namespace varneth::gui
