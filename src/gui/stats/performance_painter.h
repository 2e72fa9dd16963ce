#pragma once

#include <QImage>
#include <QSize>

#include "stats/performance_chart.h"

class QPainter;

namespace varneth::gui {

// The drawing area of the performance window.
inline constexpr QSize kPerformanceChartSize{649, 377};

// Draws the chart over the whole of a drawing area of `size`: only QtGui, so that the command line
// draws the same picture as the window.
void paintPerformanceChart(QPainter& painter, const stats::Chart& chart, QSize size);
QImage performanceChartImage(const stats::Chart& chart, QSize size = kPerformanceChartSize);

}  // namespace varneth::gui
