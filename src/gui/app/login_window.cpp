#include "app/login_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

#include "accounts/account_window.h"
#include "accounts/file_copy_window.h"
#include "accounts/password_window.h"
#include "app/main_window.h"
#include "app/session_windows.h"
#include "storage/error.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

namespace {

// QLineEdit takes its password character from the style.
class HashEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '#';
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// One style for every password box, living as long as the application (a widget's style must
// outlive the widget).
QStyle* hashEchoStyle() {
    static QPointer<HashEchoStyle> style;
    if (!style) {
        style = new HashEchoStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

QLabel* centredLabel(const QString& text, int pointSize, bool bold) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QFont f = label->font();
    if (pointSize > 0) f.setPointSize(pointSize);
    f.setBold(bold);
    label->setFont(f);
    return label;
}

}  // namespace

PasswordEdit::PasswordEdit(QWidget* parent) : QLineEdit(parent) {
    setStyle(hashEchoStyle());
    setEchoMode(QLineEdit::Password);
}

AccountBox::AccountBox(QWidget* parent)
    : QWidget(parent), list_(new QComboBox(this)), edit_(new QLineEdit(this)) {
    list_->setFocusPolicy(Qt::NoFocus);
    edit_->raise();
    setFocusProxy(edit_);
    edit_->installEventFilter(this);
    connect(list_, &QComboBox::activated, this, [this](int index) {
        const QString name = list_->itemText(index);
        edit_->setText(name);
        emit picked(name);
    });
}

void AccountBox::setNames(const QStringList& names) {
    list_->clear();
    list_->addItems(names);
    list_->setMaxVisibleItems(std::max(1, static_cast<int>(names.size())));
    updateGeometry();
}

QString AccountBox::text() const {
    return edit_->text();
}

void AccountBox::setText(const QString& name) {
    edit_->setText(name);
    const int i = list_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0) list_->setCurrentIndex(i);
}

QSize AccountBox::sizeHint() const {
    const QSize s = list_->sizeHint();
    return {std::max(s.width(), 180), std::max(s.height(), edit_->sizeHint().height())};
}

QSize AccountBox::minimumSizeHint() const {
    return {120, std::max(list_->minimumSizeHint().height(), edit_->minimumSizeHint().height())};
}

void AccountBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    list_->setGeometry(rect());
    QStyleOptionComboBox option;
    option.initFrom(list_);
    option.rect = list_->rect();
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QRect arrow =
        list_->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, list_);
    QRect field = rect();
    if (layoutDirection() == Qt::RightToLeft)
        field.setLeft(arrow.right() + 1);
    else
        field.setRight(arrow.left() - 1);
    edit_->setGeometry(field);
}

