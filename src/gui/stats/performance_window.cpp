#include "stats/performance_window.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "stats/performance_canvas.h"
#include "storage/error.h"
#include "text/display.h"
#include "text/numbers.h"
#include "ui/help_viewer.h"
#include "ui/report_printer.h"

namespace varneth::gui {

using stats::Performance;
using stats::StartChoice;

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QPushButton* button(const char* text, QLayout* layout) {
    auto* b = new QPushButton(QString::fromUtf8(text));
    b->setAutoDefault(false);  // Return in the date field ends the date, it presses no button
    layout->addWidget(b);
    return b;
}

}  // namespace

template <class F>
void PerformanceWindow::write(F&& change) {
    try {
        storage::Action action(engine_);
        change();
    } catch (const storage::Error& e) {
        prompter_.message(e.what());
    }
}

PerformanceWindow::PerformanceWindow(storage::Engine& engine, port::Prompter& prompter, port::Clock& clock,
                                     std::filesystem::path programDir, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      engine_(engine),
      prompter_(prompter),
      clock_(clock),
      programDir_(std::move(programDir)),
      performance_(engine.database(storage::Alias::Kvt), prompter),
      settings_(engine.database(storage::Alias::Curr)) {
    setWindowTitle(QStringLiteral("业绩统计和比较"));
    auto* top = new QHBoxLayout;
    top->addWidget(buildChartColumn());
    top->addWidget(buildControls(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    top->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(buildResults());
    layout->addWidget(buildIndexSettings());
    layout->addStretch(1);
    indices_ = settings_.indices();
    showIndices();
    resize(800, 620);
}

QWidget* PerformanceWindow::buildChartColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new PerformanceCanvas;
    layout->addWidget(canvas_);
    scroll_ = new QScrollBar(Qt::Horizontal);
    scroll_->setRange(0, Performance::kScrollRange);
    scroll_->setValue(150);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int position) {
        performance_.scroll(position);
        redraw();
    });
    layout->addWidget(scroll_);
    layout->addWidget(new QLabel(QStringLiteral("<--业绩比较起点如竖线所示；纵坐标表示增值倍数")));
    return column;
}

QWidget* PerformanceWindow::buildControls() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* startGroup = new QGroupBox(QStringLiteral("时间比较起点"));
    auto* startLayout = new QVBoxLayout(startGroup);
    starts_ = new QButtonGroup(this);
    int id = 0;
    for (const char* text : {"从头开始", "本年初", "上年初", "自某日"}) {
        auto* radio = new QRadioButton(QString::fromUtf8(text));
        starts_->addButton(radio, id++);
        startLayout->addWidget(radio);
    }
    date_ = new QLineEdit;
    startLayout->addWidget(date_);
    connect(starts_, &QButtonGroup::idClicked, this, &PerformanceWindow::chooseStart);
    connect(date_, &QLineEdit::editingFinished, this, &PerformanceWindow::leaveDateField);
    layout->addWidget(startGroup);

    auto* typeGroup = new QGroupBox(QStringLiteral("线型选择"));
    auto* typeLayout = new QVBoxLayout(typeGroup);
    types_ = new QButtonGroup(this);
    id = 0;
    for (const char* text : {"业绩画曲线", "业绩画周K线", "业绩化对数曲线"}) {
        auto* radio = new QRadioButton(QString::fromUtf8(text));
        types_->addButton(radio, id++);
        typeLayout->addWidget(radio);
    }
    types_->button(0)->setChecked(true);
    connect(types_, &QButtonGroup::idClicked, this, [this] { redraw(); });
    layout->addWidget(typeGroup);

    connect(button("压缩图形", layout), &QPushButton::clicked, this, [this] {
        performance_.compress();
        redraw();
    });
    connect(button("拉伸图形", layout), &QPushButton::clicked, this, [this] {
        performance_.stretch();
        redraw();
    });
    connect(button("屏幕打印", layout), &QPushButton::clicked, this,
            [this] { ui::printWidgetImage(*this, prompter_); });
    connect(button("帮助", layout), &QPushButton::clicked, this, &PerformanceWindow::showHelp);
    connect(button("关闭", layout), &QPushButton::clicked, this, &QDialog::reject);
    layout->addStretch(1);
    return column;
}

QWidget* PerformanceWindow::buildResults() {
    auto* group = new QGroupBox(QStringLiteral(
        "总帐户业绩（即开放基金价格,按折扣后的总资产算; 本窗口数据来自基金业绩计算窗口所示文件)"));
    auto* beside = new QHBoxLayout(group);
    auto* grid = new QGridLayout;
    beside->addLayout(grid, 1);
    beside->addWidget(buildStatistics());
    index1Name_ = new QLabel;
    const char* captions[4][3] = {{Performance::kStartIndex, Performance::kEndIndex, Performance::kRate},
                                  {Performance::kIndex2, Performance::kEndIndex, Performance::kRate},
                                  {Performance::kStartPrice, Performance::kEndPrice, Performance::kRate},
                                  {Performance::kStartTotal, Performance::kEndTotal, Performance::kGrowth}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            auto* caption = new QLabel(QString::fromUtf8(captions[r][c]));
            caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (r == 0 && c == 0) {
                // The first index's name stands before its caption, as the second's is part of it.
                auto* named = new QHBoxLayout;
                named->addStretch(1);
                named->addWidget(index1Name_);
                named->addWidget(caption);
                grid->addLayout(named, r, 2 * c);
            } else {
                grid->addWidget(caption, r, 2 * c);
            }
            auto* value = new QLabel;
            value->setMinimumWidth(70);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(value, r, 2 * c + 1);
            results_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = value;
        }
    return group;
}

