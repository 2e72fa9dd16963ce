#include "fund/fund_management_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "fund/address_book_tab.h"
#include "fund/capital_in_out_window.h"
#include "fund/cash_account_tab.h"
#include "fund/commission_stats_window.h"
#include "fund/investor_report_buttons.h"
#include "fund/report_definition_tab.h"
#include "storage/error.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

using fund::FundManager;

namespace {

std::vector<ui::GridColumn> investorColumns() {
    return {{"pycode", "代码"},  {"name", "姓名"},      {"xabc", "类型"},
            {"input", "投资数"}, {"unit", "股数"},      {"a_price", "买均价"},
            {"zzl", "增值%"},    {"asset", "最终价值"}, {"dmoney", "可取数"}};
}

std::vector<ui::GridColumn> detailColumns() {
    return {{"dt", "日期"},        {"pycode", "代码"}, {"name", "名称"},    {"xabc", "类型"},
            {"input", "投资数"},   {"unit", "股数"},   {"price", "买价"},   {"czxh", "撤资序号"},
            {"l_price", "最终价"}, {"zzl", "增值%"},   {"asset", "市值"},   {"dmoney", "可取资金"},
            {"note", "注释"},      {"qsdm", "券商码"}, {"zjzh", "资金帐号"}};
}

std::vector<ui::GridColumn> candidateColumns() {
    return {{"DT", "投资日期"},    {"PYCODE", "投资人码"}, {"NAME", "姓名"},      {"XABC", "投资类型"},
            {"INPUT", "投资金额"}, {"UNIT", "股数"},       {"PRICE", "投资价格"}, {"L_PRICE", "当前价格"},
            {"PER", "增值率"},     {"FUND", "市值"},       {"DMONEY", "取资金"},  {"Tich", "提成"},
            {"Bxfund", "保险费"},  {"Czxh", "撤资序号"}};
}

// The editor's boxes: field, caption, and the note after it.
struct TypeBox {
    const char* field;
    const char* caption;
};
const TypeBox kTypeBoxes[] = {
    {"Xabc", "码"},
    {"Note", "类型及说明"},
    {"C5", "1.管理人保证年收益"},
    {"E9", " %(e9)"},
    {"E10", "不足部分赔偿      %(e10)"},
    {"C2", "2.按赢利提成,年超过"},
    {"E3", "%(e3)"},
    {"E4", "的部分提      %(e4)"},
    {"C3", "3.年超过"},
    {"E5", " %(e5)"},
    {"E6", "的部分增提      %(e6)"},
    {"C4", "4.年超过"},
    {"E7", "%(e7)"},
    {"E8", "的部分再增提      %(e8)"},
    {"C8", "5.时间不足一年时, 唯后两个底限(e5,e7)不按比例缩小"},
    {"C1", "6.有固定佣金,每天提基金价值的 "},
    {"E1", " %(e1)"},
    {"E2", ",相当年      %(e2)"},
    {"C9", "7.资金进出手续费(仅撤资时扣除)是基金价值的"},
    {"E12", "      %(e12)"},
    {"C6", "8.投资时间不短于"},
    {"E11", "        (e11) 天(打印阶段报告时用到)"},
    {"E13", "9. 提成日：自投资日或上次提成日起不少于           (e13) 天"},
};

QPushButton* addButton(QBoxLayout* row, const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text));
    row->addWidget(b);
    return b;
}

}  // namespace

