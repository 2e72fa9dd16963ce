#include "optimiser/game_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "text/numbers.h"

namespace varneth::gui {

namespace {

const QColor kColours[4] = {QColor(0xFF, 0, 0), QColor(0, 0x80, 0), QColor(0, 0, 0xFF), QColor(0, 0, 0)};
const char* const kWealthLegends[4] = {"玩家 1", "玩家 2", "玩家 3", "电 脑"};
const char* const kPriceLegends[3] = {"证券 1", "证券 2", "证券 3"};

QFont chartFont() {
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPointSize(8);
    return f;
}

// One chart's frame: turns across, values up, in the given rectangle.
struct Frame {
    QRectF area;
    double turns, bottom, top;
    double x(double turn) const { return area.left() + turn / turns * area.width(); }
    double y(double v) const { return area.bottom() - (v - bottom) / (top - bottom) * area.height(); }
};

QString number(double v) {
    return QString::fromStdString(text::shortestText(text::roundScaled(v, 2)));
}

void drawFrame(QPainter& p, const Frame& f, const QString& title) {
    const QFontMetrics fm(p.font());
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.area);
    p.drawText(QRectF(f.area.left(), f.area.top() - fm.height() - 2, f.area.width(), fm.height()),
               Qt::AlignCenter, title);
    p.drawText(QPointF(f.area.left() - fm.horizontalAdvance(QStringLiteral("元")) - 4,
                       f.area.top() - fm.height() + fm.ascent() / 2.0 - 4),
               QStringLiteral("元"));
    p.drawText(QPointF(f.area.right() + 4, f.area.bottom() + fm.ascent()), QStringLiteral("(次)"));
    for (int i = 0; i <= 4; ++i) {
        const double v = f.bottom + (f.top - f.bottom) * i / 4;
        const QString label = number(v);
        p.drawLine(QPointF(f.area.left() - 3, f.y(v)), QPointF(f.area.left(), f.y(v)));
        p.drawText(QPointF(f.area.left() - fm.horizontalAdvance(label) - 5, f.y(v) + fm.ascent() / 2.0 - 1),
                   label);
        const double t = f.turns * i / 4;
        const QString turn = number(t);
        p.drawLine(QPointF(f.x(t), f.area.bottom()), QPointF(f.x(t), f.area.bottom() + 3));
        p.drawText(QPointF(f.x(t) - fm.horizontalAdvance(turn) / 2.0, f.area.bottom() + fm.ascent() + 4),
                   turn);
    }
}

void drawSeries(QPainter& p, const Frame& f, const std::vector<double>& s, int upTo, const QColor& colour) {
    if (s.empty()) return;
    QPainterPath path(QPointF(f.x(0), f.y(s[0])));
    for (int t = 1; t <= upTo && t < static_cast<int>(s.size()); ++t)
        path.lineTo(f.x(t), f.y(s[static_cast<std::size_t>(t)]));
    p.setPen(QPen(colour, 1));
    p.drawPath(path);
}

void drawLegend(QPainter& p, QPointF at, const char* const* names, int count) {
    const QFontMetrics fm(p.font());
    for (int i = 0; i < count; ++i) {
        p.setPen(QPen(kColours[i], 2));
        const double y = at.y() + i * (fm.height() + 2);
        p.drawLine(QPointF(at.x(), y - fm.ascent() / 2.0), QPointF(at.x() + 18, y - fm.ascent() / 2.0));
        p.setPen(kColours[i]);
        p.drawText(QPointF(at.x() + 22, y), QString::fromUtf8(names[i]));
    }
}

}  // namespace

void paintGameCharts(QPainter& p, const optimiser::Game& game, const optimiser::GameChart& chart,
                     QSize size) {
    p.save();
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    p.setFont(chartFont());
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm(p.font());
    const double left = fm.horizontalAdvance(QStringLiteral("-0000000000")) + 8;
    const double right = 110, gap = fm.height() * 3;
    const double height = (size.height() - 3 * gap) / 2;
    const auto& series = game.series();
    for (int c = 0; c < 2; ++c) {
        const Frame f{QRectF(left, gap + c * (height + gap), size.width() - left - right, height),
                      static_cast<double>(chart.turns()), chart.bottom(c),
                      chart.bottom(c) + (chart.linear() ? 1 : 2) * chart.height(c)};
        drawFrame(p, f, c == 0 ? QStringLiteral("总 资 金 变 化 图") : QStringLiteral(" 价 格 变 化 图"));
        p.save();
        p.setClipRect(f.area.adjusted(-1, -1, 1, 1));
        const std::size_t first = c == 0 ? 0 : 4;
        const int count = c == 0 ? 4 : 3;
        for (int s = 0; s < count; ++s)
            drawSeries(p, f, series[first + static_cast<std::size_t>(s)], chart.shownTurn(), kColours[s]);
        p.restore();
        drawLegend(p, QPointF(f.area.right() + 10, f.area.top() + fm.height() * 2),
                   c == 0 ? kWealthLegends : kPriceLegends, count);
    }
    p.restore();
}

QImage gameChartImage(const optimiser::Game& game, const optimiser::GameChart& chart, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintGameCharts(painter, game, chart, size);
    return image;
}

}  // namespace varneth::gui
