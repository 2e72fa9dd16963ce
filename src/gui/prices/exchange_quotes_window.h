#pragma once

#include <QWidget>
#include <memory>

#include "app/session.h"
#include "port/launcher.h"
#include "prices/exchange_quotes.h"
#include "reference/maintenance.h"

class QComboBox;
class QLabel;
class QTextBrowser;

namespace varneth::storage {
class Cursor;
}
namespace varneth::ui {
class CursorModel;
}

namespace varneth::gui {

// `Form_readshow2003`: where to download the exchanges' quote files, and loading them into the
// general price table. A fresh one is made each time the main window asks; it goes when closed.
class ExchangeQuotesWindow : public QWidget {
    Q_OBJECT
public:
    ExchangeQuotesWindow(app::Session& session, port::Launcher& launcher, QWidget* parent = nullptr);
    ~ExchangeQuotesWindow() override;

    void showCentred();
    QComboBox* locations() const { return locations_; }
    QString linksText() const;
    QString statusText() const;
    ui::CursorModel* shanghaiGrid() const { return shanghai_.get(); }
    ui::CursorModel* shenzhenGrid() const { return shenzhen_.get(); }
    void update();  // "更新所有股票价格表"

signals:
    void holdingsPricesRequested();  // "修改持仓价格": the settings window on its price tab
    void holdingsChanged();

private:
    void locationChosen(int index);
    void status(const std::string& text);
    void reopenFiles();

    app::Session& session_;
    port::Launcher& launcher_;
    reference::Maintenance maintenance_;
    prices::ExchangeQuotes quotes_;
    // The cursors are declared before the models over them, which must go first.
    std::unique_ptr<storage::Cursor> shanghaiFile_, shenzhenFile_;
    std::unique_ptr<ui::CursorModel> general_, shanghai_, shenzhen_;
    QComboBox* locations_ = nullptr;
    QTextBrowser* links_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace varneth::gui