template <class F>
void FundManagementWindow::guarded(F&& action) {
    try {
        action();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

FundManagementWindow::FundManagementWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      manager_(session.engine(), session.fund(), session.prompter(), session.clock()) {
    setWindowTitle(QStringLiteral("基金管理窗口"));
    manager_.reopen();
    tabs_ = new QTabWidget;
    definitionTab_ = new ReportDefinitionTab(session_);
    tabs_->addTab(buildInvestorsTab(), QStringLiteral("各投资人报告"));
    tabs_->addTab(buildCommissionTab(), QStringLiteral(" 提成处理 "));
    typesTab_ = tabs_->addTab(buildTypesTab(), QStringLiteral("投资类型定义"));
    cashTab_ = new CashAccountTab(session_, [this] { return definitionTab_->definition().fundName; });
    tabs_->addTab(cashTab_, QStringLiteral("各资金帐户报告"));
    tabs_->addTab(definitionTab_, QStringLiteral("投资报告单定义"));
    auto* addresses =
        new AddressBookTab(session_, manager_, [this] { return definitionTab_->definition().fundName; });
    connect(addresses, &AddressBookTab::closeRequested, this, &QWidget::close);
    tabs_->addTab(addresses, QStringLiteral("投资人通讯录"));
    int previous = 0;
    connect(tabs_, &QTabWidget::currentChanged, this, [this, previous](int now) mutable {
        if (previous == typesTab_ && now != typesTab_) guarded([this] { manager_.types().leave(); });
        if (tabs_->widget(now) == cashTab_) cashTab_->reload();
        if (tabs_->widget(now) == definitionTab_) definitionTab_->reload();
        previous = now;
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    resize(980, 640);
}

FundManagementWindow::~FundManagementWindow() = default;

void FundManagementWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    const ui::WaitCursor wait;
    guarded([this] { manager_.show(); });
}

QTableView* FundManagementWindow::grid(ui::CursorModel* model) {
    auto* view = new QTableView;
    ui::bindGrid(view, model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

void FundManagementWindow::help(const char* topic) {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QString::fromUtf8(topic)))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

// ---- per-investor tab

QWidget* FundManagementWindow::buildInvestorsTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto& prompter = session_.prompter();
    investors_ = std::make_unique<ui::CursorModel>(manager_.investors(), prompter);
    investors_->setColumns(investorColumns());
    details_ = std::make_unique<ui::CursorModel>(manager_.details(), prompter);
    details_->setColumns(detailColumns());

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("按拼音码找投资人:")));
    search_ = new QLineEdit;
    search_->setToolTip(QStringLiteral("输入投资人代码查找投资人投资记录"));
    top->addWidget(search_);
    top->addWidget(new QLabel(QStringLiteral("显示打印选择")));
    display_ = new QComboBox;
    display_->addItems({QStringLiteral("仅含未撤资记录"), QStringLiteral("下面含所有记录"),
                        QStringLiteral("看投入和所有记录")});
    top->addWidget(display_);
    top->addWidget(new QLabel(QStringLiteral("选2,3行则打印所有记录")));
    layout->addLayout(top);

    auto* upper = new QGroupBox(QStringLiteral("目录"));
    (new QVBoxLayout(upper))->addWidget(grid(investors_.get()));
    auto* lower = new QGroupBox(QStringLiteral("明细"));
    detailGrid_ = grid(details_.get());
    (new QVBoxLayout(lower))->addWidget(detailGrid_);
    layout->addWidget(upper, 1);
    layout->addWidget(lower, 1);

    // The lower grid follows the investor chosen above.
    // Locating the investor moves the upper cursor again: follow a change of investor only.
    connect(investors_.get(), &ui::CursorModel::currentRowChanged, this, [this](int row) {
        if (row < 0) return;
        const std::string code = manager_.investors().text("pycode");
        if (code == shown_) return;
        shown_ = code;
        guarded([&] { manager_.findInvestor(code); });
    });
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        guarded([&] { manager_.findInvestor(text.trimmed().toStdString()); });
    });
    connect(display_, &QComboBox::currentIndexChanged, this,
            [this](int i) { guarded([&] { manager_.setDisplay(static_cast<FundManager::Display>(i)); }); });

    reportButtons_ =
        new InvestorReportButtons(session_, manager_, [this] { return definitionTab_->definition(); });
    connect(reportButtons_, &InvestorReportButtons::displayChanged, this, [this](int choice) {
        const QSignalBlocker quiet(display_);
        display_->setCurrentIndex(choice);
    });
    layout->addWidget(reportButtons_);

    auto* buttons = new QHBoxLayout;
    connect(addButton(buttons, "撤资处理"), &QPushButton::clicked, this, [this] {
        const ui::WaitCursor wait;
        guarded([this] {
            manager_.withdrawals();
            manager_.reopen();
        });
    });
    connect(addButton(buttons, "帐户资金进出"), &QPushButton::clicked, this,
            &FundManagementWindow::openInOut);
    connect(addButton(buttons, "关闭"), &QPushButton::clicked, this, &QWidget::close);
    connect(addButton(buttons, "帮助"), &QPushButton::clicked, this, [this] { help("fundreport"); });
    layout->addLayout(buttons);
    return tab;
}

void FundManagementWindow::openInOut() {
    if (display_->currentIndex() == 1) display_->setCurrentIndex(0);
    auto* window = new CapitalInOutWindow(session_, manager_, this);
    connect(window, &QObject::destroyed, this, [this] {
        guarded([this] {
            manager_.reopen();
            manager_.details().last();
        });
    });
    guarded([window] { window->fill(); });
    window->show();
}

// ---- commission tab

QWidget* FundManagementWindow::buildCommissionTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto* note = new QLabel(
        QStringLiteral("注:系统通过一取一存达到提成目的，提出金额和存入金额等同，但股数可能不同; "
                       "按提存按钮后，系统自动增加撤资和投资记录，"
                       "并做撤资处理，即给股数相等的买卖记录加上撤资序号(非0)，以示冲销以往投资记录。"));
    note->setWordWrap(true);
    layout->addWidget(note);
    candidates_ = std::make_unique<ui::CursorModel>(manager_.candidates(), session_.prompter());
    candidates_->setColumns(candidateColumns());
    candidateGrid_ = grid(candidates_.get());
    layout->addWidget(candidateGrid_, 1);

    auto* buttons = new QHBoxLayout;
    connect(addButton(buttons, "搜索可提记录"), &QPushButton::clicked, this, [this] {
        const ui::WaitCursor wait;
        bool found = false;
        guarded([&] { found = manager_.searchCommission(); });
        drawButtons_->setEnabled(found);
    });
    drawButtons_ = new QWidget;
    auto* draws = new QHBoxLayout(drawButtons_);
    draws->setContentsMargins(0, 0, 0, 0);
    const auto drawn = [this](bool done) {
        if (done) tabs_->setCurrentIndex(0);
    };
    connect(addButton(draws, "指定代码类型提存"), &QPushButton::clicked, this, [this, drawn] {
        const int row = candidateGrid_->currentIndex().isValid() ? candidateGrid_->currentIndex().row() : 0;
        bool done = false;
        guarded([&] { done = manager_.drawSelected(row); });
        drawn(done);
    });
    connect(addButton(draws, "所有记录提存"), &QPushButton::clicked, this, [this, drawn] {
        bool done = false;
        guarded([&] { done = manager_.drawAll(); });
        drawn(done);
    });
    drawButtons_->setEnabled(false);
    buttons->addWidget(drawButtons_);
    connect(addButton(buttons, "显示统计已撤资记录"), &QPushButton::clicked, this,
            &FundManagementWindow::openStats);
    connect(addButton(buttons, "关闭"), &QPushButton::clicked, this, &QWidget::close);
    connect(addButton(buttons, "帮助"), &QPushButton::clicked, this, [this] { help("tich"); });
    layout->addLayout(buttons);
    return tab;
}

