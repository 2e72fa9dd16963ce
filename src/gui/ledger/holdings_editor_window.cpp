#include "ledger/holdings_editor_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include "ledger/holdings_report.h"
#include "ledger/old_ledger.h"
#include "storage/error.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/report_printer.h"
#include "ui/save_dialog.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

using ledger::Holdings;
using ledger::HoldingsReport;

namespace {

constexpr int kWthColumn = 0;

std::vector<ui::GridColumn> ledgerColumns() {
    const std::pair<const char*, const char*> columns[] = {
        {"WTH", "委托号"},    {"QSDM", "券商码"},  {"QS", "券商"},         {"ZJZH", "资金帐号"},
        {"GDDM", "股东代码"}, {"LX", "类型码"},    {"CODE", "代码"},       {"NAME", "名称"},
        {"BS", "多/空"},      {"AMT", "数量"},     {"BIRATE", "货币比率"}, {"PRICE1", "价格1"},
        {"DATE1", "日期1"},   {"PRICE2", "价格2"}, {"DATE2", "日期2"},     {"COST1", "价值1"},
        {"COST2", "价值2"},   {"SXF", "手续费"},   {"YHS", "印花税"},      {"INCOME", "增值"},
        {"INC", "增值率"},    {"PER", "投资比例"}, {"ZK_RATE", "折扣率"},  {"LXM", "类型名"},
        {"NOTE", "注释"}};
    std::vector<ui::GridColumn> out;
    for (const auto& [field, title] : columns) out.push_back({field, QString::fromUtf8(title)});
    return out;
}

}  // namespace

template <class F>
void HoldingsEditorWindow::guarded(F&& operation) {
    try {
        operation();
    } catch (const storage::Error& e) {
        holdings_.ledger().cancel();
        session_.prompter().message(e.what());
    }
    showState();
}

HoldingsEditorWindow::HoldingsEditorWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), holdings_(session.holdings()) {
    setWindowTitle(QString::fromUtf8(kCaption));

    model_ = std::make_unique<ui::CursorModel>(holdings_.ledger(), session_.prompter());
    model_->setColumns(ledgerColumns());
    grid_ = new QTableView;
    ui::bindGrid(grid_, model_.get(), ui::reportFolder(session_.accountDir()));
    gridGroup_ = new QGroupBox;
    auto* gridLayout = new QVBoxLayout(gridGroup_);
    gridLayout->addWidget(grid_);

    marketLabel_ = new QLabel;
    discountLabel_ = new QLabel;
    auto* labels = new QHBoxLayout;
    labels->addWidget(marketLabel_);
    labels->addSpacing(40);
    labels->addWidget(discountLabel_);
    labels->addStretch(1);
    labels->addWidget(new QLabel(QStringLiteral("多空栏1表示买多；-1表示卖空")));

    auto* left = new QVBoxLayout;
    left->addLayout(labels);
    left->addWidget(gridGroup_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buildSide());
    resize(800, 600);
    showState();
}

HoldingsEditorWindow::~HoldingsEditorWindow() = default;

QPushButton* HoldingsEditorWindow::button(const char* text, void (HoldingsEditorWindow::*action)(),
                                          const char* hint) {
    auto* b = new QPushButton(QString::fromUtf8(text));
    if (hint) b->setToolTip(QString::fromUtf8(hint));
    connect(b, &QPushButton::clicked, this, action);
    return b;
}

