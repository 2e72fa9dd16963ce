#include "ledger/order_window.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <exception>

#include "reference/code_lookup_window.h"
#include "ui/centre.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& t) {
    return t.toStdString();
}

void setList(QComboBox* box, const std::vector<std::string>& items, const std::string& text) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (const auto& i : items) box->addItem(q(i));
    box->setEditText(q(text));
}

QComboBox* editableList() {
    auto* box = new QComboBox;
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->setMinimumContentsLength(10);
    return box;
}

}  // namespace

OrderWindow::OrderWindow(app::Session& session, ledger::BookViews& views, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      session_(session),
      desk_(session.engine(), session.lookups(), session.prices(), session.prompter(), session.clock(), views,
            [&session] { session.holdings().up_calc(); }),
      settlement_(desk_) {
    setWindowTitle(QStringLiteral("手工委托处理窗口"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildBoxes());
    layout->addWidget(buildButtons());
    pushForm();
    adjustSize();
    ui::moveToScreenCentre(*this);
}

OrderWindow::~OrderWindow() = default;

QComboBox* OrderWindow::buildTypeBox() {
    auto* box = editableList();
    box->setMinimumContentsLength(4);
    typeModel_ = std::make_unique<ui::CursorModel>(session_.lookups().types(), session_.prompter());
    typeModel_->setColumns({{"Lx", QStringLiteral("类型码")}, {"Lxm", QStringLiteral("类型名")}});
    auto* view = new QTableView;
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    box->setModel(typeModel_.get());
    box->setView(view);
    box->setModelColumn(0);
    box->setMaxVisibleItems(20);
    view->setMinimumWidth(200);
    return box;
}

QWidget* OrderWindow::buildBoxes() {
    auto* boxes = new QWidget;
    auto* grid = new QGridLayout(boxes);
    const auto caption = [&](const char* text, int row, int column) {
        grid->addWidget(new QLabel(QString::fromUtf8(text)), row, column);
    };
    wth_ = new QLineEdit;
    tradeDate_ = new QLineEdit;
    qsdm_ = editableList();
    qsLabel_ = new QLabel;
    zjzh_ = editableList();
    gddm_ = editableList();
    currencyLabel_ = new QLabel;
    rateLabel_ = new QLabel;
    code_ = new QLineEdit;
    query_ = new QPushButton(QStringLiteral("查询"));
    nameLabel_ = new QLabel;
    price_ = new QLineEdit;
    amt_ = new QLineEdit;
    lx_ = buildTypeBox();
    marginLabel_ = new QLabel;
    cashLabel_ = new QLabel;
    buyableLabel_ = new QLabel;
    codeCaption_ = new QLabel(QStringLiteral("证券代码："));
    const std::pair<QWidget*, const char*> named[] = {{wth_, "wth"},
                                                      {tradeDate_, "tradeDate"},
                                                      {qsdm_, "qsdm"},
                                                      {zjzh_, "zjzh"},
                                                      {gddm_, "gddm"},
                                                      {code_, "code"},
                                                      {price_, "price"},
                                                      {amt_, "amt"},
                                                      {lx_, "lx"},
                                                      {nameLabel_, "name"},
                                                      {cashLabel_, "cash"},
                                                      {buyableLabel_, "buyable"},
                                                      {qsLabel_, "qs"},
                                                      {marginLabel_, "margin"},
                                                      {currencyLabel_, "currency"},
                                                      {rateLabel_, "rate"}};
    for (const auto& [w, name] : named) w->setObjectName(QString::fromUtf8(name));

    caption("委托号：", 0, 0);
    grid->addWidget(wth_, 0, 1);
    caption("交易日期:", 0, 2);
    grid->addWidget(tradeDate_, 0, 3);
    caption("券商代码：", 1, 0);
    grid->addWidget(qsdm_, 1, 1);
    grid->addWidget(qsLabel_, 1, 2, 1, 2);
    caption("资金帐号：", 2, 0);
    grid->addWidget(zjzh_, 2, 1);
    caption("股东代码:", 2, 2);
    grid->addWidget(gddm_, 2, 3);
    caption("货币：", 3, 0);
    grid->addWidget(currencyLabel_, 3, 1);
    caption("比率(和结算货币比)：", 3, 2);
    grid->addWidget(rateLabel_, 3, 3);
    grid->addWidget(codeCaption_, 4, 0);
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(code_);
    codeRow->addWidget(query_);
    grid->addLayout(codeRow, 4, 1);
    grid->addWidget(nameLabel_, 4, 2, 1, 2);
    caption("价格：", 5, 0);
    grid->addWidget(price_, 5, 1);
    caption("数量：", 5, 2);
    grid->addWidget(amt_, 5, 3);
    caption("类型：", 6, 0);
    grid->addWidget(lx_, 6, 1);
    grid->addWidget(marginLabel_, 6, 2, 1, 2);
    // The labels carry their captions ("可用资金：…", "可买股票：…"): no caption beside them.
    grid->addWidget(cashLabel_, 7, 0, 1, 4);
    grid->addWidget(buyableLabel_, 8, 0, 1, 4);

    auto* choice = new QGroupBox;
    auto* choiceLayout = new QHBoxLayout(choice);
    shortSale_ = new QRadioButton(QStringLiteral("卖空(只适合期货)"));
    long_ = new QRadioButton(QStringLiteral("做多"));
    choiceLayout->addWidget(shortSale_);
    choiceLayout->addWidget(long_);
    grid->addWidget(choice, 9, 0, 1, 4);

    wth_->installEventFilter(this);
    codeCaption_->installEventFilter(this);
    connect(code_, &QLineEdit::textEdited, this, [this] { run([this] { desk_.codeChanged(); }); });
    connect(price_, &QLineEdit::textEdited, this, [this] { run([this] { desk_.priceChanged(); }); });
    connect(query_, &QPushButton::clicked, this, &OrderWindow::query);
    // A broker or account counts as changed when picked, or when typing it is finished.
    connect(qsdm_, &QComboBox::activated, this, [this] { run([this] { desk_.brokerChanged(); }); });
    connect(qsdm_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (s(qsdm_->currentText()) != desk_.form().qsdm) run([this] { desk_.brokerChanged(); });
    });
    connect(zjzh_, &QComboBox::activated, this, [this] { run([this] { desk_.accountChanged(); }); });
    connect(zjzh_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (s(zjzh_->currentText()) != desk_.form().zjzh) run([this] { desk_.accountChanged(); });
    });
    connect(lx_, &QComboBox::activated, this,
            [this](int index) { run([this, index] { desk_.typePicked(s(lx_->itemText(index))); }); });
    for (auto* b : {shortSale_, long_})
        connect(b, &QRadioButton::clicked, this,
                [this] { run([this] { desk_.longShortChanged(shortSale_->isChecked()); }); });
    return boxes;
}

