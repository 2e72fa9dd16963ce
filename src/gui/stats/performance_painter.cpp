#include "stats/performance_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

namespace varneth::gui {

namespace {

using stats::ChartGeometry;

const QColor kFace(0xF0, 0xF0, 0xF0);
const QColor kPriceColour(0xFF, 0x00, 0x00);
const QColor kIndex1Colour(0x00, 0x00, 0xFF);
const QColor kIndex2Colour(0x00, 0x80, 0x00);
const QColor kTotalColour(0x80, 0x00, 0x80);
const QColor kFallColour(0x00, 0x80, 0x00);

QFont chartFont() {
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPointSize(8);
    return f;
}

void drawSeries(QPainter& p, const ChartGeometry& g, const stats::Series& s, const QColor& colour) {
    if (s.points.size() < 2) return;
    QPainterPath path(QPointF(g.x(s.points.front().day), g.y(s.points.front().value)));
    for (std::size_t i = 1; i < s.points.size(); ++i)
        path.lineTo(g.x(s.points[i].day), g.y(s.points[i].value));
    p.setPen(QPen(colour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void drawTotalMarks(QPainter& p, const ChartGeometry& g, const stats::Series& s) {
    p.setPen(QPen(kTotalColour, 1));
    for (const auto& pt : s.points) {
        const int x = g.x(pt.day);
        const double y = g.bottom() - g.markHeight(pt.value);
        p.drawLine(QPointF(x - 1, y), QPointF(x + 1, y));
    }
}

void drawBars(QPainter& p, const ChartGeometry& g, const std::vector<stats::WeeklyBar>& bars) {
    for (const auto& bar : bars) {
        const QColor colour = bar.rising() ? kPriceColour : kFallColour;
        const ChartGeometry::Body body = g.body(bar);
        p.setPen(QPen(colour, 1));
        p.drawLine(QPointF(body.middle, g.y(bar.high)), QPointF(body.middle, g.y(bar.low)));
        const double top = std::min(g.y(bar.open), g.y(bar.close));
        const double height = std::max(1.0, std::abs(g.y(bar.open) - g.y(bar.close)));
        p.fillRect(QRectF(body.left, top, body.width, height), colour);
    }
}

void drawTicks(QPainter& p, const ChartGeometry& g, int axisX) {
    p.setPen(Qt::black);
    const QFontMetrics fm(p.font());
    for (const auto& t : g.ticks()) {
        p.drawLine(QPointF(axisX, t.y), QPointF(axisX + 4, t.y));
        const QString label = QString::fromStdString(t.label);
        p.drawText(QPointF(axisX + 6, t.y + fm.ascent() / 2.0 - 1), label);
    }
}

// Legends stand at their series' ends, pushed apart where they would overlap.
void drawLegends(QPainter& p, const ChartGeometry& g, const stats::Chart& c) {
    struct Legend {
        double y;
        QString text;
        QColor colour;
    };
    std::vector<Legend> legends;
    const auto add = [&](const stats::Series& s, double y, const QColor& colour) {
        if (!s.points.empty()) legends.push_back({y, QString::fromStdString(s.legend), colour});
    };
    add(c.price, c.price.points.empty() ? 0 : g.y(c.price.points.back().value), kPriceColour);
    add(c.index1, c.index1.points.empty() ? 0 : g.y(c.index1.points.back().value), kIndex1Colour);
    add(c.index2, c.index2.points.empty() ? 0 : g.y(c.index2.points.back().value), kIndex2Colour);
    add(c.total, c.total.points.empty() ? 0 : g.bottom() - g.markHeight(c.total.points.back().value),
        kTotalColour);
    std::sort(legends.begin(), legends.end(), [](const Legend& a, const Legend& b) { return a.y < b.y; });
    const QFontMetrics fm(p.font());
    const double line = fm.height();
    for (std::size_t i = 1; i < legends.size(); ++i)
        legends[i].y = std::max(legends[i].y, legends[i - 1].y + line);
    const int x = g.x(c.lastDay) + 4;
    for (const auto& l : legends) {
        p.setPen(l.colour);
        p.drawText(QPointF(x, l.y + fm.ascent() / 2.0), l.text);
    }
}

// The dates of the left edge, the last point and the comparison start, under the axis.
void drawDates(QPainter& p, const ChartGeometry& g, const stats::Chart& c, QSize size) {
    const QFontMetrics fm(p.font());
    const int top = g.bottom() + 2;
    const auto rectAt = [&](const std::string& date, int x) {
        const int w = fm.horizontalAdvance(QString::fromStdString(date));
        return QRect(std::clamp(x - w / 2, 0, size.width() - w), top, w, fm.height());
    };
    const QRect left = rectAt(c.leftDate, g.x(c.leftDay));
    const QRect last = rectAt(c.lastDate, g.x(c.lastDay));
    QRect mark = rectAt(c.markDate, g.x(c.markDay));
    if (mark.intersects(left)) mark.moveLeft(left.right() + 6);
    if (mark.intersects(last)) mark.moveRight(last.left() - 6);
    p.setPen(Qt::black);
    p.drawText(left, Qt::AlignCenter, QString::fromStdString(c.leftDate));
    p.drawText(last, Qt::AlignCenter, QString::fromStdString(c.lastDate));
    if (c.markDate != c.leftDate && c.markDate != c.lastDate)
        p.drawText(mark, Qt::AlignCenter, QString::fromStdString(c.markDate));
}

}  // namespace

void paintPerformanceChart(QPainter& p, const stats::Chart& c, QSize size) {
    p.save();
    p.fillRect(QRect(QPoint(0, 0), size), kFace);
    const QRect sheet(QPoint(5, 5),
                      QPoint(size.width() - ChartGeometry::kMargin, size.height() - ChartGeometry::kMargin));
    p.fillRect(sheet, Qt::white);
    if (c.empty()) {
        p.restore();
        return;
    }
    p.setFont(chartFont());
    const ChartGeometry g(c, size.width(), size.height());
    const int markX = g.x(c.markDay);
    p.setPen(Qt::black);
    p.drawLine(QPointF(markX, ChartGeometry::kMargin), QPointF(markX, g.bottom()));
    p.drawLine(QPointF(markX, g.levelY()), QPointF(g.right(), g.levelY()));
    drawTicks(p, g, markX);

    p.setRenderHint(QPainter::Antialiasing);
    if (c.type == stats::LineType::WeeklyBars)
        drawBars(p, g, c.bars);
    else
        drawSeries(p, g, c.price, kPriceColour);
    drawSeries(p, g, c.index1, kIndex1Colour);
    drawSeries(p, g, c.index2, kIndex2Colour);
    drawTotalMarks(p, g, c.total);
    p.setRenderHint(QPainter::Antialiasing, false);

    drawLegends(p, g, c);
    drawDates(p, g, c, size);
    p.restore();
}

QImage performanceChartImage(const stats::Chart& chart, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintPerformanceChart(painter, chart, size);
    return image;
}

}  // namespace varneth::gui
