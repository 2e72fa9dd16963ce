#include "accounts/linked_program_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/centre.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

using accounts::LinkedProgram;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// A drop-down that says when its list is about to open.
class ListBox : public QComboBox {
public:
    explicit ListBox(std::function<void()> opening) : opening_(std::move(opening)) {}
    void showPopup() override {
        opening_();
        QComboBox::showPopup();
    }

private:
    std::function<void()> opening_;
};

// The two settings the order programs of this version do not offer a choice of.
QGroupBox* fixedChoice(const char* title, const char* first, const char* second, bool secondChosen) {
    auto* group = new QGroupBox(QString::fromUtf8(title));
    auto* layout = new QVBoxLayout(group);
    auto* a = new QRadioButton(QString::fromUtf8(first));
    auto* b = new QRadioButton(QString::fromUtf8(second));
    (secondChosen ? b : a)->setChecked(true);
    layout->addWidget(a);
    layout->addWidget(b);
    group->setEnabled(false);
    return group;
}

QString pickFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("改路径及程序"), QDir::homePath(),
                                        QStringLiteral("程序文件 (*.bat *.exe *.com *.sh);;所有文件 (*)"));
}

}  // namespace

LinkedProgramWindow::LinkedProgramWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      program_(session.engine(), session.programDir(), session.accountDir(), session.prompter(),
               session.clock()),
      picker_(pickFile) {
    setObjectName(QStringLiteral("form_wtset"));
    setWindowTitle(QStringLiteral("委托程序设置窗口"));

    list_ = new ListBox([this] { listOpened(); });
    connect(list_, &QComboBox::activated, this, &LinkedProgramWindow::chosen);
    wtrj_ = new QLineEdit;
    path_ = new QLineEdit;
    name_ = new QLineEdit;
    connect(wtrj_, &QLineEdit::editingFinished, this, [this] { commit(wtrj_, LinkedProgram::kWtrj); });
    connect(path_, &QLineEdit::editingFinished, this, [this] { commit(path_, LinkedProgram::kPath); });
    connect(name_, &QLineEdit::editingFinished, this, [this] { commit(name_, LinkedProgram::kName); });

    auto* fields = new QFormLayout;
    fields->addRow(list_);
    fields->addRow(QStringLiteral("名称："), wtrj_);
    fields->addRow(QStringLiteral("路径："), path_);
    fields->addRow(QStringLiteral("程序名："), name_);

    auto* choices = new QHBoxLayout;
    choices->addWidget(fixedChoice("数据交换文件格式", "dbf文件格式", "自定义dat格式", false));
    choices->addWidget(fixedChoice("成交持仓更新方式", "自动依次执行", "手工依次执行", true));

    auto* buttons = new QHBoxLayout;
    const auto add = [&](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
    };
    add("改路径及程序", [this] { pickProgram(); });
    add("帮助", [this] { help(); });
    add("关闭", [this] { close(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    refresh();
    resize(460, sizeHint().height());
}

void LinkedProgramWindow::showCentred() {
    ui::moveToScreenCentre(*this);
    refresh();
    show();
    raise();
    activateWindow();
}

void LinkedProgramWindow::startLinkedProgram(port::Launcher& launcher) {
    if (program_.launch(launcher) == port::LaunchResult::FileNotFound) showCentred();
}

void LinkedProgramWindow::closeEvent(QCloseEvent* event) {
    commit(wtrj_, LinkedProgram::kWtrj);
    commit(path_, LinkedProgram::kPath);
    commit(name_, LinkedProgram::kName);
    program_.closing();
    QWidget::closeEvent(event);
}

void LinkedProgramWindow::listOpened() {
    program_.dropDownOpened();
    refresh();
}

void LinkedProgramWindow::chosen(int index) {
    program_.choose(index);
    refresh();
}

void LinkedProgramWindow::pickProgram() {
    const QString file = picker_(this);
    if (file.isEmpty()) return;
    const QFileInfo info(file);
    try {
        program_.setProgram(QDir::toNativeSeparators(info.absolutePath()).toStdString(),
                            info.fileName().toStdString());
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    refresh();
}

void LinkedProgramWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("forwt")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

// A box the user changed is stored; an untouched one writes nothing, not even a first row. Only the
// box itself is shown again (as stored, or as it was when refused): the others may hold typing too.
void LinkedProgramWindow::commit(QLineEdit* box, const char* field) {
    const std::string text = box->text().toStdString();
    if (text == program_.programs().text(field)) return;
    try {
        program_.setField(field, text);
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    box->setText(q(program_.programs().text(field)));
    refreshList();
}

void LinkedProgramWindow::refresh() {
    refreshList();
    wtrj_->setText(q(program_.wtrj()));
    path_->setText(q(program_.path()));
    name_->setText(q(program_.name()));
}

void LinkedProgramWindow::refreshList() {
    storage::Cursor& rows = program_.programs();
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (int i = 0; i < rows.count(); ++i) {
        const auto field = [&](const char* f) { return q(rows.valueAt(i, rows.fieldIndex(f)).toString()); };
        list_->addItem(field(LinkedProgram::kWtrj) + QStringLiteral(" ; ") + field(LinkedProgram::kName) +
                       QStringLiteral(" ; ") + field(LinkedProgram::kPath));
    }
    list_->setCurrentIndex(rows.position());
}

}  // namespace varneth::gui
