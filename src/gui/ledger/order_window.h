#pragma once

#include <QWidget>
#include <memory>

#include "app/session.h"
#include "ledger/book_views.h"
#include "ledger/order_desk.h"
#include "ledger/settlement.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

class CodeLookupWindow;

// "手工委托处理窗口": orders placed by hand, entered, cancelled and confirmed. One per login, always
// on top, hidden between uses; the main window fills it from a detail row and shows it.
class OrderWindow : public QWidget {
    Q_OBJECT
public:
    OrderWindow(app::Session& session, ledger::BookViews& views, QWidget* parent = nullptr);
    ~OrderWindow() override;

    ledger::OrderDesk& desk() { return desk_; }
    // "委托记录处理": the boxes and the mode from the detail row, the window at (120, 30).
    void openOn(const ledger::DetailRow& row);

protected:
    // Showing takes the cash figures of the detail row's account.
    void showEvent(QShowEvent* event) override;
    // However the window closes, the book is valued and the main views follow.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildBoxes();
    QWidget* buildButtons();
    QComboBox* buildTypeBox();
    // The core's state shown in the widgets, and the widgets' texts taken back.
    void pushForm();
    void pullForm();
    // A change or an action on the desk, with the boxes taken first and shown after.
    template <class F>
    void run(F&& change);
    void act(bool (OrderWindow::*action)());
    bool buy();
    bool sell();
    bool cancel();
    bool confirm();
    void query();
    void help();

    app::Session& session_;
    ledger::OrderDesk desk_;
    ledger::Settlement settlement_;
    std::unique_ptr<ui::CursorModel> typeModel_;
    std::unique_ptr<CodeLookupWindow> lookup_;
    QLineEdit *wth_ = nullptr, *tradeDate_ = nullptr, *code_ = nullptr, *price_ = nullptr, *amt_ = nullptr;
    QComboBox *qsdm_ = nullptr, *zjzh_ = nullptr, *gddm_ = nullptr, *lx_ = nullptr;
    QLabel *qsLabel_ = nullptr, *codeCaption_ = nullptr, *nameLabel_ = nullptr, *currencyLabel_ = nullptr,
           *rateLabel_ = nullptr, *marginLabel_ = nullptr, *cashLabel_ = nullptr, *buyableLabel_ = nullptr;
    QRadioButton *shortSale_ = nullptr, *long_ = nullptr;
    QPushButton *buyLong_ = nullptr, *sellLong_ = nullptr, *openShort_ = nullptr, *closeShort_ = nullptr,
                *cancel_ = nullptr, *confirm_ = nullptr, *toggle_ = nullptr, *query_ = nullptr;
    bool pushing_ = false;
};

}  // namespace varneth::gui
