#include "app/main_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/main_actions.h"
#include "storage/error.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/qt_launcher.h"
#include "ui/save_dialog.h"

namespace varneth::gui {

namespace {

// The catalog by code shows its cost and current prices left-aligned.
class CatalogModel : public ui::CursorModel {
public:
    CatalogModel(app::MainViews& views, port::Prompter& prompter)
        : ui::CursorModel(views.catalog(), prompter), views_(views) {}

    QVariant data(const QModelIndex& index, int role) const override {
        QVariant v = ui::CursorModel::data(index, role);
        if (role == Qt::TextAlignmentRole && v.isValid() && views_.catalogPricesLeftAligned() &&
            (index.column() == 3 || index.column() == 4))
            return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
        return v;
    }

private:
    const app::MainViews& views_;
};

QTableView* grid(const char* name, ui::CursorModel* model, const std::filesystem::path& reportFolder) {
    auto* view = new QTableView;
    view->setObjectName(QString::fromLatin1(name));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui::bindGrid(view, model, reportFolder);
    return view;
}

}  // namespace

MainWindow::MainWindow(app::Session& session, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      views_(session.kvt()),
      ownLauncher_(std::make_unique<ui::QtLauncher>()),
      launcher_(ownLauncher_.get()) {
    catalogModel_ = std::make_unique<CatalogModel>(views_, session_.prompter());
    detailModel_ = std::make_unique<ui::CursorModel>(views_.detail(), session_.prompter());
    const auto reports = ui::reportFolder(session_.accountDir());
    ui::setAccountReportFolder(reports);
    catalogView_ = grid("catalogView", catalogModel_.get(), reports);
    detailView_ = grid("detailView", detailModel_.get(), reports);

    setWindowTitle(QStringLiteral("资产管理主窗口，管理帐户名：") +
                   QString::fromStdString(session_.accountName()));
    buildMenus();
    buildToolBar();
    auto* grids = new QSplitter(Qt::Vertical);
    grids->addWidget(catalogView_);
    grids->addWidget(detailView_);
    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(grids, 1);
    layout->addWidget(buildSidePanel());
    setCentralWidget(central);

    resize(800, 600);
    if (const QScreen* screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        move(free.center() - QPoint(width() / 2, height() / 2));
    }
    showStatus();
    views_.setReopenedHandler([this] { viewsReopened(); });
    views_.up_open();
}

// Which book this is and how fresh its values are, always in sight.
void MainWindow::showStatus() {
    statusBar()->addWidget(
        new QLabel(QStringLiteral("管理帐户：") + QString::fromStdString(session_.accountName())));
    statusBar()->addWidget(new QLabel(QStringLiteral("程序目录：") +
                                      QString::fromStdU16String(session_.programDir().u16string())));
    valuedAt_ = new QLabel;
    valuedAt_->setObjectName(QStringLiteral("valuedAt"));
    statusBar()->addPermanentWidget(valuedAt_);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    auto entry = [this](QMenu* menu, const char* caption, const QKeySequence& key, auto handler) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu* system = menuBar()->addMenu(QStringLiteral("系统管理"));
    entry(system, "退出系统", QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { emit quitRequested(); });
    entry(system, "改口令", QKeySequence(Qt::CTRL | Qt::Key_S), routeTo(Route::ChangePassword));
    entry(system, "添加删除管理帐户", QKeySequence(Qt::CTRL | Qt::Key_A), [this] { administerAccounts(); });
    entry(system, "拷贝文件", QKeySequence(Qt::CTRL | Qt::Key_C), routeTo(Route::CopyFiles));
    entry(system, "用写字板编辑业绩报告", QKeySequence(Qt::CTRL | Qt::Key_E),
          [this] { app::editReportInWordPad(*launcher_, session_.prompter(), session_.accountDir()); });
    entry(system, "操作历史和撤销", QKeySequence(Qt::CTRL | Qt::Key_Z), routeTo(Route::History));

    QMenu* settings = menuBar()->addMenu(QStringLiteral(" 设置和更新 "));
    entry(settings, "设置证券类型和代码等", QKeySequence(Qt::Key_F5), routeTo(Route::Settings));
    entry(settings, "设置链接程序名和路径", QKeySequence(Qt::Key_F6), routeTo(Route::LinkedProgramSettings));
    entry(settings, "读行情软件收市价", QKeySequence(Qt::Key_F9), routeTo(Route::ReadQuotes));
    entry(settings, "根据交易所行情文件更新价格", QKeySequence(Qt::Key_F7), routeTo(Route::ExchangeQuotes));

    // F9 belongs to the price update above, the first in menu order: one key, one thing.
    QMenu* transfers = menuBar()->addMenu(QStringLiteral("资金转帐等 "));
    entry(transfers, "资金转帐", QKeySequence(), routeTo(Route::CapitalTransfer));
    entry(transfers, "分红配股处理", QKeySequence(Qt::Key_F11), routeTo(Route::CorporateActions));

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("帮助"));
    entry(helpMenu, "关于本软件", QKeySequence(), [this] { about(); });
    entry(helpMenu, "帮助系统目录", QKeySequence(Qt::Key_F1), [this] { helpContents(); });
    entry(helpMenu, "漫谈风险投资的数学问题", QKeySequence(),
          [this] { help(QStringLiteral("mathproblem")); });
    entry(helpMenu, "戏说股市和人生哲学", QKeySequence(), [this] { help(QStringLiteral("novel")); });
    entry(helpMenu, "用户意见和问题解答", QKeySequence(), [this] { help(QStringLiteral("ask")); });
}

void MainWindow::buildToolBar() {
    QToolBar* tools = addToolBar(QStringLiteral("工具"));
    tools->setObjectName(QStringLiteral("tools"));
    tools->setMovable(false);
    auto tool = [this, tools](QStyle::StandardPixmap icon, const char* hint, auto handler) {
        QAction* a = tools->addAction(style()->standardIcon(icon), QString::fromUtf8(hint));
        a->setToolTip(QString::fromUtf8(hint));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    tool(QStyle::SP_DialogSaveButton, "拷贝文件，和Ctrl+C相同", routeTo(Route::CopyFiles));
    tool(QStyle::SP_FileDialogDetailedView, "设置证券类型和代码等，和F5相同", routeTo(Route::Settings));
    tool(QStyle::SP_ArrowRight, "管理帐户中各资金帐户之间转帐, 及投资人资金出入帐",
         routeTo(Route::CapitalTransfer));
    tool(QStyle::SP_DirHomeIcon, "一步进入基金管理窗口", routeTo(Route::FundManagement));
    // The hint promises the key; no menu entry carries it.
    tool(QStyle::SP_BrowserReload, "更新价格，和F8相同", routeTo(Route::UpdatePrices))
        ->setShortcut(QKeySequence(Qt::Key_F8));
    tool(QStyle::SP_MessageBoxQuestion, "按钮说明", [this] { say(app::kButtonNotes); });
}

QWidget* MainWindow::buildSidePanel() {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    auto* choice = new QGroupBox(QStringLiteral("显示选择"));
    choice->setObjectName(QStringLiteral("displayChoice"));
    choice->setToolTip(QStringLiteral("选择目录, 唯作最下选择时, 上下独立"));
    auto* items = new QVBoxLayout(choice);
    choices_ = new QButtonGroup(this);
    const char* captions[] = {"按股票代码列目录", "按券商和资金帐户列目录", "下面显示委托未确认记录"};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(captions[i]));
        choices_->addButton(item, i);
        items->addWidget(item);
    }
    choices_->button(views_.displayChoice())->setChecked(true);
    connect(choices_, &QButtonGroup::idClicked, this, &MainWindow::choose);
    column->addWidget(choice);

