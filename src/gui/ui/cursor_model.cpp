#include "ui/cursor_model.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScopedValueRollback>
#include <QTableView>
#include <algorithm>
#include <memory>

#include "storage/error.h"
#include "storage/table.h"
#include "text/display.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "ui/grid_features.h"

namespace varneth::ui {

using storage::FieldType;

namespace {

// Texts wider than this many cells are cut by the grid rather than widening it.
constexpr int kMaxCells = 40;

}  // namespace

CursorModel::CursorModel(storage::Cursor& cursor, port::Prompter& prompter, QObject* parent)
    : QAbstractTableModel(parent), cursor_(cursor), prompter_(prompter), rows_(cursor.count()) {
    columns_.reserve(cursor_.def().fields.size());
    fields_.reserve(cursor_.def().fields.size());
    for (std::size_t i = 0; i < cursor_.def().fields.size(); ++i) {
        const std::string& name = cursor_.def().fields[i].name;
        columns_.push_back({name, QString::fromStdString(name)});
        fields_.push_back(static_cast<int>(i));
    }
    cursor_.addObserver(this);
}

CursorModel::~CursorModel() {
    cursor_.removeObserver(this);
}

void CursorModel::setColumns(const std::vector<GridColumn>& columns) {
    std::vector<int> fields;
    fields.reserve(columns.size());
    for (const auto& c : columns) fields.push_back(cursor_.fieldIndex(c.field));
    beginResetModel();
    columns_ = columns;
    fields_ = std::move(fields);
    rows_ = cursor_.count();
    endResetModel();
    emit columnsChanged();
}

void CursorModel::setLogicalStyle(LogicalStyle style) {
    beginResetModel();
    logicalStyle_ = style;
    rows_ = cursor_.count();
    endResetModel();
}

const storage::FieldDef& CursorModel::fieldDef(int column) const {
    return cursor_.def().fields.at(static_cast<std::size_t>(fieldIndex(column)));
}

int CursorModel::displayCells(int column) const {
    const storage::FieldDef& f = fieldDef(column);
    switch (f.type) {
        case FieldType::Text:
            return std::clamp(f.width, 2, kMaxCells);
        case FieldType::Number:
            return 12;
        case FieldType::Integer:
            return 6;
        case FieldType::Date:
            return 10;
        case FieldType::Logical:
            return 2;
    }
    return 10;
}

void CursorModel::moveCursorTo(int row) {
    if (row == cursor_.position() || !hasRow(row)) return;
    try {
        cursor_.moveTo(row);
    } catch (const storage::Error& e) {
        // The row being left could not be posted: it stays current, unchanged.
        cursor_.cancel();
        prompter_.message(e.what());
        emit currentRowChanged(cursor_.position());
    }
}

void CursorModel::showDraftRow() {
    if (draft_ || !appender_) return;
    beginInsertRows(QModelIndex(), rows_, rows_);
    draft_ = true;
    endInsertRows();
}

int CursorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_ + (draft_ ? 1 : 0);
}

int CursorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString CursorModel::displayText(const storage::Value& v, const storage::FieldDef& f) const {
    if (v.isNull()) return {};
    switch (f.type) {
        case FieldType::Number:
            return QString::fromStdString(text::shortestText(v.toDouble()));
        case FieldType::Logical:
            return v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
        default:
            return QString::fromStdString(v.toString());
    }
}

QVariant CursorModel::data(const QModelIndex& index, int role) const {
    if (index.isValid() && isDraft(index.row()) && role == Qt::EditRole) return QString();
    // While a pass runs with the display suspended, rows may have gone that the view still counts.
    if (!index.isValid() || !hasRow(index.row())) return {};
    const storage::FieldDef& f = fieldDef(index.column());
    const storage::Value& v = cursor_.valueAt(index.row(), fieldIndex(index.column()));
    const bool check = f.type == FieldType::Logical && logicalStyle_ == LogicalStyle::CheckBox;
    const bool number = f.type == FieldType::Number && !v.isNull();
    switch (role) {
        case Qt::DisplayRole:
            if (check) return {};
            // Shown rounded for reading; editing and the tooltip give the stored value.
            if (number)
                return QString::fromStdString(text::displayNumber(v.toDouble(), text::kindOfField(f.name)));
            return displayText(v, f);
        case Qt::EditRole:
            return check ? QVariant() : QVariant(displayText(v, f));
        case Qt::ToolTipRole:
            return number ? QVariant(displayText(v, f)) : QVariant();
        case Qt::CheckStateRole:
            return check ? QVariant(static_cast<int>(v.toBool() ? Qt::Checked : Qt::Unchecked)) : QVariant();
        case Qt::TextAlignmentRole:
            if (f.type == FieldType::Number || f.type == FieldType::Integer)
                return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
            if (check) return static_cast<int>(Qt::AlignCenter);
            return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        if (role == Qt::DisplayRole) return columns_[static_cast<std::size_t>(section)].title;
        if (role == Qt::ToolTipRole) return QString::fromStdString(fieldDef(section).name);
        return {};
    }
    if (role == Qt::DisplayRole) return section + 1;
    return {};
}

Qt::ItemFlags CursorModel::flags(const QModelIndex& index) const {
    if (index.isValid() && isDraft(index.row()))
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    if (!index.isValid() || !hasRow(index.row())) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (cursor_.readOnly()) return f;
    if (fieldDef(index.column()).type == FieldType::Logical && logicalStyle_ == LogicalStyle::CheckBox)
        return f | Qt::ItemIsUserCheckable;
    return f | Qt::ItemIsEditable;
}

