#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "port/prompter.h"
#include "storage/cursor.h"

class QTableView;

namespace varneth::ui {

// One grid column: a field of the cursor's table and the title shown over it.
struct GridColumn {
    std::string field;
    QString title;
};

// A table model over a storage::Cursor: rows are the cursor's view, in its order and filter.
// The model observes the cursor, so posts through any cursor over the same table, moves of the
// current row and suspended passes reach the grid; it never touches SQL itself.
// The cursor must outlive the model.
class CursorModel : public QAbstractTableModel, private storage::CursorObserver {
    Q_OBJECT
public:
    enum class LogicalStyle { CheckBox, Letter };  // a check mark, or "T"/"F"

    CursorModel(storage::Cursor& cursor, port::Prompter& prompter, QObject* parent = nullptr);
    ~CursorModel() override;

    storage::Cursor& cursor() { return cursor_; }
    // Replaces the columns (default: every field under its own name). Throws storage::Error when
    // a field does not exist, leaving the columns as they were.
    void setColumns(const std::vector<GridColumn>& columns);
    const std::vector<GridColumn>& columns() const { return columns_; }
    int fieldIndex(int column) const { return fields_.at(static_cast<std::size_t>(column)); }
    void setLogicalStyle(LogicalStyle style);
    // Typical width of a column's values in character cells (a Chinese character is two).
    int displayCells(int column) const;

    // Makes `row` the cursor's current row; a pending edit that cannot be posted is reported.
    void moveCursorTo(int row);

    // Asked before a stored row is changed from the grid; false leaves it as it was.
    using EditGuard = std::function<bool(int row)>;
    void setEditGuard(EditGuard guard) { editGuard_ = std::move(guard); }
    // Stores a new row holding one typed value; false when nothing was stored (told by the owner).
    using RowAppender = std::function<bool(const std::string& field, const storage::Value& value)>;
    void setRowAppender(RowAppender appender) { appender_ = std::move(appender); }
    // A blank row under the last one, for the user to fill in. It is only shown: the first value
    // typed into it goes to the appender, and a row left blank is never stored.
    void showDraftRow();
    bool hasDraftRow() const { return draft_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Moves the cursor to the row, sets the field from the text and posts. A text that does not
    // read as the field's type, or a post the table refuses, is told to the user and writes nothing.
    // A post that moves the row (a changed key) resets the model once control returns to the
    // event loop.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void currentRowChanged(int row);  // the cursor's current row moved (-1: the view is empty)
    void columnsChanged();

private:
    void viewReset() override;
    void rowChanged(int position) override;
    void currentChanged(int position) override;

    bool hasRow(int row) const { return row >= 0 && row < rows_ && row < cursor_.count(); }
    bool isDraft(int row) const { return draft_ && row == rows_; }
    bool appendDraft(int column, const storage::Value& typed);
    // A storage message about a column's field, naming the column by its title as the user sees it.
    void tell(const std::string& message, int column);
    const storage::FieldDef& fieldDef(int column) const;
    QString displayText(const storage::Value& v, const storage::FieldDef& f) const;
    // The typed text as the column's field holds it; none (told) when it does not read.
    std::optional<storage::Value> fitted(int column, const storage::Value& typed);
    bool writeField(int row, int column, const storage::Value& typed);

    storage::Cursor& cursor_;
    port::Prompter& prompter_;
    std::vector<GridColumn> columns_;
    std::vector<int> fields_;
    LogicalStyle logicalStyle_ = LogicalStyle::CheckBox;
    int rows_ = 0;  // the row count the views were last told of
    bool writing_ = false;
    bool resetPending_ = false;
    EditGuard editGuard_;
    RowAppender appender_;
    bool draft_ = false;
    bool draftStored_ = false;  // the draft became a stored row: the next reset drops it
};

// Binds a table view to the model: the view's current row follows the cursor (a locate moves the
// grid), a row the user clicks becomes the cursor's current row, and the columns get widths that
// fit their fields. The grid gets what every grid offers (copy, CSV export into `reportFolder` or,
// without one, the account's report folder, remembered column widths).
void bindGrid(QTableView* view, CursorModel* model, const std::filesystem::path& reportFolder = {});

}  // namespace varneth::ui
