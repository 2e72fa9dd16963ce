#include "optimiser/optimisation_window.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>

#include "optimiser/game_window.h"
#include "optimiser/grouping_window.h"
#include "storage/error.h"
#include "text/display.h"
#include "text/numbers.h"
#include "ui/help_viewer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

namespace {

constexpr const char* kCorrelationNote =
    "可以通过下拉改变相关系数。两证券同涨同跌为1，不相关为0，完全相反为-1; 改上面两个后，下面一个可能变化。"
    "同时投资不相关，特别是反相关品种可以降低风险并提高累积收益。这里假设证券0和其他证券不相关.";
constexpr const char* kGroupingNote =
    "这里把所有资产简化为四组,每一组同涨同跌。可通过分组操作按钮改变分组; 再根据主观预测改变期望，偏差，"
    "和相关系数。电脑可据此提供优化比例。进入'投资模拟'界面可以观察业绩比较。几个人玩游戏可以选择多个玩家。";
constexpr const char* kDeviationNote =
    "假设每一类证券价格有三种可能：低，中，高；中就是期望或平均值，偏差=高－中＝中－低(不是均方误差).";
constexpr const char* kMarginNote =
    "股票,国债等在不透支时为1或100％，透支一倍则保证金为50％。期货通常在3％到10％之间。"
    "'1/保证金比例'便是盈亏放大倍数。";
constexpr const char* kCostNote = "交易成本包括手续费和为了成交而让出的价差，按保证金的百分比计。";

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QSpinBox* spin(int low, int high, int step = 1) {
    auto* s = new QSpinBox;
    s->setRange(low, high);
    s->setSingleStep(step);
    return s;
}

QComboBox* combo(const std::vector<std::string>& items, bool editable) {
    auto* c = new QComboBox;
    for (const auto& i : items) c->addItem(q(i));
    c->setEditable(editable);
    return c;
}

void setText(QComboBox* c, const std::string& text) {
    const int i = c->findText(q(text));
    if (i >= 0) c->setCurrentIndex(i);
    if (c->isEditable()) c->setEditText(q(text));
}

}  // namespace

OptimisationWindow::OptimisationWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      random_(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())) {
    setObjectName(QStringLiteral("Form_yh1"));
    setWindowTitle(QString::fromUtf8(kCaption));
    // The grouping first: the portfolio is read through it.
    grouping_ =
        std::make_unique<optimiser::Grouping>(session.engine(), session.lookups(), session.prompter());
    grouping_->open();
    groupingWindow_ = std::make_unique<GroupingWindow>(*grouping_, session.prompter(), session.programDir());
    connect(groupingWindow_.get(), &GroupingWindow::closed, this, [this] {
        opt_->putlx();
        refresh();
    });
    opt_ =
        std::make_unique<optimiser::Optimisation>(session.engine(), session.prompter(), session.programDir());
    opt_->open();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildForecast());
    auto* middle = new QHBoxLayout;
    middle->addWidget(buildCorrelations());
    middle->addWidget(buildPlayers(), 1);
    layout->addLayout(middle);
    layout->addWidget(buildResults());
    layout->addWidget(buildButtons());
    refresh();
    resize(800, 600);
}

OptimisationWindow::~OptimisationWindow() = default;

QWidget* OptimisationWindow::buildForecast() {
    auto* box = new QGroupBox(QStringLiteral("预测(相对于假定初始价的百分比)"));
    auto* g = new QGridLayout(box);
    const char* heads[] = {"",     "假定初始价(%)", "未来期望(%)",  "上下偏差(%)", "低/中/高(%)",
                           "概率", "交易成本(%)",   "保证金比例(%)"};
    for (int c = 0; c < 8; ++c) g->addWidget(new QLabel(QString::fromUtf8(heads[c])), 0, c);
    for (int k = 0; k < 4; ++k) {
        const auto i = static_cast<std::size_t>(k);
        labels_[i] = new QLabel;
        levels_[i] = new QLabel;
        e_[i] = spin(0, 100000);
        g->addWidget(labels_[i], k + 1, 0);
        g->addWidget(e_[i], k + 1, 2);
        g->addWidget(levels_[i], k + 1, 4);
        connect(e_[i], &QSpinBox::valueChanged, this, [this, k](int v) {
            if (refreshing_) return;
            opt_->setExpectation(k, v);
            levels_[static_cast<std::size_t>(k)]->setText(q(optimiser::levelsLabel(opt_->parameters(), k)));
        });
        if (k == 0) {
            g->addWidget(new QLabel(QStringLiteral("100")), 1, 1);
            g->addWidget(new QLabel(QStringLiteral("0")), 1, 3);
            g->addWidget(new QLabel(QStringLiteral("0/1/0")), 1, 5);
            g->addWidget(new QLabel(QStringLiteral("0")), 1, 6);
            g->addWidget(new QLabel(QStringLiteral("100")), 1, 7);
            continue;
        }
        ini_[i] = spin(1, 100000);
        d_[i] = spin(0, 100000);
        cost_[i] = combo(optimiser::costChoices(), true);
        margin_[i] = combo(optimiser::marginChoices(), true);
        g->addWidget(ini_[i], k + 1, 1);
        g->addWidget(d_[i], k + 1, 3);
        g->addWidget(new QLabel(QStringLiteral("0.25/0.5/0.25")), k + 1, 5);
        g->addWidget(cost_[i], k + 1, 6);
        g->addWidget(margin_[i], k + 1, 7);
        connect(ini_[i], &QSpinBox::valueChanged, this, [this, k](int v) {
            if (refreshing_) return;
            opt_->setInitialPrice(k, v);
        });
        connect(d_[i], &QSpinBox::valueChanged, this, [this, k, i](int v) {
            if (refreshing_) return;
            if (!opt_->setDeviation(k, v)) {
                refreshing_ = true;
                d_[i]->setValue(opt_->parameters().d[i]);
                refreshing_ = false;
            }
            levels_[i]->setText(q(optimiser::levelsLabel(opt_->parameters(), k)));
        });
        connect(cost_[i], &QComboBox::editTextChanged, this, [this, k](const QString& t) {
            if (!refreshing_) opt_->setCost(k, t.trimmed().toStdString());
        });
        connect(margin_[i], &QComboBox::editTextChanged, this, [this, k](const QString& t) {
            if (!refreshing_) opt_->setMargin(k, t.trimmed().toStdString());
        });
    }
    return box;
}

