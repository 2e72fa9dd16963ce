#include "ledger/new_cash_account_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <exception>

#include "ui/centre.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

NewCashAccountWindow::NewCashAccountWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      account_(session.engine(), session.lookups(), session.prompter()) {
    setWindowTitle(QStringLiteral("新建资金帐户"));

    brokers_ = new QComboBox;
    {
        const QSignalBlocker quiet(brokers_);
        for (const auto& code : account_.brokerCodes()) brokers_->addItem(q(code));
        brokers_->setCurrentIndex(-1);
    }
    connect(brokers_, &QComboBox::activated, this, &NewCashAccountWindow::brokerPicked);
    qsdm_ = new QLineEdit;
    auto* brokerBox = new QWidget;
    auto* brokerLayout = new QVBoxLayout(brokerBox);
    brokerLayout->setContentsMargins(0, 0, 0, 0);
    brokerLayout->addWidget(brokers_);
    brokerLayout->addWidget(qsdm_);

    qs_ = new QLineEdit;
    zjzh_ = new QLineEdit;
    amt_ = new QLineEdit(q(account_.form().amt));
    currency_ = new QComboBox;
    for (const auto& [code, name] : account_.currencies()) currency_->addItem(q(code + " " + name), q(code));
    currency_->setCurrentIndex(-1);
    auto* define = new QPushButton(QStringLiteral("新定义"));
    connect(define, &QPushButton::clicked, this, [this] { session_.prompter().message(kNotYet); });
    auto* currencyRow = new QWidget;
    auto* currencyLayout = new QHBoxLayout(currencyRow);
    currencyLayout->setContentsMargins(0, 0, 0, 0);
    currencyLayout->addWidget(currency_, 1);
    currencyLayout->addWidget(define);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("券商代码"), brokerBox);
    fields->addRow(QStringLiteral("券商"), qs_);
    fields->addRow(QStringLiteral("资金帐户"), zjzh_);
    fields->addRow(QStringLiteral("现金数量"), amt_);
    fields->addRow(QStringLiteral("货币"), currencyRow);

    auto* note = new QLabel(QString::fromUtf8(kNote));
    note->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    const auto add = [&](const QString& text, auto action) {
        auto* b = new QPushButton(text);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
    };
    add(QStringLiteral("OK"), [this] { ok(); });
    add(QStringLiteral("Close"), [this] { close(); });
    add(QStringLiteral("Help"), [this] { help(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(note);
    layout->addLayout(buttons);
    setAttribute(Qt::WA_DeleteOnClose);  // Close discards the window
    resize(420, sizeHint().height());
}

void NewCashAccountWindow::showCentred() {
    ui::moveToScreenCentre(*this);
    show();
    raise();
}

void NewCashAccountWindow::brokerPicked(int index) {
    account_.brokerPicked(brokers_->itemText(index).toStdString());
    qsdm_->setText(q(account_.form().qsdm));
    qs_->setText(q(account_.form().qs));
}

void NewCashAccountWindow::ok() {
    ledger::CashAccountForm& f = account_.form();
    f.qsdm = qsdm_->text().toStdString();
    f.qs = qs_->text().toStdString();
    f.zjzh = zjzh_->text().toStdString();
    f.amt = amt_->text().toStdString();
    f.bi = currency_->currentIndex() < 0 ? std::string() : currency_->currentData().toString().toStdString();
    try {
        account_.create();
    } catch (const std::exception& e) {
        session_.prompter().message(e.what());
    }
}

void NewCashAccountWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("mystocks")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
