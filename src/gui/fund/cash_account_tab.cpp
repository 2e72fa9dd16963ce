#include "fund/cash_account_tab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "fund/report_destination.h"
#include "storage/error.h"
#include "text/display.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

namespace {

QTableView* readOnlyGrid(ui::CursorModel* model) {
    auto* view = new QTableView;
    ui::bindGrid(view, model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

QGroupBox* framed(const QString& caption, QWidget* inside) {
    auto* box = new QGroupBox(caption);
    (new QVBoxLayout(box))->addWidget(inside);
    return box;
}

}  // namespace

CashAccountTab::CashAccountTab(app::Session& session, FundName fundName, QWidget* parent)
    : QWidget(parent),
      session_(session),
      fundName_(std::move(fundName)),
      accounts_(session.engine(), session.lookups(), session.prompter(), session.clock()) {
    auto& prompter = session.prompter();
    try {
        accounts_.open();
    } catch (const storage::Error& e) {
        prompter.message(e.what());
    }
    accountModel_ = std::make_unique<ui::CursorModel>(accounts_.accounts(), prompter);
    accountModel_->setColumns({{"qsdm", "券商代码"}, {"zjzh", "资金帐号"}, {"input", "投入金额"}});
    movementModel_ = std::make_unique<ui::CursorModel>(accounts_.movements(), prompter);
    movementModel_->setColumns(
        {{"dt", "日期"}, {"name", "投资人"}, {"input", "投入金额"}, {"price", "价格"}, {"note", "注释"}});
    holdingsModel_ = std::make_unique<ui::CursorModel>(accounts_.holdings(), prompter);
    holdingsModel_->setColumns(
        {{"qsdm", "券商代码"}, {"zjzh", "资金账号"}, {"cost3", "折扣市值"}, {"birate", "汇率"}});

    auto* layout = new QGridLayout(this);
    layout->addWidget(
        framed(QStringLiteral("投入账户金额统计(使用结算货币)"), readOnlyGrid(accountModel_.get())), 0, 0);
    layout->addWidget(framed(QStringLiteral("明细"), readOnlyGrid(movementModel_.get())), 0, 1, 2, 1);
    holdingsGrid_ = readOnlyGrid(holdingsModel_.get());
    layout->addWidget(framed(QStringLiteral("持仓记录市值（使用实际货币）"), holdingsGrid_), 1, 0);

    auto* boxes = new QGridLayout;
    code_ = new QLineEdit;
    amount_ = new QLineEdit;
    value_ = new QLineEdit;
    for (QLineEdit* e : {code_, amount_, value_}) e->setReadOnly(true);
    boxes->addWidget(new QLabel(QStringLiteral("账户代码")), 0, 0);
    boxes->addWidget(code_, 0, 1);
    boxes->addWidget(new QLabel(QStringLiteral("金额")), 0, 2);
    boxes->addWidget(amount_, 0, 3);
    boxes->addWidget(value_, 0, 4);
    first_ = new QLabel;
    second_ = new QLabel;
    boxes->addWidget(first_, 1, 0, 1, 2);
    boxes->addWidget(second_, 1, 2, 1, 2);
    boxes->addWidget(new QLabel(QStringLiteral("如想要文件可屏幕剪贴")), 1, 4);
    layout->addLayout(boxes, 2, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    details_ = new QCheckBox(QStringLiteral("打印左边详细记录"));
    details_->setChecked(true);
    buttons->addWidget(details_);
    auto* print = new QPushButton(QStringLiteral("打印报告"));
    auto* help = new QPushButton(QStringLiteral("解释和帮助"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    for (QPushButton* b : {print, help, close}) buttons->addWidget(b);
    layout->addLayout(buttons, 3, 0, 1, 2);

    // Selecting an account moves the account cursor again: follow a move made by the user only.
    connect(accountModel_.get(), &ui::CursorModel::currentRowChanged, this, [this](int row) {
        if (row < 0 || following_) return;
        following_ = true;
        try {
            accounts_.select(accounts_.accounts().text("qsdm"), accounts_.accounts().text("zjzh"));
        } catch (const storage::Error& e) {
            session_.prompter().message(e.what());
        }
        following_ = false;
        showSelected();
    });
    connect(holdingsGrid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        holdingsModel_->moveCursorTo(index.row());
        const storage::Cursor& h = accounts_.holdings();
        following_ = true;
        const bool found = accounts_.select(h.text("qsdm"), h.text("zjzh"));
        following_ = false;
        if (found) showSelected();
    });
    connect(print, &QPushButton::clicked, this, &CashAccountTab::print);
    connect(help, &QPushButton::clicked, this, [this] {
        if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("accountreport")))
            session_.prompter().message(ui::HelpViewer::missingFileMessage());
    });
    connect(close, &QPushButton::clicked, this, [this] { window()->close(); });
    showSelected();
}

CashAccountTab::~CashAccountTab() = default;

void CashAccountTab::reload() {
    following_ = true;
    try {
        accounts_.open();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    following_ = false;
    showSelected();
}

void CashAccountTab::showSelected() {
    const fund::AccountSummary s = accounts_.selezj();
    code_->setText(QString::fromStdString(s.code));
    amount_->setText(QString::fromStdString(s.amount));
    value_->setText(QString::fromStdString(text::displayNumber(s.held, text::NumberKind::Money)));
    first_->setText(QString::fromStdString(s.first));
    second_->setText(QString::fromStdString(s.second));
}

void CashAccountTab::print() {
    try {
        const std::string zjzh = accounts_.accounts().isEmpty() ? "" : accounts_.accounts().text("zjzh");
        accounts_.print(fundName_(), details_->isChecked(),
                        reportOutput(this, session_, QStringLiteral("资金帐户报告"), "Rep_", zjzh));
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

}  // namespace varneth::gui
