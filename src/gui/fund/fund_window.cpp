#include "fund/fund_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/report_printer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

namespace {

std::vector<ui::GridColumn> fundColumns(const QString& firstIndex) {
    return {{"DT", QStringLiteral("日期")},
            {"Num", QStringLiteral("流水号")},
            {"PYCODE", QStringLiteral("代码")},
            {"NAME", QStringLiteral("名称")},
            {"QSDM", QStringLiteral("券商代码")},
            {"ZJZH", QStringLiteral("资金帐号")},
            {"INPUT", QStringLiteral("投入金额")},
            {"XABC", QStringLiteral("投资类型")},
            {"UNIT", QStringLiteral("基金单位")},
            {"FUND", QStringLiteral("折扣总值")},
            {"INC", QStringLiteral("增值率")},
            {"PRICE", QStringLiteral("基金价格")},
            {"SZ", firstIndex},
            {"SHZ", QStringLiteral("沪指")},
            {"DMONEY", QStringLiteral("可取资金")},
            {"CZXH", QStringLiteral("撤资序号")},
            {"NOTE", QStringLiteral("注释")},
            {"B1", QStringLiteral("标记")},
            {"L_PRICE", QStringLiteral("最终价")}};
}

}  // namespace

template <class F>
void FundWindow::guarded(F&& action) {
    try {
        action();
    } catch (const storage::Error& e) {
        fund_.table().cancel();
        prompter_.message(e.what());
    }
}

FundWindow::FundWindow(fund::FundLedger& fund, port::Prompter& prompter, std::filesystem::path programDir,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), fund_(fund), prompter_(prompter), programDir_(std::move(programDir)) {
    setWindowTitle(QStringLiteral("基金业绩计算窗口"));
    setToolTip(QStringLiteral("资金转帐及投资进出"));

    model_ = std::make_unique<ui::CursorModel>(fund_.table(), prompter_);
    model_->setColumns(fundColumns(QString::fromStdString(fund_.firstIndexTitle())));
    grid_ = new QTableView;
    ui::bindGrid(grid_, model_.get());
    auto* remove = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete), grid_);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, [this] { guarded([this] { fund_.removeCurrent(); }); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildButtons(), 1);
    bottom->addWidget(buildRecordGroup());
    layout->addLayout(bottom);
    resize(900, 560);
}

FundWindow::~FundWindow() = default;

QWidget* FundWindow::buildButtons() {
    auto* box = new QWidget;
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(first);
    rows->addLayout(second);
    const auto add = [this](QHBoxLayout* row, const char* text, const char* hint, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        if (*hint) b->setToolTip(QString::fromUtf8(hint));
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
    };
    add(first, "重算基金价格", "从光标起始处开始计算,不足10个记录则从倒数第10个记录计算",
        &FundWindow::recompute);
    add(first, "压缩文件", "合并连续的来自市场的赢利(或亏损)的记录", &FundWindow::compress);
    add(first, "基金管理", "用于基金管理提成结算,打印单据报告等", &FundWindow::management);
    add(first, "打印报告", "从光标起始处开始打印, 光标位于底部则打印最后一页", &FundWindow::printReport);
    add(second, "看业绩比较", "看基金价格走势,并和深沪指数比较", &FundWindow::performanceRequested);
    add(second, "资金转帐", "", &FundWindow::transferRequested);
    add(second, "关闭", "", &FundWindow::close);
    add(second, "帮助", "", &FundWindow::help);
    return box;
}

QWidget* FundWindow::buildRecordGroup() {
    auto* group = new QGroupBox(QStringLiteral("记录操作"));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(new QLabel(QStringLiteral("请先用光标选中记录")));
    auto* buttons = new QHBoxLayout;
    auto* names = new QPushButton(QStringLiteral("补充汉字"));
    auto* remove = new QPushButton(QStringLiteral("删除"));
    buttons->addWidget(names);
    buttons->addWidget(remove);
    layout->addLayout(buttons);
    connect(names, &QPushButton::clicked, this, &FundWindow::completeNames);
    connect(remove, &QPushButton::clicked, this, &FundWindow::removeRow);
    return group;
}

void FundWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Dates already show as yyyy-mm-dd; a window restored by the window system is not shown anew.
    if (!event->spontaneous())
        guarded([this] {
            const ui::WaitCursor wait;
            fund_.show();
        });
}

void FundWindow::recompute() {
    guarded([this] {
        const ui::WaitCursor wait;
        fund_.recompute();
    });
}

void FundWindow::compress() {
    guarded([this] { fund_.compress(); });
}

void FundWindow::management() {
    // The button brings the prices up to date before it opens the investors' window.
    guarded([this] {
        const ui::WaitCursor wait;
        fund_.show();
    });
    emit managementRequested();
}

void FundWindow::printReport() {
    ui::ReportPrinter printer(this, prompter_, QStringLiteral("资金进出报告"));
    guarded([&] { fund_.report(printer); });
}

void FundWindow::completeNames() {
    guarded([this] { fund_.completeNames(); });
}

void FundWindow::removeRow() {
    guarded([this] { fund_.removeCurrent(); });
    grid_->setFocus();
}

void FundWindow::help() {
    if (!ui::HelpViewer::showTopic(this, programDir_, QStringLiteral("fund")))
        prompter_.message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
