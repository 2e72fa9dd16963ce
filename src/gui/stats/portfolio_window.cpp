#include "stats/portfolio_window.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <map>

#include "stats/portfolio_report.h"
#include "storage/error.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/report_printer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

using stats::Content;
using stats::Kind;
using stats::PlType;

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A category axis keeps one category per text, so a repeated label (cash of several accounts, a
// type held long and short) would lose its bars: the n-th repeat gets n written in binary in two
// invisible characters.
QStringList distinctLabels(const std::vector<stats::Bar>& bars) {
    QStringList labels;
    std::map<std::string, int> seen;
    for (const auto& bar : bars) {
        QString label = qs(bar.label);
        for (int n = seen[bar.label]++; n > 0; n /= 2) label += QChar(n % 2 ? 0x200C : 0x200B);
        labels << label;
    }
    return labels;
}

}  // namespace

template <class F>
void PortfolioWindow::guarded(F&& step) {
    try {
        const ui::WaitCursor wait;
        step();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    showResult();
}

PortfolioWindow::PortfolioWindow(app::Session& session, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      session_(session),
      stats_(session.holdings(), session.kvt()) {
    setWindowTitle(QStringLiteral("投资组合和盈亏统计"));
    model_ = std::make_unique<ui::CursorModel>(stats_.grid(), session_.prompter());
    grid_ = new QTableView;
    grid_->setObjectName(QStringLiteral("grid"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui::bindGrid(grid_, model_.get());
    gridGroup_ = new QGroupBox;
    gridGroup_->setObjectName(QStringLiteral("gridGroup"));
    auto* gridLayout = new QVBoxLayout(gridGroup_);
    gridLayout->setContentsMargins(2, 2, 2, 2);
    gridLayout->addWidget(grid_);
    gridGroup_->setFixedHeight(kGridHeight);

    chart_ = new QChart;
    chartView_ = new QChartView(chart_);
    chartView_->setObjectName(QStringLiteral("chart"));
    chartView_->setRenderHint(QPainter::Antialiasing);

    auto* left = new QVBoxLayout;
    left->addWidget(gridGroup_);
    left->addWidget(chartView_, 1);
    left->addStretch(0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(left, 1);
    layout->addWidget(buildChoices());
    resize(800, 600);
}

PortfolioWindow::~PortfolioWindow() = default;

QButtonGroup* PortfolioWindow::radioGroup(QGroupBox* box, const std::array<const char*, 4>& captions,
                                          int initial) {
    auto* group = new QButtonGroup(this);
    auto* items = new QVBoxLayout(box);
    items->setSpacing(2);
    int id = 0;
    for (const char* caption : captions) {
        auto* radio = new QRadioButton(QString::fromUtf8(caption));
        group->addButton(radio, id++);
        items->addWidget(radio);
    }
    group->button(initial)->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this] { choose(); });
    return group;
}

QWidget* PortfolioWindow::buildChoices() {
    const stats::StatsChoice initial;
    auto* column = new QWidget;
    column->setMaximumWidth(190);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* kindBox = new QGroupBox(QStringLiteral("选显示种类"));
    kinds_ = radioGroup(kindBox, stats::kKindNames, static_cast<int>(initial.kind));
    contentBox_ = new QGroupBox(QStringLiteral("选显示内容和方式"));
    contents_ = radioGroup(contentBox_, stats::kContentNames, static_cast<int>(initial.content));
    plBox_ = new QGroupBox(QStringLiteral("选盈亏类型"));
    pls_ = radioGroup(plBox_, stats::kPlNames, static_cast<int>(initial.pl));
    plBox_->setEnabled(initial.plEnabled());
    for (auto* box : {kindBox, contentBox_, plBox_}) layout->addWidget(box);

    auto button = [&](const char* caption, auto handler) {
        auto* b = new QPushButton(QString::fromUtf8(caption));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        layout->addWidget(b);
        return b;
    };
    button("打印报告", [this] { printReport(); })->setToolTip(QStringLiteral("根据显示选择打印报告"));
    button("打印屏幕", [this] { ui::printWidgetImage(*this, session_.prompter()); });
    button("帮助", [this] { help(); });
    button("关闭", [this] { close(); });
    layout->addStretch(1);
    return column;
}

void PortfolioWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    guarded([this] { stats_.show(); });
}

void PortfolioWindow::choose() {
    stats::StatsChoice choice;
    choice.kind = static_cast<Kind>(kinds_->checkedId());
    choice.content = static_cast<Content>(contents_->checkedId());
    choice.pl = static_cast<PlType>(pls_->checkedId());
    contentBox_->setEnabled(choice.contentEnabled());
    plBox_->setEnabled(choice.plEnabled());
    guarded([&] { stats_.choose(choice); });
}

// The grid's columns are the query's, which change with the choice; it stands on the last row.
void PortfolioWindow::showResult() {
    std::vector<ui::GridColumn> columns;
    for (const auto& f : stats_.grid().def().fields) columns.push_back({f.name, qs(f.name)});
    model_->setColumns(columns);
    grid_->resizeColumnsToContents();
    const int last = stats_.grid().position();
    if (last >= 0) {
        grid_->setCurrentIndex(model_->index(last, 0));
        grid_->scrollToBottom();
    }
    const bool history = stats_.choice().history();
    gridGroup_->setFixedHeight(history ? kGridHeightAlone : kGridHeight);
    chartView_->setVisible(!history);
    drawChart();
}

void PortfolioWindow::drawChart() {
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    const stats::BarChart c = stats_.chart();
    if (!c.shown) return;
    chart_->setTitle(qs(c.title));
    auto* first = new QBarSet(qs(c.firstSeries));
    auto* second = new QBarSet(qs(c.secondSeries));
    for (const auto& bar : c.bars) {
        *first << bar.first;
        *second << bar.second;
    }
    auto* series = new QBarSeries;
    series->append(first);
    series->append(second);
    chart_->addSeries(series);
    auto* labels = new QBarCategoryAxis;
    labels->append(distinctLabels(c.bars));
    labels->setTitleText(qs(c.labelColumn));
    chart_->addAxis(labels, Qt::AlignBottom);
    series->attachAxis(labels);
    auto* values = new QValueAxis;
    chart_->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
}

void PortfolioWindow::printReport() {
    const QString title = stats_.choice().history() ? QStringLiteral("历史记录") : QStringLiteral("统计报告");
    ui::ReportPrinter printer(this, session_.prompter(), title);
    stats::PortfolioReport(stats_, session_.prompter(), session_.clock()).print(printer);
}

void PortfolioWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("lookportfolio")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