void FundManagementWindow::openStats() {
    auto* window = new CommissionStatsWindow(session_, manager_, this);
    // The statistics replace the candidates: nothing is left to draw until a new search.
    connect(window, &CommissionStatsWindow::candidatesReplaced, this,
            [this] { drawButtons_->setEnabled(false); });
    window->showCentred();
}

// ---- type tab

QWidget* FundManagementWindow::buildTypesTab() {
    auto* tab = new QWidget;
    auto* layout = new QHBoxLayout(tab);
    fund::InvestmentTypes& types = manager_.types();
    types_ = std::make_unique<ui::CursorModel>(types.table(), session_.prompter());
    types_->setColumns({{"Xabc", "码"}, {"Note", "类型及说明"}});
    layout->addWidget(grid(types_.get()), 1);
    connect(types_.get(), &ui::CursorModel::currentRowChanged, this, [this] { showType(); });

    auto* editor = new QWidget;
    auto* form = new QFormLayout(editor);
    for (const TypeBox& box : kTypeBoxes) {
        const std::string field = box.field;
        const bool logical = types.table().def().field(field).type == storage::FieldType::Logical;
        QWidget* w;
        if (logical) {
            auto* check = new QCheckBox(QString::fromUtf8(box.caption));
            connect(check, &QCheckBox::clicked, this, [this, field](bool on) {
                typeEdited(field, on ? QStringLiteral("1") : QStringLiteral("0"));
            });
            form->addRow(check);
            w = check;
        } else {
            auto* edit = new QLineEdit;
            connect(edit, &QLineEdit::editingFinished, this, [this, field, edit] {
                if (edit->isModified()) typeEdited(field, edit->text());
                edit->setModified(false);
            });
            form->addRow(QString::fromUtf8(box.caption), edit);
            w = edit;
        }
        typeBoxes_[field] = w;
    }
    for (const char* text : {"(在撤资时扣除,基金价值用期初和期末的平均值，e1和e2只需填一个，另一个自动算出)",
                             "* 未打钩的选项，后面数据无用;",
                             "(否则四个底限e9,e3,e5,e7皆按投资时间长短减小或放大; 应有e7>e5>e3>=e9)",
                             "(赢利指扣除佣金，手续费，提成之前的管理帐户赢利)",
                             "注释：本软件允许一个管理帐户以混合基金的形式接受多种不同方式的投资"}) {
        auto* note = new QLabel(QString::fromUtf8(text));
        note->setWordWrap(true);
        form->addRow(note);
    }
    auto* buttons = new QHBoxLayout;
    connect(addButton(buttons, "插入新类型"), &QPushButton::clicked, this, [this] {
        guarded([this] { manager_.types().insertType(); });
        showType();
    });
    connect(addButton(buttons, "删除类型"), &QPushButton::clicked, this, [this] {
        guarded([this] { manager_.types().removeCurrent(); });
        showType();
    });
    connect(addButton(buttons, "检测冲突"), &QPushButton::clicked, this,
            [this] { guarded([this] { manager_.types().check(); }); });
    connect(addButton(buttons, "关闭"), &QPushButton::clicked, this, &QWidget::close);
    connect(addButton(buttons, "帮助"), &QPushButton::clicked, this, [this] { help("typedefine"); });
    form->addRow(buttons);
    auto* scroll = new QScrollArea;
    scroll->setWidget(editor);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll, 2);
    showType();
    return tab;
}

void FundManagementWindow::typeEdited(const std::string& field, const QString& text) {
    guarded([&] { manager_.types().setField(field, text.toStdString()); });
    showType();
}

void FundManagementWindow::showType() {
    storage::Cursor& t = manager_.types().table();
    for (auto& [field, w] : typeBoxes_) {
        const QSignalBlocker quiet(w);
        if (auto* check = qobject_cast<QCheckBox*>(w))
            check->setChecked(!t.isEmpty() && t.logical(field));
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->setText(t.isEmpty() ? QString() : QString::fromStdString(t.value(field).toString()));
    }
}

}  // namespace varneth::gui
