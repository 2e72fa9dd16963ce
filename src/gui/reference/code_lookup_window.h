#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "port/prompter.h"
#include "reference/general_prices.h"

class QComboBox;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// "股票代码窗口": the general price table for picking a code while entering an order, and for
// editing it by hand. It floats over the other windows and is shown without blocking them.
// The module it shows belongs to the session and must outlive the window.
class CodeLookupWindow : public QWidget {
    Q_OBJECT
public:
    using PickHandler = std::function<void(const reference::GeneralPrices::Pick&)>;

    CodeLookupWindow(reference::GeneralPrices& prices, port::Prompter& prompter, QWidget* parent = nullptr);
    ~CodeLookupWindow() override;

    // Told of the row "确定退出" picks, before the window closes.
    void setPickHandler(PickHandler handler) { pickHandler_ = std::move(handler); }
    // Shows the window, not modal, with its top-left corner at (left, top) on the screen.
    void showAt(int left, int top);

protected:
    // However the window closes, the lookups see every row again.
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildRestriction();
    QWidget* buildButtons();
    void pickAndClose();
    void deleteRow();
    void insertRow();
    void editCode(int row);
    void help();
    // Runs a change of the table; a storage::Error is told to the user, not thrown.
    template <class F>
    void guarded(F&& change);

    reference::GeneralPrices& prices_;
    port::Prompter& prompter_;
    PickHandler pickHandler_;
    std::unique_ptr<ui::CursorModel> model_;
    QTableView* grid_ = nullptr;
    QComboBox* restriction_ = nullptr;
};

}  // namespace varneth::gui
