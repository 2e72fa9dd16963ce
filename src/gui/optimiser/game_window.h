#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>

#include "optimiser/game.h"
#include "optimiser/game_chart.h"
#include "optimiser/optimisation.h"
#include "port/prompter.h"
#include "port/random.h"

class QComboBox;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace varneth::gui {

// The game's drawing area: both charts of the game as far as the replay has come.
class GameCanvas : public QWidget {
    Q_OBJECT
public:
    explicit GameCanvas(QWidget* parent = nullptr);
    void showGame(const optimiser::Game* game, const optimiser::GameChart* chart);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const optimiser::Game* game_ = nullptr;
    const optimiser::GameChart* chart_ = nullptr;
};

// "模拟投资游戏结果图--Varneth公司研制" (`Form_yh2`): plays the optimisation window's proportions
// against random outcomes, replays the charts turn by turn and ranks the four participants. It reads
// the optimisation's values each time a game starts.
class GameWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "模拟投资游戏结果图--Varneth公司研制";
    static constexpr const char* kHelp =
        "检验和模拟的方法是:根据概率预测,重复随机地产生几种证券的未来价格;实验多次可见电脑有一定优势；"
        "选择线性绘图时，差距更加明显。加大延迟时间可以增强游戏效果。当价格或资产减少到极小时，系统便假设它不"
        "再变化.";

    GameWindow(const optimiser::Optimisation& opt, port::Random& random, port::Prompter& prompter,
               std::filesystem::path programDir, QWidget* parent = nullptr);
    ~GameWindow() override;

    // "模拟开始".
    void play();
    const optimiser::Game* game() const { return game_.get(); }
    const optimiser::GameChart* chart() const { return chart_.get(); }
    QListWidget* leaderboard() const { return leaderboard_; }
    QSpinBox* turnsBox() const { return turns_; }
    QRadioButton* targetChoice() const { return targetMode_; }
    QRadioButton* linearChoice() const { return linear_; }
    QComboBox* targetBox() const { return target_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildControls();
    optimiser::GameRules rules() const;
    bool replay(double delay);

    const optimiser::Optimisation& opt_;
    port::Random& random_;
    port::Prompter& prompter_;
    std::filesystem::path programDir_;
    std::unique_ptr<optimiser::Game> game_;
    std::unique_ptr<optimiser::GameChart> chart_;
    GameCanvas* canvas_ = nullptr;
    QRadioButton* turnsMode_ = nullptr;
    QRadioButton* targetMode_ = nullptr;
    QSpinBox* turns_ = nullptr;
    QComboBox* target_ = nullptr;
    QRadioButton* log_ = nullptr;
    QRadioButton* linear_ = nullptr;
    QComboBox* delay_ = nullptr;
    QListWidget* leaderboard_ = nullptr;
    QPushButton* start_ = nullptr;
    bool closing_ = false;
};

}  // namespace varneth::gui
