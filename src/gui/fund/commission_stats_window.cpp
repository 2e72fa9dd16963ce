#include "fund/commission_stats_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/centre.h"
#include "ui/cursor_model.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

using fund::CommissionStats;

namespace {

std::vector<ui::GridColumn> rowColumns() {
    return {{"Czxh", "撤资号"}, {"DT", "投资日期"},   {"PYCODE", "代码"}, {"NAME", "姓名"},
            {"XABC", "类型"},   {"FUND", "市值"},     {"DMONEY", "撤资"}, {"PER", "增值%"},
            {"Tich", "提成"},   {"Bxfund", "保险费"}, {"INPUT", "投入"},  {"UNIT", "基金股数"},
            {"PRICE", "买价"},  {"L_PRICE", "卖价"}};
}

const char* const kLabels[] = {"开始撤资序号", "提成合计", "保险合计", "合计"};

}  // namespace

CommissionStatsWindow::CommissionStatsWindow(app::Session& session, fund::FundManager& manager,
                                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      stats_(session.engine(), session.fund(), manager, session.prompter(), session.clock()) {
    setObjectName(QStringLiteral("Form_tb"));
    setWindowTitle(QString::fromUtf8(CommissionStats::kCaption));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(new QLabel(QStringLiteral("开始日期")));
    year_ = new QComboBox;
    year_->setEditable(true);
    for (const auto& y : CommissionStats::years(session.clock())) year_->addItem(QString::fromStdString(y));
    year_->setCurrentText(QString::fromUtf8(CommissionStats::kPresetYear));
    boxes->addWidget(year_);
    month_ = new QComboBox;
    for (const auto& m : CommissionStats::months()) month_->addItem(QString::fromStdString(m));
    month_->setCurrentText(QString::fromUtf8(CommissionStats::kPresetMonth));
    boxes->addWidget(month_);
    boxes->addWidget(new QLabel(QStringLiteral("标准提成比例％")));
    rate_ = new QLineEdit(QString::fromUtf8(CommissionStats::kPresetRate));
    rate_->setMaximumWidth(60);
    boxes->addWidget(rate_);
    auto* show = new QPushButton(QStringLiteral("显示已经撤资"));
    connect(show, &QPushButton::clicked, this, &CommissionStatsWindow::run);
    boxes->addWidget(show);
    boxes->addStretch();

    auto& prompter = session.prompter();
    rows_ = std::make_unique<ui::CursorModel>(stats_.rows(), prompter);
    rows_->setColumns(rowColumns());
    // The table stays closed until the statistics are run: the grid shows nothing before.
    rowsGrid_ = new QTableView;
    rowsGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(rows_.get(), &ui::CursorModel::currentRowChanged, this, [this](int row) {
        if (row < 0 || !rowsGrid_->model()) return;
        try {
            stats_.showOffsets();
        } catch (const storage::Error& e) {
            session_.prompter().message(e.what());
        }
    });

    auto* totals = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) totals->addWidget(labels_[i] = new QLabel(QString::fromUtf8(kLabels[i])));
    totals->addStretch();

    offsets_ = std::make_unique<ui::CursorModel>(stats_.offsets(), prompter);
    auto* offsetsGrid = new QTableView;
    ui::bindGrid(offsetsGrid, offsets_.get());
    offsetsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* offsets = new QGroupBox(QStringLiteral("对冲记录"));
    (new QVBoxLayout(offsets))->addWidget(offsetsGrid);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = new QPushButton(QStringLiteral("关闭"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(close);
    auto* help = new QPushButton(QStringLiteral("帮助"));
    connect(help, &QPushButton::clicked, this,
            [this] { session_.prompter().message(CommissionStats::kHelp); });
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addWidget(rowsGrid_, 3);
    layout->addLayout(totals);
    layout->addWidget(offsets, 2);
    layout->addLayout(buttons);

    stats_.setLabelSink([this](CommissionStats::Label which, const std::string& text) {
        labels_[static_cast<int>(which)]->setText(QString::fromStdString(text));
    });
    resize(800, 600);
}

CommissionStatsWindow::~CommissionStatsWindow() = default;

void CommissionStatsWindow::showCentred() {
    ui::moveToScreenCentre(*this);
    show();
    raise();
}

void CommissionStatsWindow::run() {
    const ui::WaitCursor wait;
    for (int i = 0; i < 4; ++i) labels_[i]->setText(QString::fromUtf8(kLabels[i]));
    try {
        const auto totals = stats_.run(rate_->text().toStdString(), year_->currentText().toStdString(),
                                       month_->currentText().toStdString());
        if (!totals) return;
        if (!rowsGrid_->model()) ui::bindGrid(rowsGrid_, rows_.get());
        emit candidatesReplaced();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

}  // namespace varneth::gui