    auto* buttons = new QGridLayout;
    int n = 0;
    auto button = [&](const char* caption, const char* hint, auto handler) {
        auto* b = new QPushButton(QString::fromUtf8(caption));
        if (hint) b->setToolTip(QString::fromUtf8(hint));
        b->setMinimumSize(104, 40);
        connect(b, &QPushButton::clicked, this, handler);
        buttons->addWidget(b, n / 2, n % 2);
        ++n;
    };
    button("更新价格", "可读取行情软件K线数据,要先设置路径", routeTo(Route::ReadQuotes));
    button("看组合和盈亏", "看各种投资比例,盈亏统计;便于控制风险,总结教训",
           routeTo(Route::PortfolioStatistics));
    button("看业绩比较", "看基金价格走势,并和深沪指数比较", routeTo(Route::Performance));
    button("基金计算管理", "进入资金进出,业绩变化窗口,可进而进入基金管理模块", routeTo(Route::Fund));
    button("持仓编辑", "手工建立或修改股票和现金余额文件", routeTo(Route::HoldingsEditor));
    button("委托记录处理", "手工记录交易记录,并自动结算资金", [this] { orderWindow(); });
    button("软件链接", "有委托系统可用此按钮,但需先用F6进入设置窗口, 设置程序路径和名称。详见帮助系统.",
           routeTo(Route::StartLinkedProgram));
    button("组合优化模拟", "根据概率预测优化投资组合，可以做风险投资模拟游戏", routeTo(Route::Optimiser));
    button("帮助", nullptr, [this] { help(QStringLiteral("mainform")); });
    button("退出系统", nullptr, [this] { emit logoutRequested(); });
    column->addLayout(buttons);
    column->addStretch(1);
    return panel;
}

