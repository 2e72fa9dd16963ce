#include "optimiser/game_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

#include "optimiser/game_painter.h"
#include "text/numbers.h"

namespace varneth::gui {

GameCanvas::GameCanvas(QWidget* parent) : QWidget(parent) {
    setMinimumSize(600, 420);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GameCanvas::showGame(const optimiser::Game* game, const optimiser::GameChart* chart) {
    game_ = game;
    chart_ = chart;
    repaint();
}

void GameCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!game_ || !chart_) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    paintGameCharts(p, *game_, *chart_, size());
}

GameWindow::GameWindow(const optimiser::Optimisation& opt, port::Random& random, port::Prompter& prompter,
                       std::filesystem::path programDir, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      opt_(opt),
      random_(random),
      prompter_(prompter),
      programDir_(std::move(programDir)) {
    setObjectName(QStringLiteral("Form_yh2"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    canvas_ = new GameCanvas;
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(canvas_, 1);
    layout->addWidget(buildControls());
    resize(1100, 700);
}

GameWindow::~GameWindow() = default;

QWidget* GameWindow::buildControls() {
    auto* panel = new QWidget;
    auto* v = new QVBoxLayout(panel);

    auto* end = new QGroupBox(QStringLiteral(" 游戏结束条件 "));
    end->setToolTip(QStringLiteral("请先选择结束具体值，再确定结束条件"));
    auto* endLayout = new QVBoxLayout(end);
    turnsMode_ = new QRadioButton(QStringLiteral("较量回合次数 (10-1000)"));
    turnsMode_->setChecked(true);
    turns_ = new QSpinBox;
    turns_->setRange(10, optimiser::Game::kMaxTurns);
    turns_->setSingleStep(10);
    turns_->setValue(100);
    targetMode_ = new QRadioButton(QStringLiteral("终级总金额(超过停止)"));
    target_ = new QComboBox;
    for (const char* t : {"10000", "100000", "1000000", "10000000"}) target_->addItem(QString::fromUtf8(t));
    endLayout->addWidget(turnsMode_);
    endLayout->addWidget(turns_);
    endLayout->addWidget(targetMode_);
    endLayout->addWidget(target_);

    auto* drawing = new QGroupBox(QStringLiteral(" 绘图方式 "));
    auto* drawLayout = new QVBoxLayout(drawing);
    log_ = new QRadioButton(QStringLiteral("对数绘图logy"));
    log_->setChecked(true);
    linear_ = new QRadioButton(QStringLiteral("线性绘图 y"));
    drawLayout->addWidget(log_);
    drawLayout->addWidget(linear_);

    auto* delayRow = new QHBoxLayout;
    delay_ = new QComboBox;
    for (const char* d : {"0", "0.1", "0.2", "0.5", "1", "1.5"}) delay_->addItem(QString::fromUtf8(d));
    delayRow->addWidget(new QLabel(QStringLiteral("延迟时间是")));
    delayRow->addWidget(delay_);
    delayRow->addWidget(new QLabel(QStringLiteral("秒 ")));

    leaderboard_ = new QListWidget;
    start_ = new QPushButton(QStringLiteral("模拟开始"));
    auto* help = new QPushButton(QStringLiteral("帮   助"));
    auto* back = new QPushButton(QStringLiteral("返回"));
    back->setToolTip(QStringLiteral("重新设置参数"));
    connect(start_, &QPushButton::clicked, this, [this] { play(); });
    connect(help, &QPushButton::clicked, this, [this] { prompter_.message(kHelp); });
    connect(back, &QPushButton::clicked, this, [this] { close(); });

    v->addWidget(end);
    v->addWidget(drawing);
    v->addLayout(delayRow);
    v->addWidget(new QLabel(QStringLiteral("排行版")));
    v->addWidget(leaderboard_, 1);
    v->addWidget(start_);
    v->addWidget(help);
    v->addWidget(back);
    panel->setFixedWidth(220);
    return panel;
}

optimiser::GameRules GameWindow::rules() const {
    optimiser::GameRules r;
    r.end = targetMode_->isChecked() ? optimiser::GameRules::End::Target : optimiser::GameRules::End::Turns;
    r.turns = turns_->value();
    r.target = text::parseNumber(target_->currentText().toStdString()).value_or(10000);
    r.linear = linear_->isChecked();
    return r;
}

void GameWindow::play() {
    leaderboard_->clear();
    canvas_->showGame(nullptr, nullptr);
    game_ = std::make_unique<optimiser::Game>(optimiser::GameSetup{opt_.forecast(), opt_.participants()},
                                              random_);
    const optimiser::GameRules r = rules();
    game_->play(r);
    chart_ = std::make_unique<optimiser::GameChart>(r.linear);
    start_->setEnabled(false);
    const bool drawn = replay(text::parseNumber(delay_->currentText().toStdString()).value_or(0));
    if (closing_) return;
    canvas_->showGame(game_.get(), chart_.get());
    start_->setEnabled(true);
    if (!drawn) prompter_.message(optimiser::GameChart::kTooLarge);
    for (const auto& line : game_->leaderboard()) leaderboard_->addItem(QString::fromStdString(line));
}

// One turn after another, waiting the delay after each and staying responsive meanwhile.
bool GameWindow::replay(double delay) {
    for (int t = 0; t <= game_->lastTurn(); ++t) {
        if (!chart_->show(game_->series(), t)) return false;
        // Without a delay only the finished charts are worth drawing.
        if (delay > 0 || t == game_->lastTurn()) canvas_->showGame(game_.get(), chart_.get());
        QElapsedTimer timer;
        timer.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (closing_) return true;
            if (timer.elapsed() < delay * 1000) QThread::msleep(5);
        } while (timer.elapsed() < delay * 1000);
    }
    return true;
}

void GameWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    event->accept();
}

}  // namespace varneth::gui
