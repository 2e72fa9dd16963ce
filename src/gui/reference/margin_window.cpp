#include "reference/margin_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/centre.h"

namespace varneth::gui {

using reference::MarginCalculator;

namespace {

QSpinBox* spin(long long value, int step) {
    auto* box = new QSpinBox;
    box->setRange(0, 99999999);
    box->setSingleStep(step);
    box->setValue(static_cast<int>(value));
    return box;
}

}  // namespace

MarginWindow::MarginWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      session_(session),
      calc_(session.engine(), session.lookups(), session.prompter()) {
    setWindowTitle(QString::fromUtf8(MarginCalculator::kCaption));
    auto* note = new QLabel(QString::fromUtf8(MarginCalculator::kNote));
    note->setWordWrap(true);
    type_ = new QLineEdit;
    type_->setReadOnly(true);
    margin_ = spin(MarginCalculator::kDefaultMargin, 10);
    units_ = spin(MarginCalculator::kDefaultUnits, 1);
    price_ = spin(MarginCalculator::kDefaultPrice, 1);
    ratio_ = new QLineEdit(QString::fromUtf8(MarginCalculator::kDefaultRatio));
    ratio_->setObjectName(QStringLiteral("ratio"));

    auto* fields = new QGridLayout;
    const auto row = [fields](int r, const char* text, QWidget* field, const char* after) {
        fields->addWidget(new QLabel(QString::fromUtf8(text)), r, 0);
        fields->addWidget(field, r, 1);
        if (after) fields->addWidget(new QLabel(QString::fromUtf8(after)), r, 2);
    };
    row(0, MarginCalculator::kTypeLabel, type_, nullptr);
    row(1, "每手保证金金额", margin_, "元");
    row(2, "每手包含交易单位数量", units_, "比如吨;对于期货指数表示每点(市价变化1时)盈亏金额");
    row(3, "市价(单位交易额):", price_, "元(价格无须很准确)");
    row(4, "保证金比率＝(每手保证金/每手交易单位数量)/市价＝", ratio_, nullptr);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
    };
    button("计算", [this] { calculate(); });
    button("确定退出", [this] { accept(); });
    button("放弃退出", [this] { close(); });
    button("帮助", [this] { help(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

void MarginWindow::openOnSelectedType() {
    storage::Cursor& types = session_.lookups().types();
    lx_ = types.isEmpty() ? std::string() : types.text("Lx");
    type_->setText(QString::fromStdString(calc_.typeText(lx_).value_or(std::string()))
                       .mid(static_cast<int>(QString::fromUtf8(MarginCalculator::kTypeLabel).size())));
    adjustSize();
    ui::moveToScreenCentre(*this);
    show();
    raise();
    activateWindow();
}

QString MarginWindow::typeText() const {
    return type_->text();
}

void MarginWindow::setInputs(int marginPerLot, int unitsPerLot, int price) {
    margin_->setValue(marginPerLot);
    units_->setValue(unitsPerLot);
    price_->setValue(price);
}

void MarginWindow::calculate() {
    if (const auto text = calc_.calculate(margin_->value(), units_->value(), price_->value()))
        ratio_->setText(QString::fromStdString(*text));
}

bool MarginWindow::accept() {
    try {
        if (!calc_.apply(lx_, ratio_->text().toStdString())) return false;
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
        return false;
    }
    close();
    return true;
}

void MarginWindow::help() {
    session_.prompter().message(MarginCalculator::kHelp);
}

}  // namespace varneth::gui
