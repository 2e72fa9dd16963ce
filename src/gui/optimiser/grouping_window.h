#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>

#include "optimiser/grouping.h"

class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "为投资组合优化分组" (`Form_devide`): the group of every security on the left, the groups per type
// and contract on the right, both edited in place. Made with the optimisation window; closing it
// tells that window to read the portfolio again.
class GroupingWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "为投资组合优化分组";

    GroupingWindow(optimiser::Grouping& grouping, port::Prompter& prompter, std::filesystem::path programDir,
                   QWidget* parent = nullptr);
    ~GroupingWindow() override;

    void showCentred();
    QTableView* groupsView() const { return groupsView_; }
    QTableView* divisionsView() const { return divisionsView_; }

signals:
    void closed();  // "确定退出"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildButtons();
    template <class F>
    void guarded(F&& action);

    optimiser::Grouping& grouping_;
    port::Prompter& prompter_;
    std::filesystem::path programDir_;
    std::unique_ptr<ui::CursorModel> groupsModel_, divisionsModel_;
    QTableView* groupsView_ = nullptr;
    QTableView* divisionsView_ = nullptr;
};

}  // namespace varneth::gui
