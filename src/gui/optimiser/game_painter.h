#pragma once

#include <QImage>
#include <QSize>

#include "optimiser/game.h"
#include "optimiser/game_chart.h"

class QPainter;

namespace varneth::gui {

inline constexpr QSize kGameChartSize{900, 640};

// The game's wealth chart over its price chart, each series up to the chart's shown turn: only
// QtGui, so that the command line draws the same picture as the window.
void paintGameCharts(QPainter& painter, const optimiser::Game& game, const optimiser::GameChart& chart,
                     QSize size);
QImage gameChartImage(const optimiser::Game& game, const optimiser::GameChart& chart,
                      QSize size = kGameChartSize);

}  // namespace varneth::gui
