#pragma once

#include <QDialog>
#include <array>
#include <filesystem>

#include "port/clock.h"
#include "port/prompter.h"
#include "stats/chart_settings.h"
#include "stats/performance.h"
#include "storage/engine.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace varneth::gui {

class PerformanceCanvas;

// "业绩统计和比较": the fund price against the two comparison indices since a chosen start, with
// the result table and the two indices' settings. Each showing reads the fund ledger as it stands;
// closing stores the start date typed.
class PerformanceWindow : public QDialog {
    Q_OBJECT
public:
    PerformanceWindow(storage::Engine& engine, port::Prompter& prompter, port::Clock& clock,
                      std::filesystem::path programDir, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    void done(int result) override;

private:
    QWidget* buildChartColumn();
    QWidget* buildControls();
    QWidget* buildResults();
    QWidget* buildIndexSettings();
    QWidget* buildStatistics();
    void showIndices();
    void chooseStart(int choice);
    void leaveDateField();
    void redraw();
    void confirmIndices();
    void showHelp();
    stats::LineType lineType() const;
    // Writes of one action; a storage::Error is told to the user, not thrown.
    template <class F>
    void write(F&& change);

    storage::Engine& engine_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    std::filesystem::path programDir_;
    stats::Performance performance_;
    stats::ChartSettings settings_;
    stats::ComparisonIndices indices_;
    int choice_ = 0;  // the start choice in effect, kept when a date fails
    bool leaving_ = false;

    PerformanceCanvas* canvas_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QButtonGroup* starts_ = nullptr;
    QButtonGroup* types_ = nullptr;
    QLineEdit* date_ = nullptr;
    QLabel* index1Name_ = nullptr;
    std::array<std::array<QLabel*, 3>, 4> results_{};
    QLabel* statisticsIndex1_ = nullptr;
    std::array<std::array<QLabel*, 3>, 3> statistics_{};  // figure by series: price, index 1, index 2
    std::array<QLineEdit*, 4> indexFields_{};             // first name, first code, second name, second code
};

}  // namespace varneth::gui