// The three figures of each series over the shown period, beside the result table.
QWidget* PerformanceWindow::buildStatistics() {
    auto* group = new QGroupBox(QString::fromUtf8(stats::kStatisticsTitle));
    group->setObjectName(QStringLiteral("statistics"));
    auto* grid = new QGridLayout(group);
    statisticsIndex1_ = new QLabel;
    grid->addWidget(new QLabel(QString::fromUtf8(Performance::kFundName)), 0, 1, Qt::AlignRight);
    grid->addWidget(statisticsIndex1_, 0, 2, Qt::AlignRight);
    grid->addWidget(new QLabel(QString::fromUtf8(Performance::kIndex2Name)), 0, 3, Qt::AlignRight);
    const char* figures[] = {stats::kAnnualReturn, stats::kVolatility, stats::kMaxDrawdown};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(QString::fromUtf8(figures[r])), r + 1, 0);
        for (int c = 0; c < 3; ++c) {
            auto* value = new QLabel;
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setMinimumWidth(60);
            grid->addWidget(value, r + 1, c + 1);
            statistics_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = value;
        }
    }
    return group;
}

QWidget* PerformanceWindow::buildIndexSettings() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    std::size_t field = 0;
    for (const char* caption : {"第一行指数替换", "第二行指数替换"}) {
        layout->addWidget(new QLabel(QString::fromUtf8(caption)));
        for (int part = 0; part < 2; ++part) {
            auto* edit = new QLineEdit;
            edit->setMaximumWidth(part == 0 ? 110 : 70);
            indexFields_[field++] = edit;
            layout->addWidget(edit);
        }
    }
    connect(button("修改确认", layout), &QPushButton::clicked, this, &PerformanceWindow::confirmIndices);
    connect(button("帮助", layout), &QPushButton::clicked, this,
            [this] { prompter_.message(stats::ChartSettings::kHelp); });
    layout->addStretch(1);
    return row;
}

void PerformanceWindow::showIndices() {
    const std::array<const std::string*, 4> values{&indices_.first.name, &indices_.first.code,
                                                   &indices_.second.name, &indices_.second.code};
    for (std::size_t i = 0; i < values.size(); ++i) indexFields_[i]->setText(qs(*values[i]));
    index1Name_->setText(qs(indices_.first.name));
    statisticsIndex1_->setText(qs(indices_.first.name));
}

void PerformanceWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (!parentWidget())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    const QSignalBlocker quiet(date_);
    date_->setText(qs(settings_.startText(clock_)));
    choice_ = static_cast<int>(performance_.open(date_->text().toStdString()));
    starts_->button(choice_)->setChecked(true);
    redraw();
}

void PerformanceWindow::done(int result) {
    write([this] { settings_.storeStartText(date_->text().toStdString()); });
    QDialog::done(result);
}

void PerformanceWindow::chooseStart(int choice) {
    if (performance_.choose(static_cast<StartChoice>(choice), date_->text().toStdString())) {
        choice_ = choice;
        redraw();
    } else {
        starts_->button(choice_)->setChecked(true);  // a failed date keeps the chart as it was
    }
}

void PerformanceWindow::leaveDateField() {
    // The message box of a failed date takes the focus away and would end the editing again.
    if (leaving_ || !isVisible()) return;
    leaving_ = true;
    if (performance_.choose(StartChoice::FromDate, date_->text().toStdString())) {
        choice_ = static_cast<int>(StartChoice::FromDate);
        starts_->button(choice_)->setChecked(true);
        redraw();
    }
    leaving_ = false;
}

stats::LineType PerformanceWindow::lineType() const {
    return static_cast<stats::LineType>(types_->checkedId());
}

void PerformanceWindow::redraw() {
    canvas_->setChart(performance_.chart(lineType(), indices_.first.code));
    const stats::Results r = performance_.results();
    const std::array<const stats::ResultRow*, 4> rows{&r.index1, &r.index2, &r.price, &r.total};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        results_[i][0]->setText(qs(rows[i]->start));
        results_[i][1]->setText(qs(rows[i]->end));
        results_[i][2]->setText(qs(rows[i]->rate));
    }
    // The totals are money: read as such, the table's own text in the tooltip.
    for (std::size_t c = 0; c < 2; ++c) {
        QLabel* total = results_[3][c];
        const auto value = text::parseNumber(total->text().toStdString());
        total->setToolTip(total->text());
        if (value) total->setText(qs(text::displayNumber(*value, text::NumberKind::Money)));
    }
    const stats::FundStatistics s = performance_.statistics();
    const std::array<const stats::SeriesStatistics*, 3> series{&s.price, &s.index1, &s.index2};
    for (std::size_t c = 0; c < series.size(); ++c) {
        statistics_[0][c]->setText(qs(stats::statisticText(series[c]->annualReturn)));
        statistics_[1][c]->setText(qs(stats::statisticText(series[c]->volatility)));
        statistics_[2][c]->setText(qs(stats::statisticText(series[c]->maxDrawdown)));
    }
}

void PerformanceWindow::confirmIndices() {
    const auto text = [this](std::size_t i) { return indexFields_[i]->text().toStdString(); };
    write([&] { settings_.setIndices({{text(0), text(1)}, {text(2), text(3)}}); });
    indices_ = settings_.indices();
    showIndices();
    redraw();
}

void PerformanceWindow::showHelp() {
    if (!ui::HelpViewer::showTopic(this, programDir_, QStringLiteral("threelines")))
        prompter_.message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