bool AccountBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier))) {
            if (list_->count() > 0) list_->showPopup();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

LoginWindow::LoginWindow(storage::Engine& engine, std::filesystem::path programDir, port::Prompter& prompter,
                         port::Clock& clock, QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      prompter_(prompter),
      login_(engine, std::move(programDir), prompter, clock) {
    buildControls();
    if (login_.start()) {
        QStringList names;
        for (const auto& n : login_.accountNames()) names << QString::fromStdString(n);
        account_->setNames(names);
        account_->setText(QString::fromStdString(login_.lastPicked()));
    }
}

LoginWindow::~LoginWindow() {
    endSession();
}

void LoginWindow::buildControls() {
    setWindowTitle(QStringLiteral("Varneth登录窗口"));

    auto* title = centredLabel(QStringLiteral("私募基金帐户管理软件"), 20, true);
    title->setStyleSheet(QStringLiteral("color: #1f3c88;"));
    auto* product = centredLabel(QStringLiteral("Varneth(Varneth)3.2"), 13, true);
    auto* subtitle =
        centredLabel(QStringLiteral("（适合私募基金经理，个人， 经纪人等股票期货投资人使用）"), 0, false);
    auto* features = centredLabel(
        QStringLiteral("允许每个管理帐户中有多币种资金帐户,允许透支,允许卖空; 提供查账功能"), 0, false);

    account_ = new AccountBox;
    account_->setObjectName(QStringLiteral("accountBox"));
    password_ = new PasswordEdit;
    password_->setObjectName(QStringLiteral("passwordBox"));
    auto* accountLabel = new QLabel(QStringLiteral("管理帐户:"));
    accountLabel->setBuddy(account_);
    auto* passwordLabel = new QLabel(QStringLiteral("口令:"));
    passwordLabel->setBuddy(password_);
    auto* fields = new QGridLayout;
    fields->addWidget(accountLabel, 0, 0, Qt::AlignRight);
    fields->addWidget(account_, 0, 1);
    fields->addWidget(passwordLabel, 1, 0, Qt::AlignRight);
    fields->addWidget(password_, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* fieldsRow = new QHBoxLayout;
    fieldsRow->addStretch(1);
    fieldsRow->addLayout(fields, 3);
    fieldsRow->addStretch(1);

    enterButton_ = new QPushButton(QStringLiteral("进入"));
    abortButton_ = new QPushButton(QStringLiteral("放弃"));
    helpButton_ = new QPushButton(QStringLiteral("帮助"));
    helpButton_->setToolTip(QStringLiteral("请习惯使用帮助按钮"));
    enterButton_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (auto* b : {enterButton_, abortButton_, helpButton_}) {
        b->setMinimumWidth(80);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(title);
    layout->addWidget(product);
    layout->addSpacing(6);
    layout->addWidget(subtitle);
    layout->addWidget(features);
    layout->addSpacing(14);
    layout->addLayout(fieldsRow);
    layout->addSpacing(14);
    layout->addLayout(buttons);

    setTabOrder(account_->edit(), password_);
    setTabOrder(password_, enterButton_);
    setTabOrder(enterButton_, abortButton_);
    setTabOrder(abortButton_, helpButton_);

    connect(account_, &AccountBox::picked, this, &LoginWindow::pick);
    connect(account_->edit(), &QLineEdit::returnPressed, this, &LoginWindow::enter);
    connect(password_, &QLineEdit::returnPressed, this, &LoginWindow::enter);
    connect(enterButton_, &QPushButton::clicked, this, &LoginWindow::enter);
    connect(abortButton_, &QPushButton::clicked, this, &LoginWindow::close);
    connect(helpButton_, &QPushButton::clicked, this, &LoginWindow::help);

    setFixedSize(sizeHint().expandedTo(QSize(480, 0)));
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

void LoginWindow::pick(const QString& name) {
    login_.pick(name.toStdString());
    account_->setText(name);
    password_->clear();
    password_->setFocus();
}

void LoginWindow::enter() {
    if (main_) return;
    try {
        session_ = login_.enter(account_->text().toStdString(), password_->text().toStdString());
        if (!session_) return;
        main_ = std::make_unique<MainWindow>(*session_);
        windows_ = std::make_unique<SessionWindows>(*session_, *main_);
    } catch (const storage::Error& e) {
        prompter_.message(e.what());  // a directory that lacks some of the tables
        endSession();
        return;
    }
    routeLoginWindows();
    // Queued: the main window asks to go from inside its own handlers.
    connect(main_.get(), &MainWindow::logoutRequested, this, &LoginWindow::logout, Qt::QueuedConnection);
    connect(main_.get(), &MainWindow::quitRequested, this, &LoginWindow::close, Qt::QueuedConnection);
    main_->show();
    hide();
}

void LoginWindow::help() {
    if (!ui::HelpViewer::showTopic(this, login_.programDir(), QStringLiteral("login")))
        prompter_.message(ui::HelpViewer::missingFileMessage());
}

void LoginWindow::logout() {
    if (!main_) return;
    // Shown before the main window goes, so that there is always a window on the screen.
    show();
    raise();
    activateWindow();
    endSession();
    password_->clear();
    password_->setFocus();
}

void LoginWindow::endSession() {
    // The windows' and the session's cursors go before the connection they read.
    const bool loggedIn = session_ != nullptr;
    windows_.reset();
    main_.reset();
    session_.reset();
    if (loggedIn) login_.logout();
}

void LoginWindow::routeLoginWindows() {
    using Route = MainWindow::Route;
    main_->setRoute(Route::ChangePassword, [this] { changePassword(); });
    main_->setRoute(Route::AdministerAccounts, [this] { administerAccounts(); });
    // Queued: the copy ends the login, and with it the main window that asks.
    main_->setRoute(Route::CopyFiles, [this] {
        QMetaObject::invokeMethod(this, &LoginWindow::copyFiles, Qt::QueuedConnection);
    });
}

void LoginWindow::changePassword() {
    PasswordWindow window(engine_, session_->accountName(), prompter_, main_.get());
    connect(&window, &PasswordWindow::loginEndRequested, this, &LoginWindow::logout, Qt::QueuedConnection);
    window.exec();
}

void LoginWindow::administerAccounts() {
    accounts_ = std::make_unique<AccountWindow>(engine_, login_.programDir(), prompter_);
    connect(accounts_.get(), &AccountWindow::loginEndRequested, this, &LoginWindow::logout,
            Qt::QueuedConnection);
    connect(accounts_.get(), &AccountWindow::programEndRequested, this, &LoginWindow::close,
            Qt::QueuedConnection);
    accounts_->show();
}

// The account's tables are all closed before a file is copied.
void LoginWindow::copyFiles() {
    if (!session_) return;
    const std::filesystem::path accountDir = session_->accountDir();
    const std::string accountName = session_->accountName();
    logout();
    copy_ = std::make_unique<FileCopyWindow>(login_.programDir(), accountName, accountDir, prompter_);
    connect(copy_.get(), &FileCopyWindow::discarded, this, [this] {
        copy_.release()->deleteLater();  // from inside its own handler
        raise();
        activateWindow();
    });
    connect(copy_.get(), &FileCopyWindow::programEndRequested, this, &LoginWindow::close,
            Qt::QueuedConnection);
    copy_->show();
}

void LoginWindow::closeEvent(QCloseEvent* event) {
    endSession();
    event->accept();
    emit closed();
}

}  // namespace varneth::gui
