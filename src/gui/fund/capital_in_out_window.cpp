#include "fund/capital_in_out_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "storage/error.h"
#include "text/display.h"
#include "text/numbers.h"
#include "ui/centre.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

CapitalInOutWindow::CapitalInOutWindow(app::Session& session, fund::FundManager& manager, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      session_(session),
      entry_(session.engine(), manager, session.fund(), session.lookups(), session.prompter(),
             session.clock()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("注:进出资数据输入窗口"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("指定记录概况如下,修改后按确定按钮便产生新投(撤)资记录：")));
    auto* form = new QFormLayout;
    pycode_ = new QLineEdit, name_ = new QLineEdit, date_ = new QLineEdit, xabc_ = new QLineEdit,
    amount_ = new QLineEdit;
    qsdm_ = new QComboBox, zjzh_ = new QComboBox;
    qsdm_->setEditable(true);
    zjzh_->setEditable(true);
    qs_ = new QLabel, available_ = new QLabel, units_ = new QLabel, current_ = new QLabel,
    maturity_ = new QLabel;
    form->addRow(QStringLiteral("投资人代码"), pycode_);
    form->addRow(QStringLiteral("姓名"), name_);
    form->addRow(QStringLiteral("券商代码"), qsdm_);
    form->addRow(QStringLiteral("券商"), qs_);
    form->addRow(QStringLiteral("资金帐号"), zjzh_);
    form->addRow(QStringLiteral("投入日期"), date_);
    form->addRow(QStringLiteral("投资类型"), xabc_);
    form->addRow(QStringLiteral("投入资金(元)"), amount_);
    form->addRow(QString(), new QLabel(QStringLiteral("负数表示撤资")));
    form->addRow(QStringLiteral("可取日期"), available_);
    one_ = new QRadioButton(QStringLiteral("指定一笔"));
    all_ = new QRadioButton(QStringLiteral("所有资金"));
    one_->setChecked(true);
    auto* choice = new QHBoxLayout;
    choice->addWidget(one_);
    choice->addWidget(all_);
    form->addRow(QStringLiteral("撤资数量"), choice);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("投资人指定投资类型概况：")));
    auto* figures = new QFormLayout;
    figures->addRow(units_);
    figures->addRow(QString::fromUtf8(fund::CapitalEntry::kCurrentCaption), current_);
    figures->addRow(QString::fromUtf8(fund::CapitalEntry::kMaturityCaption), maturity_);
    layout->addLayout(figures);
    layout->addWidget(new QLabel(QStringLiteral("注意: 如母窗口管理人数据与此窗口不同,则以此窗口数据为准")));
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定"));
    auto* quit = new QPushButton(QStringLiteral("退出"));
    auto* help = new QPushButton(QStringLiteral("帮助"));
    buttons->addWidget(ok);
    buttons->addWidget(quit);
    buttons->addWidget(help);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &CapitalInOutWindow::confirm);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [this] {
        if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("fund_in_out")))
            session_.prompter().message(ui::HelpViewer::missingFileMessage());
    });
    connect(one_, &QRadioButton::toggled, this,
            [this](bool) { amount_->setText(q(entry_.amountFor(all_->isChecked()))); });
    connect(qsdm_, &QComboBox::textActivated, this, [this](const QString& code) {
        form_ = read();
        entry_.chooseBroker(form_, code.trimmed().toStdString());
        put(form_);
    });
    const auto dated = [this] {
        form_ = read();
        entry_.dateChanged(form_);
        put(form_);
    };
    connect(date_, &QLineEdit::editingFinished, this, dated);
    connect(xabc_, &QLineEdit::textEdited, this, dated);
}

CapitalInOutWindow::~CapitalInOutWindow() = default;

void CapitalInOutWindow::fill() {
    storage::Cursor& accounts = entry_.accounts();
    for (int i = 0; i < accounts.count(); ++i) {
        accounts.moveTo(i);
        const QString code = q(accounts.text("qsdm"));
        if (qsdm_->findText(code) < 0) qsdm_->addItem(code);
    }
    form_ = entry_.show(all_->isChecked());
    put(form_);
    ui::moveToScreenCentre(*this);
}

void CapitalInOutWindow::put(const fund::CapitalForm& f) {
    pycode_->setText(q(f.pycode));
    name_->setText(q(f.name));
    qsdm_->setEditText(q(f.qsdm));
    qs_->setText(q(f.qs));
    zjzh_->clear();
    for (const auto& z : f.accounts) zjzh_->addItem(q(z));
    zjzh_->setEditText(q(f.zjzh));
    date_->setText(q(f.date));
    xabc_->setText(q(f.xabc));
    amount_->setText(q(f.amount));
    available_->setText(q(f.available));
    using text::NumberKind;
    units_->setText(q(f.unitsCaption + text::displayNumber(f.units, NumberKind::Quantity)));
    current_->setText(q(text::displayNumber(f.current, NumberKind::Money)));
    maturity_->setText(q(text::displayNumber(f.maturity, NumberKind::Money)));
}

fund::CapitalForm CapitalInOutWindow::read() const {
    fund::CapitalForm f = form_;
    f.pycode = pycode_->text().toStdString();
    f.name = name_->text().toStdString();
    f.qsdm = qsdm_->currentText().toStdString();
    f.zjzh = zjzh_->currentText().toStdString();
    f.date = date_->text().toStdString();
    f.xabc = xabc_->text().toStdString();
    f.amount = amount_->text().toStdString();
    return f;
}

void CapitalInOutWindow::confirm() {
    bool done = false;
    try {
        done = entry_.confirm(read());
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    if (done) close();
}

}  // namespace varneth::gui
