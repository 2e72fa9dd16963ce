#pragma once

#include <QWidget>
#include <memory>

#include "app/session.h"
#include "fund/commission_stats.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "提成统计": the commission and insurance parts of the fees of every buy settled since a start date,
// opened from the fund management window's commission tab.
class CommissionStatsWindow : public QWidget {
    Q_OBJECT
public:
    CommissionStatsWindow(app::Session& session, fund::FundManager& manager, QWidget* parent = nullptr);
    ~CommissionStatsWindow() override;

    void showCentred();

signals:
    // The statistics replaced the commission candidates.
    void candidatesReplaced();

private:
    void run();

    app::Session& session_;
    fund::CommissionStats stats_;
    QComboBox* year_ = nullptr;
    QComboBox* month_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QTableView* rowsGrid_ = nullptr;
    std::unique_ptr<ui::CursorModel> rows_, offsets_;
    QLabel* labels_[4] = {};
};

}  // namespace varneth::gui
