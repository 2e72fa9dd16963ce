#pragma once

#include <QWidget>

#include "stats/performance_chart.h"

namespace varneth::gui {

// The performance window's drawing area: shows the chart it was last given.
class PerformanceCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PerformanceCanvas(QWidget* parent = nullptr);

    void setChart(stats::Chart chart);
    const stats::Chart& chart() const { return chart_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    stats::Chart chart_;
};

}  // namespace varneth::gui
