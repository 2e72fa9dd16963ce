#include "optimiser/grouping_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/centre.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

namespace {

constexpr const char* kExplanation =
    "0永远代表无风险资产,如现金和国债。不同的期货和期权合约风险和相关性不同,通常应分在不同的组;"
    "建议这类高风险合约用1和2, 其他相关性较强的持仓如A股和股票基金用3(新加入的行默认为3)。"
    "点击组号一栏即可修改组号。";

// A grid in which only the group number is edited, and only to 0-3; each edit is one action.
class GroupModel : public ui::CursorModel {
public:
    GroupModel(storage::Cursor& cursor, optimiser::Grouping& grouping, storage::Engine& engine,
               port::Prompter& prompter)
        : CursorModel(cursor, prompter), grouping_(grouping), engine_(engine) {}

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = CursorModel::flags(index);
        if (!isGroup(index)) f &= ~Qt::ItemIsEditable;
        return f;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !isGroup(index)) return false;
        if (!grouping_.readGroup(value.toString().trimmed().toStdString())) return false;
        storage::Action action(engine_);
        return CursorModel::setData(index, QVariant(value.toString().trimmed()), role);
    }

private:
    bool isGroup(const QModelIndex& index) const {
        return index.isValid() && columns().at(static_cast<std::size_t>(index.column())).field == "Group";
    }
    optimiser::Grouping& grouping_;
    storage::Engine& engine_;
};

QTableView* gridOf(ui::CursorModel* model) {
    auto* view = new QTableView;
    ui::bindGrid(view, model);
    return view;
}

}  // namespace

template <class F>
void GroupingWindow::guarded(F&& action) {
    try {
        const ui::WaitCursor wait;
        action();
    } catch (const storage::Error& e) {
        prompter_.message(e.what());
    }
}

GroupingWindow::GroupingWindow(optimiser::Grouping& grouping, port::Prompter& prompter,
                               std::filesystem::path programDir, QWidget* parent)
    : QWidget(parent, Qt::Window),
      grouping_(grouping),
      prompter_(prompter),
      programDir_(std::move(programDir)) {
    setObjectName(QStringLiteral("Form_devide"));
    setWindowTitle(QString::fromUtf8(kCaption));
    storage::Engine& engine = grouping_.engine();
    groupsModel_ = std::make_unique<GroupModel>(grouping_.groups(), grouping_, engine, prompter_);
    groupsModel_->setColumns({{"Code", QStringLiteral("Code")},
                              {"Name", QStringLiteral("Name")},
                              {"Lx", QStringLiteral("Lx")},
                              {"Group", QStringLiteral("Group")}});
    divisionsModel_ = std::make_unique<GroupModel>(grouping_.divisions(), grouping_, engine, prompter_);
    divisionsModel_->setColumns({{"Lx", QStringLiteral("Lx")},
                                 {"Lxm", QStringLiteral("Lxm")},
                                 {"Code", QStringLiteral("Code")},
                                 {"Name", QStringLiteral("Name")},
                                 {"Group", QStringLiteral("Group")}});
    groupsView_ = gridOf(groupsModel_.get());
    divisionsView_ = gridOf(divisionsModel_.get());

    auto* left = new QGroupBox(QStringLiteral("当前组合及据代码划分"));
    (new QVBoxLayout(left))->addWidget(groupsView_);
    auto* right = new QGroupBox(QStringLiteral("据类型和期货期权品种的划分"));
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(new QLabel(QStringLiteral("请先修改组号")));
    rightLayout->addWidget(divisionsView_);
    auto* grids = new QHBoxLayout;
    grids->addWidget(left, 4);
    grids->addWidget(right, 5);

    auto* memo = new QLabel(QString::fromUtf8(kExplanation));
    memo->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo);
    layout->addLayout(grids, 1);
    layout->addWidget(buildButtons());
    resize(760, 480);
}

GroupingWindow::~GroupingWindow() = default;

QWidget* GroupingWindow::buildButtons() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        layout->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
    };
    add("从持仓文件再生", [this] { guarded([this] { grouping_.rebuild(); }); });
    add("分组:由右确定左", [this] { guarded([this] { grouping_.apply(); }); });
    add("帮助", [this] {
        if (!ui::HelpViewer::showTopic(this, programDir_, QStringLiteral("yhmn")))
            prompter_.message(ui::HelpViewer::missingFileMessage());
    });
    add("确定退出", [this] { close(); });
    return row;
}

void GroupingWindow::showCentred() {
    ui::moveToScreenCentre(*this);
    show();
    raise();
    activateWindow();
}

void GroupingWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

}  // namespace varneth::gui