// The catalog may have other columns now; the grids are still suspended and redraw afterwards.
void MainWindow::viewsReopened() {
    std::vector<ui::GridColumn> catalog;
    const auto& titles = views_.catalogTitles();
    const auto& fields = views_.catalog().def().fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        catalog.push_back(
            {fields[i].name, QString::fromStdString(i < titles.size() ? titles[i] : fields[i].name)});
    catalogModel_->setColumns(catalog);
    std::vector<ui::GridColumn> detail;
    for (const auto& f : views_.detail().def().fields)
        detail.push_back({f.name, QString::fromStdString(f.name)});
    detailModel_->setColumns(detail);
    // A query's columns carry no field widths: size them by what they show.
    catalogView_->resizeColumnsToContents();
    detailView_->resizeColumnsToContents();
    const QSignalBlocker quiet(choices_);
    choices_->button(views_.displayChoice())->setChecked(true);
    const auto& valued = session_.holdings().lastValued();
    valuedAt_->setText(QStringLiteral("上次估值：") +
                       (valued ? QString::fromStdString(valued->iso()) : QStringLiteral("未估值")));
}

void MainWindow::choose(int choice) {
    try {
        views_.setDisplayChoice(choice);
    } catch (const storage::Error& e) {
        say(e.what());
    }
}

void MainWindow::orderWindow() {
    try {
        const auto row = app::rowForOrderWindow(views_, session_.prompter());
        if (!row) return;
        if (openOrderWindow_)
            openOrderWindow_(*row);
        else
            say(app::kNotYetAvailable);
    } catch (const storage::Error& e) {
        say(e.what());
    }
}

void MainWindow::administerAccounts() {
    if (app::mayAdministerAccounts(session_.accountName(), session_.prompter()))
        go(Route::AdministerAccounts);
}

std::function<void()> MainWindow::routeTo(Route route) {
    return [this, route] { go(route); };
}

void MainWindow::go(Route route) {
    const auto& open = routes_[static_cast<int>(route)];
    if (!open) {
        say(app::kNotYetAvailable);
        return;
    }
    try {
        open();
    } catch (const storage::Error& e) {
        say(e.what());
    }
}

void MainWindow::say(std::string_view text) {
    session_.prompter().message(text);
}

void MainWindow::help(const QString& keyword) {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), keyword))
        say(ui::HelpViewer::missingFileMessage());
}

void MainWindow::helpContents() {
    if (!ui::HelpViewer::showContents(this, session_.programDir())) say(ui::HelpViewer::missingFileMessage());
}

void MainWindow::about() {
    QMessageBox box(this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.setWindowTitle(QStringLiteral("关于本软件"));
    box.setText(QStringLiteral("Varneth"));
    box.setInformativeText(QStringLiteral("版本 ") + QStringLiteral(VARNETH_VERSION));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit logoutRequested();
}

}  // namespace varneth::gui
