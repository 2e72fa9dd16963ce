#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include "demo_login.h"
#include "optimiser/game_window.h"
#include "optimiser/grouping_window.h"
#include "optimiser/optimisation_window.h"
#include "storage/cursor.h"

using namespace varneth;
using gui::GameWindow;
using gui::GroupingWindow;
using gui::OptimisationWindow;

// The optimisation, grouping and game windows over the demonstration book.
class OptimiserWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoLogin> demo;
    std::unique_ptr<OptimisationWindow> window;

    int groupOf(const char* code) {
        storage::Cursor c(demo->session->kvt(), "groups.db");
        if (!c.locate("Code", {code})) return -1;
        return static_cast<int>(c.integer("Group"));
    }

private slots:
    void init() {
        demo = std::make_unique<DemoLogin>();
        QVERIFY(demo->enter());
        window = std::make_unique<OptimisationWindow>(*demo->session);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        QVERIFY(demo->prompter.unexpected.empty());
        demo.reset();
    }

    void opensWithTheDefaultsAndThePortfolio() {
        QCOMPARE(window->windowTitle(), QStringLiteral("投资组合优化和模拟"));
        QCOMPARE(window->expectationBox(1)->value(), 115);
        QCOMPARE(window->deviationBox(3)->value(), 58);
        QCOMPARE(window->levelsLabel(2)->text(), QStringLiteral("60/117/174"));
        QCOMPARE(window->correlationBox(2)->count(), 3);  // 0, 0.5, 1 for r12 = r23 = 0.5
        QCOMPARE(window->correlationBox(2)->currentText(), QStringLiteral("0"));
        // Everything of the demonstration book starts in group 3.
        QCOMPARE(window->playerBox(0, 3)->value(), 1000);
        QCOMPARE(window->groupLabel(3)->text(), QStringLiteral("平安银行等"));
        QCOMPARE(groupOf("600036"), 3);
    }

    void aDeviationAtItsExpectationIsPutBack() {
        window->deviationBox(1)->setValue(115);
        QCOMPARE(demo->prompter.messages, std::vector<std::string>{"上下偏差不得超过未来期望!"});
        QCOMPARE(window->deviationBox(1)->value(), 20);
        window->deviationBox(1)->setValue(30);
        QCOMPARE(window->levelsLabel(1)->text(), QStringLiteral("85/115/145"));
    }

    void correlationsRebuildTheR13ListAndOptimisingFillsTheResults() {
        window->correlationBox(0)->setCurrentText(QStringLiteral("1"));
        window->correlationBox(1)->setCurrentText(QStringLiteral("-1"));
        QCOMPARE(window->correlationBox(2)->count(), 1);
        QCOMPARE(window->correlationBox(2)->currentText(), QStringLiteral("-1"));
        buttonIn(window.get(), "电脑优化")->click();
        QVERIFY(!window->correlationBox(2)->isEnabled());
        const auto& y = window->optimisation().result().y;
        QCOMPARE(window->resultBox(0, 1)->text(), QString::number(y[1]));
        QCOMPARE(window->resultBox(1, 3)->text(), QString::number(y[3] - 1000));
    }

    void aMarginOfZeroIsRefusedBeforeOptimising() {
        window->marginBox(2)->setEditText(QStringLiteral("0"));
        buttonIn(window.get(), "电脑优化")->click();
        QCOMPARE(demo->prompter.messages, std::vector<std::string>{"保证金比例必须大于0且不超过100"});
        QVERIFY(window->resultBox(0, 0)->text().isEmpty());
    }

    void groupingClosesIntoANewPortfolio() {
        GroupingWindow& grouping = window->groupingWindow();
        buttonIn(window.get(), "分组操作")->click();
        QVERIFY(grouping.isVisible());
        QAbstractItemModel* model = grouping.groupsView()->model();
        int cash = -1;
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, 0).data().toString() == QStringLiteral("xj")) cash = r;
        QVERIFY(cash >= 0);
        QVERIFY(!model->setData(model->index(cash, 3), QStringLiteral("5")));
        QCOMPARE(demo->prompter.messages, std::vector<std::string>{"组号只能是0,1,2或3"});
        QVERIFY(!(model->flags(model->index(cash, 0)) & Qt::ItemIsEditable));
        QVERIFY(model->setData(model->index(cash, 3), QStringLiteral("0")));
        QCOMPARE(groupOf("xj"), 0);
        buttonIn(&grouping, "确定退出")->click();
        QVERIFY(!grouping.isVisible());
        QCOMPARE(window->groupLabel(0)->text(), QStringLiteral("现金等"));
        QVERIFY(window->playerBox(0, 0)->value() > 0);  // the cash now counts in group 0
    }

    void simulatingOpensAGameThatRanksTheFour() {
        buttonIn(window.get(), "投资模拟")->click();
        GameWindow* game = window->lastGame();
        QVERIFY(game);
        QCOMPARE(game->windowTitle(), QStringLiteral("模拟投资游戏结果图--Varneth公司研制"));
        game->turnsBox()->setValue(50);
        game->linearChoice()->setChecked(true);
        buttonIn(game, "模拟开始")->click();
        QCOMPARE(game->game()->lastTurn(), 50);
        QCOMPARE(game->leaderboard()->count(), 4);
        QVERIFY(game->leaderboard()->item(0)->text().startsWith(QStringLiteral("1.")));
        QVERIFY(game->chart()->turns() >= 50);
        game->targetChoice()->setChecked(true);
        buttonIn(game, "模拟开始")->click();
        const auto& w = game->game()->wealth();
        QVERIFY(game->game()->lastTurn() == 1000 || *std::max_element(w.begin(), w.end()) >= 10000);
        buttonIn(game, "帮   助")->click();
        QCOMPARE(demo->prompter.messages.back(), std::string(GameWindow::kHelp));
    }
};

QTEST_MAIN(OptimiserWindowsTest)
#include "optimiser_windows_test.moc"