QWidget* OrderWindow::buildButtons() {
    auto* row = new QWidget;
    auto* grid = new QGridLayout(row);
    const auto button = [&](const char* text, int r, int c) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        grid->addWidget(b, r, c);
        return b;
    };
    buyLong_ = button("买入或做多开仓", 0, 0);
    sellLong_ = button("卖出或做多平仓", 0, 1);
    openShort_ = button("卖空开仓", 0, 2);
    closeShort_ = button("卖空平仓", 0, 3);
    cancel_ = button("取消委托", 1, 0);
    confirm_ = button("确认结算", 1, 1);
    toggle_ = button(">", 1, 2);
    toggle_->setToolTip(QStringLiteral("改变缺省的记录操作选择"));
    auto* help = button("帮助", 2, 0);
    auto* close = button("关闭", 2, 1);
    connect(buyLong_, &QPushButton::clicked, this, [this] { act(&OrderWindow::buy); });
    connect(openShort_, &QPushButton::clicked, this, [this] { act(&OrderWindow::buy); });
    connect(sellLong_, &QPushButton::clicked, this, [this] { act(&OrderWindow::sell); });
    connect(closeShort_, &QPushButton::clicked, this, [this] { act(&OrderWindow::sell); });
    connect(cancel_, &QPushButton::clicked, this, [this] { act(&OrderWindow::cancel); });
    connect(confirm_, &QPushButton::clicked, this, [this] { act(&OrderWindow::confirm); });
    connect(toggle_, &QPushButton::clicked, this, [this] { run([this] { desk_.toggleMode(); }); });
    connect(help, &QPushButton::clicked, this, &OrderWindow::help);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    return row;
}

