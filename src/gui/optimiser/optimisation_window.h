#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

#include "app/session.h"
#include "optimiser/game_window.h"
#include "optimiser/grouping.h"
#include "optimiser/optimisation.h"
#include "port/random.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace varneth::gui {

class GroupingWindow;

// "投资组合优化和模拟" (`Form_yh1`): the forecast of the four groups, the players' rows and the
// optimiser's suggestions, over optimiser::Optimisation. Its grouping window is made first, so the
// portfolio is read from a grouping in step with the book; the game's random source is seeded here.
class OptimisationWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "投资组合优化和模拟";

    explicit OptimisationWindow(app::Session& session, QWidget* parent = nullptr);
    ~OptimisationWindow() override;

    optimiser::Optimisation& optimisation() { return *opt_; }
    port::Random& random() { return random_; }
    GroupingWindow& groupingWindow() { return *groupingWindow_; }
    // The boxes, for tests.
    QSpinBox* expectationBox(int group) const { return e_[static_cast<std::size_t>(group)]; }
    QSpinBox* deviationBox(int group) const { return d_[static_cast<std::size_t>(group)]; }
    QSpinBox* playerBox(int player, int group) const {
        return players_[static_cast<std::size_t>(player)][static_cast<std::size_t>(group)];
    }
    QComboBox* correlationBox(int pair) const { return r_[static_cast<std::size_t>(pair)]; }  // 12, 23, 13
    QComboBox* marginBox(int group) const { return margin_[static_cast<std::size_t>(group)]; }
    QLineEdit* resultBox(int row, int group) const {
        return results_[static_cast<std::size_t>(row)][static_cast<std::size_t>(group)];
    }
    QLabel* groupLabel(int group) const { return labels_[static_cast<std::size_t>(group)]; }
    QLabel* levelsLabel(int group) const { return levels_[static_cast<std::size_t>(group)]; }
    GameWindow* lastGame() const { return lastGame_; }
    // Whether the window or one of its games is on the screen.
    bool inUse() const;

private:
    QWidget* buildForecast();
    QWidget* buildCorrelations();
    QWidget* buildPlayers();
    QWidget* buildResults();
    QWidget* buildButtons();
    void refresh();
    void refreshR13();
    void refreshResults();
    void optimise();
    void simulate();
    void save();
    void load();
    void explain(const char* text);

    app::Session& session_;
    port::Random random_;
    std::unique_ptr<optimiser::Grouping> grouping_;
    std::unique_ptr<GroupingWindow> groupingWindow_;
    std::unique_ptr<optimiser::Optimisation> opt_;
    bool refreshing_ = false;
    std::array<QLabel*, 4> labels_{}, levels_{};
    std::array<QSpinBox*, 4> ini_{}, e_{}, d_{};
    std::array<QComboBox*, 4> cost_{}, margin_{};
    std::array<QComboBox*, 3> r_{};
    QLineEdit* overdraftRatio_ = nullptr;
    QLineEdit* overdraftRate_ = nullptr;
    std::array<std::array<QSpinBox*, 4>, 3> players_{};
    std::array<std::array<QLineEdit*, 4>, 3> results_{};
    QPointer<GameWindow> lastGame_;
};

}  // namespace varneth::gui