QWidget* HoldingsEditorWindow::buildSide() {
    auto* choice = new QGroupBox(QStringLiteral("显示选择"));
    auto* choiceLayout = new QVBoxLayout(choice);
    holdingsChoice_ = new QRadioButton(QStringLiteral("显示持仓记录"));
    closedChoice_ = new QRadioButton(QStringLiteral("显示平仓记录"));
    choiceLayout->addWidget(holdingsChoice_);
    choiceLayout->addWidget(closedChoice_);
    connect(holdingsChoice_, &QRadioButton::clicked, this, [this] { chooseView(Holdings::View::Holdings); });
    connect(closedChoice_, &QRadioButton::clicked, this, [this] { chooseView(Holdings::View::Closed); });

    auto* records = new QGroupBox(QStringLiteral("记录操作"));
    auto* recordsLayout = new QVBoxLayout(records);
    recordsLayout->addWidget(button("删除", &HoldingsEditorWindow::removeRecord));
    recordsLayout->addWidget(button("插入空白", &HoldingsEditorWindow::insertBlank));
    recordsLayout->addWidget(button("复制记录", &HoldingsEditorWindow::copyRecord));

    valuateButton_ = button("更新计算", &HoldingsEditorWindow::valuate);
    pricesButton_ = button("手工改价", &HoldingsEditorWindow::setPrices, "进入手工设置窗口手工更新价格");
    auto* newAccount = new QPushButton(QStringLiteral("新建资金帐户"));
    newAccount->setToolTip(QStringLiteral("新建资金帐户操作"));
    connect(newAccount, &QPushButton::clicked, this, &HoldingsEditorWindow::newCashAccountRequested);
    auto* close = new QPushButton(QStringLiteral("关闭"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* side = new QWidget;
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(choice);
    layout->addWidget(records);
    layout->addWidget(button("补充汉字", &HoldingsEditorWindow::fillNames));
    layout->addWidget(valuateButton_);
    layout->addWidget(button("打印报告", &HoldingsEditorWindow::printReport));
    layout->addWidget(button("拷贝数据", &HoldingsEditorWindow::copyOldLedger, "旧版用户用于追加数据"));
    layout->addWidget(pricesButton_);
    layout->addWidget(newAccount);
    layout->addWidget(button("帮助", &HoldingsEditorWindow::help));
    layout->addStretch(1);
    layout->addWidget(close);
    return side;
}

void HoldingsEditorWindow::showState() {
    marketLabel_->setText(QString::fromStdString(holdings_.marketLabel()));
    discountLabel_->setText(QString::fromStdString(holdings_.discountLabel()));
    const bool open = holdings_.view() == Holdings::View::Holdings;
    holdingsChoice_->setChecked(open);
    closedChoice_->setChecked(!open);
    gridGroup_->setTitle(open ? QStringLiteral("持仓文件") : QStringLiteral("平仓文件"));
    valuateButton_->setEnabled(open);
    pricesButton_->setEnabled(open);
}

void HoldingsEditorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    guarded([this] { holdings_.up_calc(); });
}

void HoldingsEditorWindow::closeEvent(QCloseEvent* event) {
    guarded([this] { holdings_.up_calc(); });  // which goes back to the holdings view first
    QWidget::closeEvent(event);
    emit closed();
}

void HoldingsEditorWindow::chooseView(Holdings::View view) {
    guarded([&] { holdings_.setView(view); });
}

void HoldingsEditorWindow::valuate() {
    const ui::WaitCursor hourglass;
    guarded([this] { holdings_.up_calc(); });
}

void HoldingsEditorWindow::removeRecord() {
    guarded([this] { holdings_.removeCurrent(); });
    grid_->setFocus();
}

void HoldingsEditorWindow::insertBlank() {
    guarded([this] { holdings_.insertBlank(); });
    editWth(true);
}

void HoldingsEditorWindow::copyRecord() {
    bool copied = false;
    guarded([&] { copied = holdings_.copy_buy_rec(); });
    if (copied) editWth(false);
}

void HoldingsEditorWindow::editWth(bool startEditing) {
    const QModelIndex wth = model_->index(holdings_.ledger().position(), kWthColumn);
    if (!wth.isValid()) return;
    grid_->setCurrentIndex(wth);
    grid_->setFocus();
    if (startEditing) grid_->edit(wth);
}

void HoldingsEditorWindow::fillNames() {
    guarded([this] { holdings_.fillNames(); });
}

void HoldingsEditorWindow::printReport() {
    const bool open = holdings_.view() == Holdings::View::Holdings;
    const QString title = open ? QStringLiteral("持仓报告") : QStringLiteral("平仓报告");
    QString file;
    const auto sinkFor = [&](HoldingsReport::Target target) -> std::unique_ptr<port::ReportSink> {
        if (target == HoldingsReport::Target::Printer)
            return std::make_unique<ui::ReportPrinter>(this, session_.prompter(), title,
                                                       ui::reportFolder(session_.accountDir()));
        const auto suggested = ledger::defaultReportFile(session_.accountDir(), session_.clock().now());
        file = ui::saveFileName(this, title, suggested.parent_path(),
                                QString::fromStdU16String(suggested.filename().u16string()),
                                QStringLiteral("文本文件 (*.txt)"));
        if (file.isEmpty()) return nullptr;
        return std::make_unique<port::TextFileReport>(std::filesystem::path(file.toStdU16String()));
    };
    guarded([&] {
        HoldingsReport report(holdings_, session_.prompter(), session_.clock());
        if (!report.print(sinkFor) && !file.isEmpty())
            session_.prompter().message(port::cannotWrite(std::filesystem::path(file.toStdU16String())));
    });
}

void HoldingsEditorWindow::copyOldLedger() {
    guarded([this] { ledger::OldLedger(holdings_, session_.accountDir(), session_.prompter()).copy(); });
}

void HoldingsEditorWindow::setPrices() {
    emit pricesRequested();
}

void HoldingsEditorWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("mystocks")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
