#pragma once

#include <QDialog>
#include <memory>

#include "app/session.h"
#include "fund/capital_entry.h"
#include "fund/fund_manager.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace varneth::gui {

// "注:进出资数据输入窗口": one investment or withdrawal of the investor selected in the fund
// management window. A new window each time; it deletes itself when closed.
class CapitalInOutWindow : public QDialog {
    Q_OBJECT
public:
    CapitalInOutWindow(app::Session& session, fund::FundManager& manager, QWidget* parent = nullptr);
    ~CapitalInOutWindow() override;

    // Showing: the boxes from the selected rows.
    void fill();

private:
    void put(const fund::CapitalForm& form);
    fund::CapitalForm read() const;
    void confirm();

    app::Session& session_;
    fund::CapitalEntry entry_;
    fund::CapitalForm form_;
    QLineEdit *pycode_, *name_, *date_, *xabc_, *amount_;
    QComboBox *qsdm_, *zjzh_;
    QLabel *qs_, *available_, *units_, *current_, *maturity_;
    QRadioButton *one_, *all_;
};

}  // namespace varneth::gui
