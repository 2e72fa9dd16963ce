#pragma once

#include <QWidget>
#include <string>

#include "app/session.h"
#include "reference/margin.h"

class QLineEdit;
class QSpinBox;

namespace varneth::gui {

// "期货保证金计算": a margin per lot turned into the type row's margin ratio. It works on the type
// row selected in the settings window's type grid when it was opened.
class MarginWindow : public QWidget {
    Q_OBJECT
public:
    explicit MarginWindow(app::Session& session, QWidget* parent = nullptr);

    void openOnSelectedType();
    QString typeText() const;
    QLineEdit* ratioField() const { return ratio_; }
    void setInputs(int marginPerLot, int unitsPerLot, int price);
    void calculate();  // "计算"
    bool accept();     // "确定退出": false when refused (the window stays)

private:
    void help();

    app::Session& session_;
    reference::MarginCalculator calc_;
    std::string lx_;
    QLineEdit* type_ = nullptr;
    QSpinBox* margin_ = nullptr;
    QSpinBox* units_ = nullptr;
    QSpinBox* price_ = nullptr;
    QLineEdit* ratio_ = nullptr;
};

}  // namespace varneth::gui
