#include "reference/settings_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "reference/margin_window.h"
#include "storage/error.h"
#include "ui/centre.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

namespace {

constexpr const char* kNote =
    "注意：修改记录: 修改后移光标到其他记录，修改的方可被保存；添加记录: -将光标移到最下边编辑；删除记录: "
    "用CTRL+Delete";
constexpr const char* kDefaultCurrencyNote = "货币没有定义的资金帐户一律假设使用结算货币";
constexpr const char* kSettlementNote =
    "修改表格内容后必须作此操作,使结算货币相对比例为1。 "
    "结算货币改变后，各证券价格，市值，盈亏等仍按原货币显示，"
    "唯帐户总值按结算币种显示。更改结算货币会导致基金价格走势出现不应有的缺口，可以在资金进出窗口通过校正操作"
    "弥补缺口。";
constexpr int kRepaintEvery = 100;

}  // namespace

SettingsWindow::SettingsWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      session_(session),
      maintenance_(session.engine(), session.holdings().ledger(), session.lookups(), session.prices(),
                   session.prompter(), session.clock()) {
    setObjectName(QStringLiteral("setform"));
    setWindowTitle(QString::fromUtf8(kCaption));
    using M = reference::Maintenance;
    maintenance_.setHooks(
        {[this](int done, int total) { progress(done, total); }, [this] { emit holdingsChanged(); }});
    reference::Lookups& look = session.lookups();

    tabs_ = new QTabWidget;
    typeGrid_ = grid(look.types(), {{"Lx", "类型码"},
                                    {"Lxm", "类型名"},
                                    {"Zk_rate", "折扣率"},
                                    {"Sxf_rate", "手续费"},
                                    {"Yhs_rate", "印花税"},
                                    {"Bzj_rate", "保证金比率"},
                                    {"Oversell", "可卖空"}});
    tabs_->addTab(
        tab({typeGrid_},
            {{"从持仓文件追加", "插入持仓文件中本窗口没有的类型", [this] { maintenance_.appendTypes(); }},
             {"补充和更新   ", "用本窗口数据更新持仓文件中类型名",
              [this] { maintenance_.updateTypeNames(); }},
             {"计算保证金比率", nullptr, [this] { openMargin(); }}},
            M::kHelpTypes),
        QStringLiteral("类型名表"));
    tabs_->addTab(
        tab({grid(look.holdingsPrices(), {{"code", "代码"}, {"name", "名称"}, {"price2", "最近价"}})},
            {{"从持仓文件追加", "插入持仓文件中本窗口没有的股票数据",
              [this] { maintenance_.appendPrices(); }},
             {"从持仓文件再生",
              "清除本窗口记录,并插入持仓文件中的股票数据; 注意其他管理帐户可能用到其他股票数据",
              [this] { maintenance_.regeneratePrices(); }},
             {"据总表更新价格",
              "总表即所有股票代码价格表，来自更新行情数据窗口的－读所有股票价格－操作;类似于用F8更新",
              [this] { maintenance_.pricesFromGeneral(); }},
             {"改持仓文件价格", "用本窗口数据更新持仓文件中股票名和当前价(价格2)",
              [this] { maintenance_.pricesToLedger(); }}},
            M::kHelpPrices),
        QStringLiteral("代码价格表"));
    tabs_->addTab(tab({grid(look.brokers(), {{"Qsdm", "券商代码"}, {"Qs", "券商"}})},
                      {{"从持仓文件追加", nullptr, [this] { maintenance_.appendBrokers(); }},
                       {"从持仓文件再生", nullptr, [this] { maintenance_.regenerateBrokers(); }},
                       {"补充券商名   ", "用本窗口数据更新持仓文件中券商名",
                        [this] { maintenance_.fillBrokerNames(); }}},
                      M::kHelpBrokers),
                  QStringLiteral("券商代码表"));
    tabs_->addTab(tab({grid(look.rules(), {{"Order", "匹配序号"},
                                           {"Code1", "起始代码"},
                                           {"Code2", "终止代码"},
                                           {"Lx", "类型代码"},
                                           {"Lxm", "类型名"}})},
                      {{"从持仓追加类型", nullptr, [this] { maintenance_.appendRuleTypes(); }},
                       {"补持仓纪录类型", "用本窗口代码范围更新持仓文件中股票类型",
                        [this] { maintenance_.applyRules(); }}},
                      M::kHelpRules),
                  QStringLiteral("代码->类型表"));
    tabs_->addTab(currencyTab(), QStringLiteral("货币定义"));

    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setFormat(QStringLiteral("%v/%m"));
    progress_->hide();
    auto* note = new QLabel(QString::fromUtf8(kNote));
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(progress_);
    layout->addWidget(note);
    resize(720, 520);
}