void OrderWindow::pushForm() {
    pushing_ = true;
    const ledger::OrderForm& f = desk_.form();
    wth_->setText(q(f.wth));
    tradeDate_->setText(q(f.tradeDate));
    setList(qsdm_, f.qsdmList, f.qsdm);
    setList(zjzh_, f.zjzhList, f.zjzh);
    setList(gddm_, f.gddmList, f.gddm);
    code_->setText(q(f.code));
    price_->setText(q(f.price));
    amt_->setText(q(f.amt));
    {
        const QSignalBlocker quiet(lx_);
        lx_->setEditText(q(f.lx));
    }
    shortSale_->setChecked(f.shortSale);
    long_->setChecked(!f.shortSale);
    qsLabel_->setText(f.qsLabel.empty() ? QStringLiteral("券商：") : q(f.qsLabel));
    nameLabel_->setText(q(f.nameLabel));
    currencyLabel_->setText(q(f.currencyLabel));
    rateLabel_->setText(q(f.rateLabel));
    marginLabel_->setText(q(f.marginLabel));
    cashLabel_->setText(q(f.cashLabel));
    buyableLabel_->setText(q(f.buyableLabel));

    const ledger::OrderControls& k = desk_.controls();
    code_->setEnabled(k.code);
    wth_->setEnabled(k.wth);
    tradeDate_->setEnabled(k.tradeDate);
    query_->setEnabled(k.query);
    shortSale_->setEnabled(k.longShort);
    long_->setEnabled(k.longShort);
    buyLong_->setEnabled(k.buyLong);
    sellLong_->setEnabled(k.sellLong);
    openShort_->setEnabled(k.openShort);
    closeShort_->setEnabled(k.closeShort);
    cancel_->setEnabled(k.cancel);
    confirm_->setEnabled(k.confirm);
    toggle_->setText(q(k.toggle));
    pushing_ = false;
}

void OrderWindow::pullForm() {
    ledger::OrderForm& f = desk_.form();
    f.wth = s(wth_->text());
    f.tradeDate = s(tradeDate_->text());
    f.qsdm = s(qsdm_->currentText());
    f.zjzh = s(zjzh_->currentText());
    f.gddm = s(gddm_->currentText());
    f.code = s(code_->text());
    f.price = s(price_->text());
    f.amt = s(amt_->text());
    f.lx = s(lx_->currentText());
}

template <class F>
void OrderWindow::run(F&& change) {
    if (pushing_) return;
    pullForm();
    try {
        change();
    } catch (const std::exception& e) {
        desk_.ledger().cancel();
        session_.prompter().message(e.what());
    }
    pushForm();
}

void OrderWindow::act(bool (OrderWindow::*action)()) {
    bool closes = false;
    run([&] {
        const ui::WaitCursor wait;
        closes = (this->*action)();
    });
    if (closes) close();
}

bool OrderWindow::buy() {
    return desk_.buy();
}
bool OrderWindow::sell() {
    return desk_.sell();
}
bool OrderWindow::cancel() {
    return settlement_.cancel();
}
bool OrderWindow::confirm() {
    return settlement_.confirm() != ledger::Settlement::Result::Invalid;
}

void OrderWindow::openOn(const ledger::DetailRow& row) {
    run([&] { desk_.fillFrom(row); });
    move(120, 30);
    show();
    raise();
    activateWindow();
}

void OrderWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    run([this] {
        std::int64_t cashRow = 0, cashTotal = 0;
        if (const auto d = desk_.views().currentDetail()) {
            cashTotal = session_.holdings().zjzhxj(d->qsdm, d->zjzh);
            cashRow = session_.holdings().zjzhxj1(d->qsdm, d->zjzh);
        }
        desk_.show(cashRow, cashTotal);
    });
}

void OrderWindow::closeEvent(QCloseEvent* event) {
    run([this] { desk_.closed(); });
    QWidget::closeEvent(event);
}

bool OrderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && (watched == wth_ || watched == codeCaption_))
        run([this] { desk_.set_mm(); });
    return QWidget::eventFilter(watched, event);
}

void OrderWindow::query() {
    if (!lookup_) {
        lookup_ = std::make_unique<CodeLookupWindow>(session_.prices(), session_.prompter());
        lookup_->setPickHandler([this](const reference::GeneralPrices::Pick& pick) {
            run([this, &pick] {
                desk_.form().code = pick.code;
                desk_.codeChanged();
            });
        });
    }
    lookup_->showAt(200, 30);
}

void OrderWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("buysell")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