QWidget* OptimisationWindow::buildCorrelations() {
    auto* box = new QGroupBox(QStringLiteral("相关系数"));
    auto* g = new QGridLayout(box);
    std::vector<std::string> choices;
    for (double r : optimiser::correlationChoices()) choices.push_back(text::shortestText(r));
    const char* names[] = {"证券1和证券2", "证券2和证券3", "证券1和证券3"};
    for (std::size_t p = 0; p < 3; ++p) {
        r_[p] = combo(p < 2 ? choices : std::vector<std::string>{}, false);
        g->addWidget(new QLabel(QString::fromUtf8(names[p])), static_cast<int>(p), 0);
        g->addWidget(r_[p], static_cast<int>(p), 1);
    }
    r_[0]->setObjectName(QStringLiteral("ComboBox_b12"));
    r_[1]->setObjectName(QStringLiteral("ComboBox_b23"));
    r_[2]->setObjectName(QStringLiteral("ComboBox_b13"));
    for (std::size_t p = 0; p < 2; ++p)
        connect(r_[p], &QComboBox::currentTextChanged, this, [this, p](const QString& t) {
            if (refreshing_) return;
            const double r = *text::parseNumber(t.toStdString());
            p == 0 ? opt_->setR12(r) : opt_->setR23(r);
            refreshR13();
        });
    connect(r_[2], &QComboBox::currentTextChanged, this, [this](const QString& t) {
        if (refreshing_ || t.isEmpty()) return;
        opt_->setR13(*text::parseNumber(t.toStdString()));
    });
    overdraftRatio_ = new QLineEdit;
    overdraftRate_ = new QLineEdit;
    g->addWidget(new QLabel(QStringLiteral("透支比例(%)")), 3, 0);
    g->addWidget(overdraftRatio_, 3, 1);
    g->addWidget(new QLabel(QStringLiteral("透支利率(%)")), 4, 0);
    g->addWidget(overdraftRate_, 4, 1);
    connect(overdraftRatio_, &QLineEdit::textEdited, this,
            [this](const QString& t) { opt_->setOverdraftRatio(t.toStdString()); });
    connect(overdraftRate_, &QLineEdit::textEdited, this,
            [this](const QString& t) { opt_->setOverdraftRate(t.toStdString()); });
    return box;
}

QWidget* OptimisationWindow::buildPlayers() {
    auto* box = new QGroupBox(QStringLiteral("玩家投资比例(‰)"));
    auto* g = new QGridLayout(box);
    for (int k = 0; k < 4; ++k) g->addWidget(new QLabel(QStringLiteral("证券%1").arg(k)), 0, k + 1);
    for (int j = 0; j < 3; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        g->addWidget(
            new QLabel(j == 0 ? QStringLiteral("玩家1(当前投资比例)") : QStringLiteral("玩家%1").arg(j + 1)),
            j + 1, 0);
        for (int k = 0; k < 4; ++k) {
            auto* s = spin(-1000000, 1000000, 10);
            players_[jj][static_cast<std::size_t>(k)] = s;
            g->addWidget(s, j + 1, k + 1);
            connect(s, &QSpinBox::valueChanged, this, [this, j, jj](int) {
                if (refreshing_) return;
                std::array<double, 4> row{};
                for (std::size_t c = 0; c < 4; ++c) row[c] = players_[jj][c]->value();
                opt_->setPlayer(j, row);
            });
        }
        auto* normalise = new QPushButton(QStringLiteral("归一化"));
        g->addWidget(normalise, j + 1, 5);
        connect(normalise, &QPushButton::clicked, this, [this, j] {
            opt_->normalise(j);
            refresh();
        });
    }
    return box;
}

