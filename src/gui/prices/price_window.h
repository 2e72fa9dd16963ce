#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

#include "app/session.h"
#include "prices/price_update.h"
#include "prices/quote_source.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace varneth::gui {

class QuoteDefinitionsWindow;
class QuotePathWindow;

// "更新行情数据" (`form_price2`): the quote source in use, its path, and the three price updates with
// their display area. A fresh one is made each time the main window asks; it goes when closed.
class PriceWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFullHeight = 475;
    static constexpr int kShortHeight = 310;  // mode 0: no room for the display area
    static constexpr int kDisplayTop = 270;
    static constexpr int kColumnPitch = 95;
    static constexpr int kRows = 10;
    static constexpr int kColumns = 4;

    explicit PriceWindow(app::Session& session, QWidget* parent = nullptr);
    ~PriceWindow() override;

    void showCentred();
    prices::QuoteSources& sources() { return sources_; }
    prices::DisplayMode mode() const;
    void setMode(prices::DisplayMode mode);
    // The text of a display slot (0-39), for whoever checks what was shown.
    QString slotText(int slot) const;
    QuoteDefinitionsWindow* definitionsWindow() const { return definitions_; }
    QuotePathWindow* pathWindow() const;  // while it is open

signals:
    void holdingsChanged();  // the main window reopens its views
    void closed();           // the main window refreshes

public slots:
    void updateCodes();
    void updateAll();
    void updateMine();
    void openDefinitions();
    void openPathWindow();
    // The selector, the path, name and note boxes from the table (after another window changed it).
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildDisplay();
    void chosen(int index);
    void sourceShown();
    void modeChosen();
    void run(bool (prices::PriceUpdate::*action)(prices::DisplayMode));
    void showItem(const std::string& item);
    void progress(int done, int total);
    void help();

    app::Session& session_;
    prices::QuoteSources sources_;
    prices::PriceUpdate update_;
    QComboBox* selector_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* note_ = nullptr;
    QLineEdit* path_ = nullptr;
    QLabel* qlongNote_ = nullptr;
    QButtonGroup* modes_ = nullptr;
    QWidget* modeGroup_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::array<QLabel*, std::size_t{kRows} * kColumns> slots_{};
    int nextSlot_ = 0;
    QuoteDefinitionsWindow* definitions_ = nullptr;  // made once, a child window
    QPointer<QuotePathWindow> pathWindow_;
};

}  // namespace varneth::gui
