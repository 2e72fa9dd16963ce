#include "ui/cursor_model.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/database.h"
#include "storage/error.h"
#include "storage/query.h"

using namespace varneth;
using storage::FieldType;
using ui::CursorModel;

namespace {

storage::TableDef productTable() {
    storage::TableDef def;
    def.name = "goods.DB";
    def.kind = storage::TableKind::Paradox;
    def.fields = {{"CODE", FieldType::Text, 6},    {"NAME", FieldType::Text, 8},
                  {"PRICE", FieldType::Number, 0}, {"QTY", FieldType::Integer, 0},
                  {"DT", FieldType::Date, 0},      {"OK", FieldType::Logical, 0}};
    def.primaryKey = {"CODE"};
    return def;
}

enum Column { Code, Name, Price, Qty, Date, Ok };

}  // namespace

class CursorModelTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        db = std::make_unique<storage::Database>(":memory:");
        db->registerDefinition(productTable());
        db->createTable(productTable());
        cursor = std::make_unique<storage::Cursor>(*db, "goods.DB");
        add("a", "苹果", 1.5, 3, "2026-01-02", true);
        add("b", "梨", 2.25, 0, "", false);
        cursor->append();
        cursor->setValue("CODE", "c");
        cursor->post();  // NULL price and date
        cursor->first();
        prompter = std::make_unique<port::ScriptedPrompter>();
        model = std::make_unique<CursorModel>(*cursor, *prompter);
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup() {
        tester.reset();
        model.reset();
        QVERIFY(prompter->unexpected.empty());
        cursor.reset();
        db.reset();
    }

    void showsEveryFieldByDefaultOrTheChosenOnes() {
        QCOMPARE(model->columnCount(), 6);
        QCOMPARE(model->headerData(Name, Qt::Horizontal).toString(), QStringLiteral("NAME"));
        QCOMPARE(text(0, Date), QStringLiteral("2026-01-02"));
        QCOMPARE(text(2, Price), QString());  // NULL number
        QCOMPARE(text(2, Date), QString());
        // A computed binary fraction shows as the figure it stands for; the editor gets it exact.
        QVERIFY(model->setData(model->index(1, Price), QStringLiteral("12.449599999999998")));
        QCOMPARE(text(1, Price), QStringLiteral("12.4496"));
        QCOMPARE(model->index(1, Price).data(Qt::EditRole).toString(), QStringLiteral("12.449599999999998"));
        QCOMPARE(model->index(0, Ok).data(Qt::CheckStateRole).toInt(), static_cast<int>(Qt::Checked));
        model->setLogicalStyle(CursorModel::LogicalStyle::Letter);
        QCOMPARE(text(1, Ok), QStringLiteral("F"));

        model->setColumns({{"price", "价格"}, {"code", "代码"}});
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("价格"));
        QCOMPARE(text(0, 0), QStringLiteral("1.5"));
        QVERIFY_THROWS_EXCEPTION(storage::Error, model->setColumns({{"nope", "x"}}));
        QCOMPARE(model->columnCount(), 2);
    }

    void editingPostsToTheDatabase() {
        QVERIFY(model->setData(model->index(1, Price), QStringLiteral(" 7.125 ")));
        QVERIFY(model->setData(model->index(1, Ok), static_cast<int>(Qt::Checked), Qt::CheckStateRole));
        QCOMPARE(cursor->state(), storage::Cursor::State::Browse);
        QCOMPARE(stored("SELECT PRICE FROM \"goods.DB\" WHERE CODE='b'").toDouble(), 7.125);
        QCOMPARE(stored("SELECT OK FROM \"goods.DB\" WHERE CODE='b'").toInt(), std::int64_t{1});
        QVERIFY(model->setData(model->index(1, Price), QString()));  // empty number is NULL
        QVERIFY(stored("SELECT PRICE FROM \"goods.DB\" WHERE CODE='b'").isNull());
        QVERIFY(prompter->messages.empty());
    }

    // A value that does not read, or a post the table refuses, is told and writes nothing.
    void aRefusedEditWritesNothing() {
        QSignalSpy changed(model.get(), &CursorModel::dataChanged);
        QVERIFY(!model->setData(model->index(0, Price), QStringLiteral("1,5")));
        QVERIFY(!model->setData(model->index(0, Qty), QStringLiteral("2.5")));
        QVERIFY(!model->setData(model->index(0, Date), QStringLiteral("2026-02-30")));
        QVERIFY(!model->setData(model->index(1, Code), QStringLiteral("a")));  // key violation
        QCOMPARE(prompter->messages.size(), 4u);
        QVERIFY(QString::fromStdString(prompter->messages[0]).contains(QStringLiteral("不是有效的数值")));
        QCOMPARE(stored("SELECT PRICE FROM \"goods.DB\" WHERE CODE='a'").toDouble(), 1.5);
        QCOMPARE(stored("SELECT COUNT(*) FROM \"goods.DB\" WHERE CODE='a'").toInt(), std::int64_t{1});
        QCOMPARE(text(1, Code), QStringLiteral("b"));
        QCOMPARE(cursor->state(), storage::Cursor::State::Browse);
        QCOMPARE(changed.count(), 0);
    }

    // Numbers read rounded, right-aligned; the tooltip and the editor give the stored value; messages
    // name the column by its title.
    void numbersReadRoundedAndMessagesUseTitles() {
        QVERIFY(
            model->setData(model->index(1, Price), QString::number(static_cast<double>(42.15f), 'g', 17)));
        QCOMPARE(text(1, Price), QStringLiteral("42.15"));
        QCOMPARE(model->index(1, Price).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("42.150001525878906"));
        QCOMPARE(model->index(1, Price).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
                 int(Qt::AlignRight));
        model->setColumns({{"price", "价格"}, {"code", "代码"}});
        QVERIFY(!model->setData(model->index(0, 0), QStringLiteral("1,5")));
        QCOMPARE(prompter->messages.back(), std::string("'1,5'不是有效的数值（价格）"));
    }

    // A guarded row changes only with the guard's leave; a draft row is stored only once it holds a value.
    void theEditGuardAndTheDraftRow() {
        std::vector<int> asked;
        bool allow = false;
        model->setEditGuard([&](int row) {
            asked.push_back(row);
            return allow;
        });
        QVERIFY(!model->setData(model->index(1, Name), QStringLiteral("香梨")));
        QVERIFY(model->setData(model->index(1, Name), QStringLiteral("梨")));  // unchanged: nothing asked
        QCOMPARE(asked, std::vector<int>{1});
        allow = true;
        QVERIFY(model->setData(model->index(1, Name), QStringLiteral("香梨")));
        QCOMPARE(text(1, Name), QStringLiteral("香梨"));

        std::vector<std::string> appended;
        model->setRowAppender([&](const std::string& field, const storage::Value& v) {
            appended.push_back(field + "=" + v.toString());
            cursor->append();
            cursor->setValue(field, v);
            cursor->post();
            return true;
        });
        model->showDraftRow();
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(stored("SELECT COUNT(*) FROM \"goods.DB\"").toInt(), std::int64_t{3});
        QVERIFY(!model->setData(model->index(3, Code), QStringLiteral(" ")));
        QVERIFY(appended.empty());
        QVERIFY(model->setData(model->index(3, Code), QStringLiteral("d")));
        QCOMPARE(appended, std::vector<std::string>{"CODE=d"});
        QTRY_VERIFY(!model->hasDraftRow());
        QCOMPARE(model->rowCount(), 4);  // the stored row in place of the draft
        QCOMPARE(stored("SELECT COUNT(*) FROM \"goods.DB\"").toInt(), std::int64_t{4});
    }

    void theGridFollowsTheCursorAndTheCursorTheGridAndEditsThroughItsEditor() {
        QTableView view;
        ui::bindGrid(&view, model.get(), std::filesystem::temp_directory_path());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.currentIndex().row(), 0);
        QVERIFY(cursor->locate("CODE", {"c"}));
        QCOMPARE(view.currentIndex().row(), 2);
        QVERIFY(view.selectionModel()->isRowSelected(2, {}));
        view.setCurrentIndex(model->index(1, Name));  // as a click does
        QCOMPARE(cursor->text("CODE"), std::string("b"));

        const QModelIndex code = model->index(0, Code);
        view.setCurrentIndex(code);
        view.edit(code);
        auto* editor = view.findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText(QStringLiteral("zz"));
        QTest::keyClick(editor, Qt::Key_Return);  // the post re-places the row while the editor closes
        QTRY_COMPARE(view.currentIndex().row(), 2);
        QCOMPARE(stored("SELECT NAME FROM \"goods.DB\" WHERE CODE='zz'").toString(), std::string("苹果"));
        QCOMPARE(text(2, Code), QStringLiteral("zz"));
        QVERIFY(prompter->messages.empty());
    }

    void anotherCursorsPostReachesTheGrid() {
        QSignalSpy changed(model.get(), &CursorModel::dataChanged);
        storage::Cursor other(*db, "goods.DB");
        QVERIFY(other.locate("CODE", {"b"}));
        other.setValue("NAME", "香梨");
        other.post();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
        QCOMPARE(text(1, Name), QStringLiteral("香梨"));
    }

    void aSuspendedDisplaySaysNothingUntilResumed() {
        QSignalSpy reset(model.get(), &CursorModel::modelReset);
        QSignalSpy changed(model.get(), &CursorModel::dataChanged);
        QSignalSpy moved(model.get(), &CursorModel::currentRowChanged);
        cursor->suspendDisplay();
        for (cursor->first(); !cursor->eof(); cursor->next()) {
            cursor->setValue("QTY", 9);
            cursor->post();
        }
        cursor->first();
        cursor->remove();
        cursor->remove();
        QCOMPARE(reset.count() + changed.count() + moved.count(), 0);
        QCOMPARE(model->rowCount(), 3);                      // what the views were last told
        QCOMPARE(model->index(2, Code).data(), QVariant());  // a row that went is not read
        cursor->resumeDisplay();
        QCOMPARE(reset.count(), 1);
        QVERIFY(!moved.isEmpty());
        QCOMPARE(moved.last().at(0).toInt(), 0);
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(text(0, Code), QStringLiteral("c"));
        QCOMPARE(text(0, Qty), QStringLiteral("9"));
    }

    void aQueryResultIsReadOnly() {
        storage::Query query(*db);
        query.setText("SELECT CODE, PRICE FROM \"goods.DB\" ORDER BY CODE DESC");
        CursorModel result(query.open(), *prompter);
        QAbstractItemModelTester check(&result, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(result.rowCount(), 3);
        QCOMPARE(result.index(0, 0).data().toString(), QStringLiteral("c"));
        QVERIFY(!(result.flags(result.index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(!result.setData(result.index(0, 1), QStringLiteral("3")));
    }

private:
    void add(const char* code, const char* name, double price, int qty, const char* date, bool ok) {
        cursor->append();
        cursor->setValue("CODE", code);
        cursor->setValue("NAME", name);
        cursor->setValue("PRICE", price);
        cursor->setValue("QTY", qty);
        cursor->setValue("DT", date);
        cursor->setValue("OK", ok);
        cursor->post();
    }
    QString text(int row, int column) const { return model->index(row, column).data().toString(); }
    storage::Value stored(const char* sql) const {
        storage::Statement st(*db, sql);
        return st.step() ? st.column(0) : storage::Value();
    }

    std::unique_ptr<storage::Database> db;
    std::unique_ptr<storage::Cursor> cursor;
    std::unique_ptr<port::ScriptedPrompter> prompter;
    std::unique_ptr<CursorModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

QTEST_MAIN(CursorModelTest)
#include "cursor_model_test.moc"