QWidget* OptimisationWindow::buildResults() {
    auto* box = new QGroupBox(QStringLiteral("电脑优化结果"));
    auto* g = new QGridLayout(box);
    const char* heads[] = {"电脑优化比例％", "建议增减比例％", "建议增减金额:"};
    for (int row = 0; row < 3; ++row) {
        g->addWidget(new QLabel(QString::fromUtf8(heads[row])), row, 0);
        for (int k = 0; k < 4; ++k) {
            auto* e = new QLineEdit;
            e->setReadOnly(true);
            results_[static_cast<std::size_t>(row)][static_cast<std::size_t>(k)] = e;
            g->addWidget(e, row, k + 1);
        }
    }
    return box;
}

QWidget* OptimisationWindow::buildButtons() {
    auto* row = new QWidget;
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    int column = 0, line = 0;
    const auto add = [&](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        grid->addWidget(b, line, column++);
        connect(b, &QPushButton::clicked, this, action);
    };
    add("电脑优化", [this] { optimise(); });
    add("投资模拟", [this] { simulate(); });
    add("分组操作", [this] { groupingWindow_->showCentred(); });
    add("参数存盘", [this] { save(); });
    add("取出参数", [this] { load(); });
    add("帮助", [this] { ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("yhmn")); });
    add("退出", [this] { close(); });
    column = 0;
    line = 1;
    add("相关系数说明", [this] { explain(kCorrelationNote); });
    add("分组说明", [this] { explain(kGroupingNote); });
    add("偏差说明", [this] { explain(kDeviationNote); });
    add("保证金说明", [this] { explain(kMarginNote); });
    add("成本说明", [this] { explain(kCostNote); });
    return row;
}

bool OptimisationWindow::inUse() const {
    if (isVisible()) return true;
    for (const GameWindow* game : findChildren<GameWindow*>())
        if (game->isVisible()) return true;
    return false;
}

void OptimisationWindow::explain(const char* text) {
    session_.prompter().message(text);
}

void OptimisationWindow::refresh() {
    refreshing_ = true;
    const optimiser::Parameters& p = opt_->parameters();
    for (std::size_t k = 0; k < 4; ++k) {
        labels_[k]->setText(q(opt_->labels()[k]));
        levels_[k]->setText(q(optimiser::levelsLabel(p, static_cast<int>(k))));
        e_[k]->setValue(p.e[k]);
        if (k == 0) continue;
        ini_[k]->setValue(p.ini[k]);
        d_[k]->setValue(p.d[k]);
        setText(cost_[k], p.cost[k]);
        setText(margin_[k], p.margin[k]);
    }
    setText(r_[0], text::shortestText(p.r.r12));
    setText(r_[1], text::shortestText(p.r.r23));
    overdraftRatio_->setText(q(p.overdraftRatio));
    overdraftRate_->setText(q(p.overdraftRate));
    for (std::size_t j = 0; j < 3; ++j)
        for (std::size_t k = 0; k < 4; ++k)
            players_[j][k]->setValue(static_cast<int>(std::lround(opt_->player(static_cast<int>(j))[k])));
    refreshing_ = false;
    refreshR13();
}

void OptimisationWindow::refreshR13() {
    refreshing_ = true;
    r_[2]->clear();
    for (double r : opt_->r13List()) r_[2]->addItem(q(text::shortestText(r)));
    setText(r_[2], text::shortestText(opt_->parameters().r.r13));
    r_[2]->setEnabled(opt_->r13Enabled());
    refreshing_ = false;
}

void OptimisationWindow::refreshResults() {
    for (std::size_t k = 0; k < 4; ++k) {
        results_[0][k]->setText(QString::number(opt_->result().y[k]));
        results_[1][k]->setText(QString::number(opt_->suggestedChange()[k]));
        results_[2][k]->setText(q(text::displayNumber(opt_->suggestedAmount()[k], text::NumberKind::Money)));
    }
}

void OptimisationWindow::optimise() {
    const ui::WaitCursor wait;
    if (!opt_->optimise()) return;
    refresh();
    refreshResults();
}

void OptimisationWindow::simulate() {
    if (!opt_->prepareGame()) return;
    refresh();
    refreshResults();
    lastGame_ = new GameWindow(*opt_, random_, session_.prompter(), session_.programDir(), this);
    lastGame_->showMaximized();
}

void OptimisationWindow::save() {
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("参数存盘"),
        QString::fromStdU16String((session_.programDir() / "default.prd").u16string()),
        QStringLiteral("预测和参数文件 (*.prd)"));
    if (file.isEmpty()) return;
    opt_->savecs(std::filesystem::path(file.toStdU16String()));
}

void OptimisationWindow::load() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("选择预测和参数文件"),
                                     QString::fromStdU16String(session_.programDir().u16string()),
                                     QStringLiteral("预测和参数文件 (*.prd)"));
    if (file.isEmpty()) return;
    if (opt_->loadcs(std::filesystem::path(file.toStdU16String()))) refresh();
}

}  // namespace varneth::gui
