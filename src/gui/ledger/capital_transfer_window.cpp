#include "ledger/capital_transfer_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include "storage/error.h"

namespace varneth::gui {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kSecondRole = Qt::UserRole + 1;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// A drop-down entry shows its key and a second field; the key is what the box stands for.
void addEntry(QComboBox* box, const std::string& key, const std::string& second) {
    box->addItem(q(key) + QStringLiteral("  ") + q(second));
    box->setItemData(box->count() - 1, q(key), kKeyRole);
    box->setItemData(box->count() - 1, q(second), kSecondRole);
}

std::string chosen(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->currentData(kKeyRole).toString().toStdString();
}

std::string text(const QLineEdit* box) {
    return box->text().toStdString();
}

}  // namespace

template <class F>
void CapitalTransferWindow::guarded(F&& action) {
    try {
        action();
    } catch (const storage::Error& e) {
        prompter_.message(e.what());
    }
}

CapitalTransferWindow::CapitalTransferWindow(ledger::CapitalTransfer& transfer, port::Prompter& prompter,
                                             QWidget* parent)
    : QWidget(parent, Qt::Window), core_(transfer), prompter_(prompter) {
    setWindowTitle(QStringLiteral("资金转帐"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildTransferGroup());
    layout->addWidget(buildInvestorGroup());
    auto* close = new QPushButton(QStringLiteral("返回"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    layout->addLayout(bottom);
    fillLists();
}

QComboBox* CapitalTransferWindow::accountList() {
    auto* box = new QComboBox;
    box->setMinimumContentsLength(14);
    return box;
}

QWidget* CapitalTransferWindow::buildTransferGroup() {
    auto* group = new QGroupBox(QStringLiteral("资金转帐操作"));
    auto* form = new QFormLayout(group);
    from_ = accountList();
    to_ = accountList();
    amount_ = new QLineEdit(QString::fromUtf8(ledger::CapitalTransfer::kDefaultAmount));
    note_ = new QLineEdit;
    form->addRow(QStringLiteral("从帐户"), from_);
    form->addRow(QStringLiteral("转移资金"), amount_);
    form->addRow(QStringLiteral("元到帐户"), to_);
    form->addRow(QStringLiteral("注释"), note_);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定"));
    auto* help = new QPushButton(QStringLiteral("帮助"));
    buttons->addWidget(ok);
    buttons->addWidget(help);
    form->addRow(buttons);
    connect(ok, &QPushButton::clicked, this, &CapitalTransferWindow::transfer);
    connect(help, &QPushButton::clicked, this,
            [this] { prompter_.message(ledger::CapitalTransfer::kTransferHelp); });
    return group;
}

QWidget* CapitalTransferWindow::buildInvestorGroup() {
    auto* group = new QGroupBox(QStringLiteral("个人投资撤资操作（撤资时暂不做平仓处理，易于恢复）："));
    auto* form = new QFormLayout(group);
    investor_ = new QComboBox;
    investor_->setEditable(true);  // a new investor's code is typed
    investor_->setInsertPolicy(QComboBox::NoInsert);
    name_ = new QLineEdit;
    account_ = accountList();
    broker_ = new QLineEdit;
    investAmount_ = new QLineEdit(QString::fromUtf8(ledger::CapitalTransfer::kDefaultAmount));
    type_ = new QComboBox;
    investNote_ = new QLineEdit;
    form->addRow(QStringLiteral("投资人代码"), investor_);
    form->addRow(QStringLiteral("姓名"), name_);
    form->addRow(QStringLiteral("投入帐户"), account_);
    form->addRow(QStringLiteral("券商代码"), broker_);
    form->addRow(QStringLiteral("转移数量(元)"), investAmount_);
    form->addRow(QStringLiteral("投资类型"), type_);
    form->addRow(QStringLiteral("注释"), investNote_);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定"));
    auto* help = new QPushButton(QStringLiteral("帮助"));
    buttons->addWidget(ok);
    buttons->addWidget(help);
    form->addRow(buttons);
    connect(ok, &QPushButton::clicked, this, &CapitalTransferWindow::invest);
    connect(help, &QPushButton::clicked, this,
            [this] { prompter_.message(ledger::CapitalTransfer::kInvestHelp); });
    connect(investor_, &QComboBox::activated, this, [this](int i) {
        investor_->setEditText(investor_->itemData(i, kKeyRole).toString());
        name_->setText(investor_->itemData(i, kSecondRole).toString());
    });
    connect(account_, &QComboBox::activated, this,
            [this](int i) { broker_->setText(account_->itemData(i, kSecondRole).toString()); });
    return group;
}

void CapitalTransferWindow::fillLists() {
    // An account shows once, however many orders it has; the total rows have no account.
    QSet<QString> seen;
    storage::Cursor& accounts = core_.accounts();
    for (accounts.first(); !accounts.isEmpty() && !accounts.eof(); accounts.next()) {
        const std::string zjzh = accounts.text("ZJZH"), qsdm = accounts.text("qsdm");
        if (zjzh.empty() || seen.contains(q(zjzh + ";" + qsdm))) continue;
        seen.insert(q(zjzh + ";" + qsdm));
        for (QComboBox* box : {from_, to_, account_}) addEntry(box, zjzh, qsdm);
    }
    storage::Cursor& investors = core_.investors();
    for (investors.first(); !investors.isEmpty() && !investors.eof(); investors.next())
        addEntry(investor_, investors.text("pycode"), investors.text("name"));
    storage::Cursor& types = core_.types();
    for (types.first(); !types.isEmpty() && !types.eof(); types.next())
        addEntry(type_, types.text("Xabc"), types.text("Note"));
    for (QComboBox* box : {from_, to_, account_, type_}) box->setCurrentIndex(-1);
    investor_->setCurrentIndex(-1);
    investor_->setEditText(QString());
}

void CapitalTransferWindow::transfer() {
    guarded([this] { core_.transfer(chosen(from_), chosen(to_), text(amount_)); });
}

void CapitalTransferWindow::invest() {
    ledger::Investment form;
    form.pycode = investor_->currentText().toStdString();
    form.name = text(name_);
    form.zjzh = chosen(account_);
    form.qsdm = text(broker_);
    form.amount = text(investAmount_);
    form.xabc = chosen(type_);
    form.note = text(investNote_);
    guarded([&] { core_.invest(form); });
}

}  // namespace varneth::gui
