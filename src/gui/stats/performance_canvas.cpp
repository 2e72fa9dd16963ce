#include "stats/performance_canvas.h"

#include <QPainter>

#include "stats/performance_painter.h"

namespace varneth::gui {

PerformanceCanvas::PerformanceCanvas(QWidget* parent) : QWidget(parent) {
    setFixedSize(kPerformanceChartSize);
}

void PerformanceCanvas::setChart(stats::Chart chart) {
    chart_ = std::move(chart);
    update();
}

void PerformanceCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintPerformanceChart(painter, chart_, size());
}

}  // namespace varneth::gui