SettingsWindow::~SettingsWindow() = default;

QTableView* SettingsWindow::grid(storage::Cursor& cursor,
                                 const std::vector<std::pair<const char*, const char*>>& columns) {
    auto model = std::make_unique<ui::CursorModel>(cursor, session_.prompter());
    std::vector<ui::GridColumn> titled;
    titled.reserve(columns.size());
    for (const auto& [field, title] : columns) titled.push_back({field, QString::fromUtf8(title)});
    model->setColumns(titled);
    auto* view = new QTableView;
    ui::bindGrid(view, model.get());
    models_.push_back(std::move(model));
    return view;
}

QWidget* SettingsWindow::tab(const std::vector<QTableView*>& grids, const std::vector<Button>& buttons,
                             const char* help, QWidget* extra) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    for (QTableView* g : grids) layout->addWidget(g, 1);
    auto* side = new QVBoxLayout;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.text));
        if (b.hint) button->setToolTip(QString::fromUtf8(b.hint));
        const auto action = b.action;
        connect(button, &QPushButton::clicked, this, [this, action] { run(action); });
        side->addWidget(button);
    }
    if (extra) side->addWidget(extra);
    side->addStretch();
    auto* helpButton = new QPushButton(QStringLiteral("帮助"));
    const QString topic = QString::fromUtf8(help);
    connect(helpButton, &QPushButton::clicked, this, [this, topic] {
        if (!ui::HelpViewer::showTopic(this, session_.programDir(), topic))
            session_.prompter().message(ui::HelpViewer::missingFileMessage());
    });
    auto* closeButton = new QPushButton(QStringLiteral("关闭"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    side->addWidget(helpButton);
    side->addWidget(closeButton);
    layout->addLayout(side);
    return page;
}

QWidget* SettingsWindow::currencyTab() {
    reference::Lookups& look = session_.lookups();
    auto* currencies = grid(
        look.currencies(), {{"Code", "代码"}, {"Name", "货币名"}, {"Rate", "相对比例"}, {"Now", "结算货币"}});
    auto* accounts =
        grid(look.accountCurrencies(), {{"Qsdm", "券商代码"}, {"Zjzh", "资金帐号"}, {"Bicode", "货币代码"}});
    auto* extra = new QWidget;
    auto* column = new QVBoxLayout(extra);
    column->setContentsMargins(0, 0, 0, 0);
    settlement_ = new QLabel;
    settlement_->setObjectName(QStringLiteral("settlement"));
    for (const char* text : {kSettlementNote, kDefaultCurrencyNote}) {
        auto* l = new QLabel(QString::fromUtf8(text));
        l->setWordWrap(true);
        l->setMaximumWidth(220);
        column->addWidget(l);
    }
    column->addWidget(settlement_);
    showSettlement();
    return tab({currencies, accounts},
               {{"更改结算货币为光标所指", nullptr,
                 [this] {
                     maintenance_.setSettlement();
                     showSettlement();
                 }},
                {"从持仓文件再生", nullptr, [this] { maintenance_.regenerateAccounts(); }},
                {"从持仓文件追加帐户", nullptr, [this] { maintenance_.appendAccounts(); }},
                {"更新持仓文件货币比率", nullptr, [this] { maintenance_.updateRates(); }}},
               reference::Maintenance::kHelpCurrencies, extra);
}

QString SettingsWindow::settlementText() const {
    return settlement_->text();
}

void SettingsWindow::showSettlement() {
    settlement_->setText(QString::fromStdString(session_.lookups().settlementLabel()));
}

void SettingsWindow::run(const std::function<void()>& action) {
    const ui::WaitCursor wait;
    progress_->setValue(0);
    progress_->show();
    try {
        action();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    progress_->hide();
}

void SettingsWindow::progress(int done, int total) {
    progress_->setMaximum(std::max(total, 1));
    progress_->setValue(done);
    if (done % kRepaintEvery == 0 || done == total) progress_->repaint();
}

void SettingsWindow::openMargin() {
    if (!margin_) margin_ = std::make_unique<MarginWindow>(session_);
    margin_->openOnSelectedType();
}

void SettingsWindow::showCentred(int tab) {
    tabs_->setCurrentIndex(tab);
    ui::moveToScreenCentre(*this);
    show();
    raise();
    activateWindow();
}

void SettingsWindow::execOnTab(int tab) {
    setWindowModality(Qt::ApplicationModal);
    showCentred(tab);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    setWindowModality(Qt::NonModal);
    if (margin_) margin_->close();
    if (session_.holdings().valuationPending()) {
        const ui::WaitCursor wait;
        session_.holdings().up_calc();
        emit holdingsChanged();
    }
    event->accept();
}

}  // namespace varneth::gui
