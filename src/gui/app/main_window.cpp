#include "app/main_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/cursor_model.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

namespace {

// The ledger in its file order; the trade reference CJ_DH is not shown.
std::vector<ui::GridColumn> ledgerColumns() {
    return {{"WTH", "委托号"},     {"QSDM", "券商码"}, {"QS", "券商"},      {"GDDM", "股东代码"},
            {"ZJZH", "资金帐号"},  {"CODE", "代码"},   {"NAME", "名称"},    {"AMT", "数量"},
            {"PRICE1", "价格1"},   {"DATE1", "日期1"}, {"PRICE2", "价格2"}, {"DATE2", "日期2"},
            {"COST1", "价值1"},    {"COST2", "价值2"}, {"INCOME", "增值"},  {"INC", "增值率"},
            {"PER", "投资比例"},   {"NOTE", "注释"},   {"SXF", "手续费"},   {"YHS", "印花税"},
            {"ZK_RATE", "折扣率"}, {"LXM", "类型名"},  {"BS", "多/空"},     {"BIRATE", "货币比率"},
            {"LX", "类型码"}};
}

}  // namespace

MainWindow::MainWindow(app::Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), ledger_(session.kvt(), "tr2.DBF") {
    ledger_.setOrdering("No_PC");
    ledger_.first();
    ledgerModel_ = std::make_unique<ui::CursorModel>(ledger_, session_.prompter());
    ledgerModel_->setColumns(ledgerColumns());
    ledgerView_ = new QTableView;
    ledgerView_->setObjectName(QStringLiteral("ledgerView"));
    ledgerView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui::bindGrid(ledgerView_, ledgerModel_.get());

    setWindowTitle(QStringLiteral("资产管理主窗口，管理帐户名：") +
                   QString::fromStdString(session_.accountName()));
    buildMenus();
    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(ledgerView_, 1);
    layout->addWidget(buildButtons());
    setCentralWidget(central);

    resize(800, 600);
    if (const QScreen* screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        move(free.center() - QPoint(width() / 2, height() / 2));
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    QMenu* system = menuBar()->addMenu(QStringLiteral("系统管理"));
    QAction* quit = system->addAction(QStringLiteral("退出系统"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &MainWindow::quitRequested);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("帮助"));
    connect(helpMenu->addAction(QStringLiteral("关于本软件")), &QAction::triggered, this, &MainWindow::about);
    QAction* contents = helpMenu->addAction(QStringLiteral("帮助系统目录"));
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    connect(contents, &QAction::triggered, this, &MainWindow::helpContents);
}

QWidget* MainWindow::buildButtons() {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto* logout = new QPushButton(QStringLiteral("退出系统"));
    auto* help = new QPushButton(QStringLiteral("帮助"));
    for (auto* b : {logout, help}) {
        b->setMinimumWidth(110);
        column->addWidget(b);
    }
    column->addStretch(1);
    connect(logout, &QPushButton::clicked, this, &MainWindow::logoutRequested);
    connect(help, &QPushButton::clicked, this, [this] { this->help(QStringLiteral("mainform")); });
    return panel;
}

void MainWindow::help(const QString& keyword) {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), keyword))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

void MainWindow::helpContents() {
    if (!ui::HelpViewer::showContents(this, session_.programDir()))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

void MainWindow::about() {
    QMessageBox box(this);
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