bool CursorModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (index.isValid() && isDraft(index.row()) && role == Qt::EditRole)
        return appendDraft(index.column(), storage::Value(value.toString().toStdString()));
    if (!index.isValid() || !hasRow(index.row()) || cursor_.readOnly()) return false;
    const storage::FieldDef& f = fieldDef(index.column());
    if (role == Qt::CheckStateRole && f.type == FieldType::Logical)
        return writeField(index.row(), index.column(), storage::Value(value.toInt() == Qt::Checked));
    if (role != Qt::EditRole) return false;
    return writeField(index.row(), index.column(), storage::Value(value.toString().toStdString()));
}

std::optional<storage::Value> CursorModel::fitted(int column, const storage::Value& typed) {
    try {
        return storage::Table::fit(fieldDef(column), typed);
    } catch (const storage::Error& e) {
        tell(e.what(), column);
        return std::nullopt;
    }
}

bool CursorModel::writeField(int row, int column, const storage::Value& typed) {
    const int field = fieldIndex(column);
    const auto fitted = this->fitted(column, typed);
    if (!fitted) return false;
    // An editor closed without a change posts nothing, and asks nothing.
    const bool current = cursor_.position() == row;
    if ((current ? cursor_.value(field) : cursor_.valueAt(row, field)) == *fitted) return true;
    if (editGuard_ && !editGuard_(row)) return false;
    moveCursorTo(row);
    if (cursor_.position() != row) return false;
    const QScopedValueRollback<bool> writing(writing_, true);
    try {
        cursor_.setValue(field, *fitted);
        cursor_.post();
    } catch (const storage::Error& e) {
        cursor_.cancel();
        tell(e.what(), column);
        return false;
    }
    return true;
}

void CursorModel::tell(const std::string& message, int column) {
    const std::string field = "（" + fieldDef(column).name + "）";
    const std::string title = "（" + columns_.at(static_cast<std::size_t>(column)).title.toStdString() + "）";
    std::string said = message;
    for (auto at = said.find(field); at != std::string::npos; at = said.find(field, at + title.size()))
        said.replace(at, field.size(), title);
    prompter_.message(said);
}

bool CursorModel::appendDraft(int column, const storage::Value& typed) {
    const auto value = fitted(column, typed);
    if (!value || value->isNull() || text::trim(value->toString()).empty())
        return false;  // a blank stays unstored
    const QScopedValueRollback<bool> writing(writing_, true);
    draftStored_ = appender_(fieldDef(column).name, *value);
    return draftStored_;
}

void CursorModel::viewReset() {
    if (writing_) {
        // A post that re-places the row comes while the view is still closing the editor that
        // wrote it; resetting then would pull the editor from under the view.
        if (!resetPending_) {
            resetPending_ = true;
            QMetaObject::invokeMethod(
                this, [this] { viewReset(); }, Qt::QueuedConnection);
        }
        return;
    }
    resetPending_ = false;
    beginResetModel();
    rows_ = cursor_.count();
    if (draftStored_) draft_ = draftStored_ = false;
    endResetModel();
    emit currentRowChanged(cursor_.position());
}

void CursorModel::rowChanged(int position) {
    if (resetPending_ || !hasRow(position) || columns_.empty()) return;
    emit dataChanged(index(position, 0), index(position, columnCount() - 1));
}

void CursorModel::currentChanged(int position) {
    if (!resetPending_) emit currentRowChanged(position);  // else the reset tells the new position
}

namespace {

void fitColumns(QTableView* view, const CursorModel* model) {
    const QFontMetrics values(view->font());
    const QFontMetrics titles(view->horizontalHeader()->font());
    const int cell = values.horizontalAdvance(QLatin1Char('0'));
    const int margin = 2 * cell;
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        const int width = std::max(model->displayCells(c) * cell, titles.horizontalAdvance(title)) + margin;
        view->setColumnWidth(c, width);
    }
}

// `column` is the column the user was in: a reset of the model forgets the current index.
void followCursor(QTableView* view, const CursorModel* model, int row, int column) {
    if (row < 0 || row >= model->rowCount()) return;
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && current.row() == row) return;
    const QModelIndex target =
        model->index(row, std::clamp(column, 0, std::max(0, model->columnCount() - 1)));
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (view->selectionBehavior() == QAbstractItemView::SelectRows) flags |= QItemSelectionModel::Rows;
    view->selectionModel()->setCurrentIndex(target, flags);
    view->scrollTo(target);
}

}  // namespace

void bindGrid(QTableView* view, CursorModel* model, const std::filesystem::path& reportFolder) {
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows may be selected for copying; the current row is still the cursor's.
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setHighlightSections(false);
    view->setWordWrap(false);
    fitColumns(view, model);

    QObject::connect(model, &CursorModel::columnsChanged, view, [view, model] { fitColumns(view, model); });
    auto column = std::make_shared<int>(0);
    QObject::connect(model, &CursorModel::currentRowChanged, view,
                     [view, model, column](int row) { followCursor(view, model, row, *column); });
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, model,
                     [model, column](const QModelIndex& current) {
                         if (!current.isValid()) return;
                         *column = current.column();
                         model->moveCursorTo(current.row());
                     });
    followCursor(view, model, model->cursor().position(), 0);
    equipGrid(view, reportFolder);
}

}  // namespace varneth::ui
