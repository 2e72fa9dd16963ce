#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "app/session.h"
#include "reference/maintenance.h"

class QLabel;
class QProgressBar;
class QTabWidget;
class QTableView;

namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

class MarginWindow;

// "设置证券类型和代码等窗口": the reference tables in editable grids, one tab each, and the buttons
// that keep them in step with the ledger. Every action is the core's; the window adds the
// hourglass, the progress bar and the follow-ups (the main window's views, the margin calculator).
class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "设置证券类型和代码等窗口";
    static constexpr int kPricesTab = 1;
    enum Tab { Types, Prices, Brokers, Rules, Currencies };

    explicit SettingsWindow(app::Session& session, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    reference::Maintenance& maintenance() { return maintenance_; }
    QTabWidget* tabs() const { return tabs_; }
    void showCentred(int tab = Types);
    void execOnTab(int tab);  // modal, as the holdings editor's "手工改价" opens it
    QString settlementText() const;
    MarginWindow* marginWindow() const { return margin_.get(); }

signals:
    void holdingsChanged();  // the main window reopens its views

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Button {
        const char* text;
        const char* hint;
        std::function<void()> action;
    };
    QWidget* tab(const std::vector<QTableView*>& grids, const std::vector<Button>& buttons, const char* help,
                 QWidget* extra = nullptr);
    QTableView* grid(storage::Cursor& cursor,
                     const std::vector<std::pair<const char*, const char*>>& columns);
    QWidget* currencyTab();
    void run(const std::function<void()>& action);
    void progress(int done, int total);
    void openMargin();
    void showSettlement();

    app::Session& session_;
    reference::Maintenance maintenance_;
    std::vector<std::unique_ptr<ui::CursorModel>> models_;
    QTabWidget* tabs_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* settlement_ = nullptr;
    QTableView* typeGrid_ = nullptr;
    std::unique_ptr<MarginWindow> margin_;
};

}  // namespace varneth::gui
