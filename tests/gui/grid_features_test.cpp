#include "ui/grid_features.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QSettings>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include "ui/settings.h"
#include "ui/window_memory.h"

using namespace varneth;

namespace varneth::gui {
// A window of the program, as the memory of places knows them.
class TestWindow : public QWidget {
    Q_OBJECT
public:
    TestWindow() : QWidget(nullptr, Qt::Window) {}
};
}  // namespace varneth::gui

class GridFeaturesTest : public QObject {
    Q_OBJECT

    QTemporaryDir reports;

    static QStandardItemModel* filled(QObject* parent) {
        auto* m = new QStandardItemModel(3, 3, parent);
        m->setHorizontalHeaderLabels(
            {QStringLiteral("代码"), QStringLiteral("名称"), QStringLiteral("数量")});
        const char* cells[3][3] = {
            {"600036", "招商银行", "1,000.00"}, {"600000", "浦发\"银行\"", "2"}, {"1", "a\tb", "3"}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m->setItem(r, c, new QStandardItem(QString::fromUtf8(cells[r][c])));
        return m;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanupTestCase() { ui::appSettings().clear(); }

    // Ctrl+C copies under the titles, and takes the key from a window shortcut on it.
    void ctrlCCopiesTheSelectionWithTitlesAheadOfTheWindowsShortcut() {
        gui::TestWindow window;
        auto* layout = new QVBoxLayout(&window);
        auto* view = new QTableView;
        layout->addWidget(view);
        view->setModel(filled(view));
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        ui::equipGrid(view, reports.path().toStdString());
        int logouts = 0;
        auto* logout = new QAction(&window);
        logout->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
        window.addAction(logout);
        connect(logout, &QAction::triggered, this, [&] { ++logouts; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        view->selectionModel()->select(QItemSelection(view->model()->index(0, 0), view->model()->index(2, 1)),
                                       QItemSelectionModel::ClearAndSelect);
        view->setFocus();
        QApplication::clipboard()->clear();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(logouts, 0);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("代码\t名称\n600036\t招商银行\n600000\t浦发\"银行\"\n1\ta b\n"));

        QStringList menu;
        for (QAction* a : view->actions()) menu << a->text();
        QCOMPARE(menu, (QStringList{QStringLiteral("复制"), QStringLiteral("导出CSV…")}));
    }

    void csvHoldsWhatTheGridShowsWithABom() {
        QStandardItemModel* model = filled(this);
        const QString csv = ui::modelAsCsv(model);
        QCOMPARE(csv,
                 QStringLiteral(
                     "代码,名称,数量\r\n600036,招商银行,\"1,000.00\"\r\n600000,\"浦发\"\"银行\"\"\",2\r\n"
                     "1,a\tb,3\r\n"));
        const QString file = reports.filePath(QStringLiteral("grid.csv"));
        QVERIFY(ui::writeCsvFile(file, csv));
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(QString::fromUtf8(bytes.mid(3)), csv);
        QVERIFY(!ui::writeCsvFile(reports.filePath(QStringLiteral("no/such/folder/x.csv")), csv));
    }

    // Column widths the user sets come back in a new grid of the same window; so does its place.
    void columnWidthsAndWindowPlacesAreRemembered() {
        ui::WindowMemory memory;
        qApp->installEventFilter(&memory);
        const auto open = [this] {
            auto window = std::make_unique<gui::TestWindow>();
            auto* layout = new QVBoxLayout(window.get());
            auto* view = new QTableView;
            layout->addWidget(view);
            view->setModel(filled(view));
            ui::equipGrid(view, reports.path().toStdString());
            return window;
        };
        {
            auto window = open();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            window->findChild<QTableView*>()->setColumnWidth(1, 233);
            window->resize(420, 310);
            window->hide();
        }
        auto window = open();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->findChild<QTableView*>()->columnWidth(1), 233);
        QCOMPARE(window->size(), QSize(420, 310));
        QVERIFY(ui::appSettings().contains(ui::WindowMemory::key(window.get())));
    }
};

QTEST_MAIN(GridFeaturesTest)
#include "grid_features_test.moc"
