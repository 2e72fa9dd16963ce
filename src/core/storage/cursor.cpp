#include "storage/cursor.h"

#include <algorithm>

#include "storage/database.h"
#include "storage/error.h"
#include "storage/names.h"
#include "text/gbk.h"

namespace varneth::storage {

namespace {

Record blankRecord(const TableDef& def) {
    Record r;
    r.reserve(def.fields.size());
    for (const auto& f : def.fields) {
        if (f.type == FieldType::Text)
            r.emplace_back(std::string());
        else if (f.type == FieldType::Logical)
            r.emplace_back(false);
        else
            r.emplace_back();
    }
    return r;
}

std::vector<std::string> splitFields(std::string_view list) {
    std::vector<std::string> out;
    std::size_t b = 0;
    while (b <= list.size()) {
        auto e = list.find(';', b);
        if (e == std::string_view::npos) e = list.size();
        out.emplace_back(text::trim(list.substr(b, e - b)));
        b = e + 1;
    }
    return out;
}

}  // namespace

Cursor::Cursor(Database& db, std::string_view table) : Cursor(db.table(table)) {}

Cursor::Cursor(std::shared_ptr<Table> table) : table_(std::move(table)) {
    table_->addListener(this);
    setOrdering("");
}

Cursor::~Cursor() {
    table_->removeListener(this);
}

void Cursor::rebind(std::shared_ptr<Table> table) {
    // The old table's rows may go with it: take the current row's rowid now, and let the view hold
    // none of them.
    const std::int64_t keep = pos_ >= 0 && pos_ < count() ? view_[static_cast<std::size_t>(pos_)]->rowid : -1;
    view_.clear();
    pos_ = -1;
    table_->removeListener(this);
    table_ = std::move(table);
    table_->addListener(this);
    state_ = State::Browse;
    editing_ = nullptr;
    filter_.reset();
    applyOrdering("", keep);
}

void Cursor::setOrdering(std::string_view name) {
    autoPost();
    applyOrdering(name, -1);
}

void Cursor::applyOrdering(std::string_view name, std::int64_t keep) {
    const TableDef& d = def();
    keyFields_.clear();
    orderingCondition_.reset();
    if (name.empty()) {
        for (const auto& f : d.primaryKey) keyFields_.push_back(d.fieldIndex(f));
        orderingName_.clear();
    } else {
        const OrderingDef* o = d.ordering(name);
        if (!o) throw Error("表 " + d.name + " 没有索引 " + std::string(name));
        for (const auto& f : o->fields) keyFields_.push_back(d.fieldIndex(f));
        if (!o->condition.empty()) orderingCondition_.emplace(o->condition, d.fields);
        orderingName_ = o->name;
    }
    if (std::find(keyFields_.begin(), keyFields_.end(), -1) != keyFields_.end())
        throw Error("表 " + d.name + " 的索引字段不存在");
    rebuild(keep);
}

void Cursor::setFilter(std::string_view text) {
    autoPost();
    if (text::trim(text).empty())
        filter_.reset();
    else
        filter_.emplace(text, def().fields);
    rebuild();
}

const std::string& Cursor::filter() const {
    static const std::string none;
    return filter_ ? filter_->text() : none;
}

bool Cursor::inView(const Record& r) const {
    return (!orderingCondition_ || orderingCondition_->matches(r)) && (!filter_ || filter_->matches(r));
}

bool Cursor::less(const Row* a, const Row* b) const {
    for (int f : keyFields_) {
        int c = a->values[static_cast<std::size_t>(f)].compare(b->values[static_cast<std::size_t>(f)]);
        if (c != 0) return c < 0;
    }
    return a->rowid < b->rowid;
}

void Cursor::rebuild(std::int64_t keep) {
    locateIndex_.clear();
    ++viewVersion_;
    if (pos_ >= 0 && pos_ < count()) keep = view_[static_cast<std::size_t>(pos_)]->rowid;
    view_.clear();
    for (Row* r : table_->rowsInNaturalOrder())
        if (inView(r->values)) view_.push_back(r);
    if (!keyFields_.empty())
        std::stable_sort(view_.begin(), view_.end(),
                         [this](const Row* a, const Row* b) { return less(a, b); });
    pos_ = view_.empty() ? -1 : 0;
    if (keep >= 0) {
        for (std::size_t i = 0; i < view_.size(); ++i)
            if (view_[i]->rowid == keep) pos_ = static_cast<int>(i);
    }
    bof_ = true;
    eof_ = view_.empty();
    notifyReset();
}

void Cursor::refresh() {
    table_->reload();
}

int Cursor::insertionPoint(const Row* r) const {
    auto it = std::upper_bound(view_.begin(), view_.end(), r,
                               [this](const Row* a, const Row* b) { return less(a, b); });
    return static_cast<int>(it - view_.begin());
}

int Cursor::indexOf(const Row* r) const {
    if (pos_ >= 0 && pos_ < count() && view_[static_cast<std::size_t>(pos_)] == r) return pos_;
    auto it = std::find(view_.begin(), view_.end(), r);
    return it == view_.end() ? -1 : static_cast<int>(it - view_.begin());
}

bool Cursor::affectsView(const std::vector<int>& changed) const {
    auto reads = [&](int f) {
        if (std::find(keyFields_.begin(), keyFields_.end(), f) != keyFields_.end()) return true;
        if (orderingCondition_) {
            const auto& r = orderingCondition_->fieldsRead();
            if (std::find(r.begin(), r.end(), f) != r.end()) return true;
        }
        if (filter_) {
            const auto& r = filter_->fieldsRead();
            if (std::find(r.begin(), r.end(), f) != r.end()) return true;
        }
        return false;
    };
    return std::any_of(changed.begin(), changed.end(), reads);
}

// ---- navigation

void Cursor::setPos(int pos) {
    pos_ = view_.empty() ? -1 : std::clamp(pos, 0, count() - 1);
    notifyCurrent();
}

void Cursor::first() {
    autoPost();
    setPos(0);
    bof_ = true;
    eof_ = view_.empty();
}

void Cursor::last() {
    autoPost();
    setPos(count() - 1);
    eof_ = true;
    bof_ = view_.empty();
}

void Cursor::next() {
    autoPost();
    if (pos_ < 0 || pos_ >= count() - 1) {
        eof_ = true;
        return;
    }
    setPos(pos_ + 1);
    bof_ = eof_ = false;
}

void Cursor::prior() {
    autoPost();
    if (pos_ <= 0) {
        bof_ = true;
        return;
    }
    setPos(pos_ - 1);
    bof_ = eof_ = false;
}

void Cursor::moveTo(int position) {
    autoPost();
    setPos(position);
    bof_ = pos_ <= 0;
    eof_ = view_.empty();
}

// ---- fields

int Cursor::fieldIndex(std::string_view field) const {
    int i = def().fieldIndex(field);
    if (i < 0) throw Error("表 " + def().name + " 没有字段 " + std::string(field));
    return i;
}

const Record& Cursor::current() const {
    if (state_ != State::Browse) return buffer_;
    if (pos_ < 0) {
        static thread_local Record blank;
        blank = blankRecord(def());
        return blank;
    }
    return view_[static_cast<std::size_t>(pos_)]->values;
}

const Value& Cursor::value(int i) const {
    return current().at(static_cast<std::size_t>(i));
}
const Value& Cursor::value(std::string_view field) const {
    return value(fieldIndex(field));
}
std::string Cursor::text(std::string_view field) const {
    return value(field).toString();
}
double Cursor::number(std::string_view field) const {
    return value(field).toDouble();
}
std::int64_t Cursor::integer(std::string_view field) const {
    return value(field).toInt();
}
bool Cursor::logical(std::string_view field) const {
    return value(field).toBool();
}

std::optional<std::string> Cursor::date(std::string_view field) const {
    const Value& v = value(field);
    if (v.isNull() || v.toString().empty()) return std::nullopt;
    return v.toString();
}

const Value& Cursor::valueAt(int position, int fieldIndex) const {
    return view_.at(static_cast<std::size_t>(position))->values.at(static_cast<std::size_t>(fieldIndex));
}

std::int64_t Cursor::rowidAt(int position) const {
    return view_.at(static_cast<std::size_t>(position))->rowid;
}

void Cursor::setValue(std::string_view field, const Value& v) {
    setValue(fieldIndex(field), v);
}

void Cursor::setValue(int i, const Value& v) {
    if (readOnly()) throw Error("查询结果不能修改");
    const FieldDef& f = def().fields.at(static_cast<std::size_t>(i));
    Value fitted = Table::fit(f, v);  // a value that does not read throws before anything changes
    if (state_ == State::Browse) edit();
    buffer_[static_cast<std::size_t>(i)] = std::move(fitted);
}

// ---- editing

void Cursor::edit() {
    if (readOnly()) throw Error("查询结果不能修改");
    if (state_ != State::Browse) return;
    if (view_.empty()) {
        append();
        return;
    }
    editing_ = view_[static_cast<std::size_t>(pos_)];
    buffer_ = editing_->values;
    state_ = State::Edit;
}

void Cursor::append() {
    if (readOnly()) throw Error("查询结果不能修改");
    autoPost();
    buffer_ = blankRecord(def());
    editing_ = nullptr;
    state_ = State::Insert;
}

void Cursor::insert() {
    append();
}

void Cursor::post() {
    if (state_ == State::Browse) return;
    if (state_ == State::Insert) {
        Row* r = table_->insert(buffer_);  // throws (key violation …) with the cursor still inserting
        state_ = State::Browse;
        buffer_.clear();
        int i = indexOf(r);
        if (i >= 0) setPos(i);
        eof_ = bof_ = false;
        return;
    }
    Row* r = editing_;
    int before = pos_;
    table_->update(r, buffer_);
    state_ = State::Browse;
    editing_ = nullptr;
    buffer_.clear();
    int i = indexOf(r);
    if (i >= 0)
        setPos(i);
    else
        setPos(std::min(before, count() - 1));  // the row left the view: its successor is current
}

void Cursor::cancel() {
    state_ = State::Browse;
    editing_ = nullptr;
    buffer_.clear();
}

void Cursor::autoPost() {
    if (state_ != State::Browse) post();
}

void Cursor::remove() {
    if (readOnly()) throw Error("查询结果不能修改");
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (view_.empty()) throw Error("没有可删除的记录");
    table_->remove(view_[static_cast<std::size_t>(pos_)]);
}

// ---- searching

bool Cursor::locate(std::string_view fields, const std::vector<Value>& values) {
    auto names = splitFields(fields);
    std::vector<int> idx;
    idx.reserve(names.size());
    for (const auto& n : names) idx.push_back(fieldIndex(n));
    return locate(idx, values);
}

namespace {
// A value's bytes in a locate key; equal values (as compare() sees them) give equal bytes.
void appendKey(std::string& key, const Value& v) {
    if (v.isNull()) {
        key += 'z';
    } else if (v.isText()) {
        auto n = static_cast<std::uint32_t>(v.text().size());
        key += 't';
        key.append(reinterpret_cast<const char*>(&n), sizeof n);
        key += v.text();
    } else {
        double d = v.toDouble();
        if (d == 0) d = 0;  // -0 equals 0
        key += 'n';
        key.append(reinterpret_cast<const char*>(&d), sizeof d);
    }
}
}  // namespace

bool Cursor::locate(const std::vector<int>& fields, const std::vector<Value>& values) {
    autoPost();
    if (fields.size() != values.size()) throw Error("查找的字段和值个数不一致");
    std::string key;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const FieldDef& f = def().fields.at(static_cast<std::size_t>(fields[k]));
        if (f.type == FieldType::Text) {
            appendKey(key, Value(text::trimRight(values[k].toString())));
        } else {
            try {
                appendKey(key, Table::fit(f, values[k]));
            } catch (const Error&) {
                return false;  // a value that cannot be of the field's type matches no row
            }
        }
    }
    // Built on the first locate over these fields and kept until the view changes, so repeated
    // lookups in an unchanged table cost one hash probe.
    auto [slot, fresh] = locateIndex_.try_emplace(fields);
    auto& index = slot->second;
    if (fresh) {
        std::string rowKey;
        for (std::size_t p = 0; p < view_.size(); ++p) {
            rowKey.clear();
            for (int f : fields) appendKey(rowKey, view_[p]->values[static_cast<std::size_t>(f)]);
            index.try_emplace(rowKey, static_cast<int>(p));
        }
    }
    auto it = index.find(key);
    if (it == index.end()) return false;
    setPos(it->second);
    bof_ = eof_ = false;
    return true;
}

bool Cursor::findKey(const std::vector<Value>& values) {
    autoPost();
    if (keyFields_.empty()) throw Error("表 " + def().name + " 没有选定索引");
    std::size_t n = std::min(values.size(), keyFields_.size());
    std::vector<Value> key;
    for (std::size_t k = 0; k < n; ++k)
        key.push_back(Table::fit(def().fields[static_cast<std::size_t>(keyFields_[k])], values[k]));
    auto cmp = [&](const Row* r) {
        for (std::size_t k = 0; k < n; ++k) {
            int c = r->values[static_cast<std::size_t>(keyFields_[k])].compare(key[k]);
            if (c != 0) return c;
        }
        return 0;
    };
    auto it = std::partition_point(view_.begin(), view_.end(), [&](const Row* r) { return cmp(r) < 0; });
    if (it == view_.end() || cmp(*it) != 0) return false;
    setPos(static_cast<int>(it - view_.begin()));
    bof_ = eof_ = false;
    return true;
}

Cursor::Bookmark Cursor::bookmark() const {
    return Bookmark{pos_ >= 0 ? view_[static_cast<std::size_t>(pos_)]->rowid : 0};
}

bool Cursor::gotoBookmark(const Bookmark& b) {
    autoPost();
    Row* r = table_->find(b.rowid);
    int i = r ? indexOf(r) : -1;
    if (i < 0) return false;
    setPos(i);
    bof_ = eof_ = false;
    return true;
}

// ---- keeping in step with the table

void Cursor::rowInserted(Row* row) {
    locateIndex_.clear();
    ++viewVersion_;
    if (!inView(row->values)) return;
    int at = insertionPoint(row);
    view_.insert(view_.begin() + at, row);
    if (pos_ < 0)
        pos_ = 0;
    else if (at <= pos_)
        ++pos_;
    eof_ = false;
    notifyReset();
}

void Cursor::rowUpdated(Row* row, const std::vector<int>& changed) {
    locateIndex_.clear();
    ++viewVersion_;
    if (editing_ == row && state_ == State::Edit) {
        // Another cursor posted the row this one is editing: its edits start from the new values.
        for (int f : changed) buffer_[static_cast<std::size_t>(f)] = row->values[static_cast<std::size_t>(f)];
    }
    if (!affectsView(changed)) {
        if (!observers_.empty() && !suspended_) {
            int i = indexOf(row);
            if (i >= 0) notifyRow(i);
        }
        return;
    }
    Row* cur = pos_ >= 0 ? view_[static_cast<std::size_t>(pos_)] : nullptr;
    int old = indexOf(row);
    if (old >= 0) {
        view_.erase(view_.begin() + old);
        if (old < pos_) --pos_;
    }
    if (inView(row->values)) {
        int at = insertionPoint(row);
        view_.insert(view_.begin() + at, row);
        if (cur == row)
            pos_ = at;
        else if (pos_ < 0)
            pos_ = 0;
        else if (at <= pos_)
            ++pos_;
    } else if (cur == row) {
        pos_ = std::min(old, count() - 1);
    }
    if (view_.empty()) pos_ = -1;
    eof_ = eof_ || view_.empty();
    notifyReset();
}

void Cursor::rowRemoving(Row* row) {
    locateIndex_.clear();
    ++viewVersion_;
    if (editing_ == row) cancel();
    int i = indexOf(row);
    if (i < 0) return;
    view_.erase(view_.begin() + i);
    if (i < pos_) --pos_;
    if (pos_ >= count()) pos_ = count() - 1;
    if (view_.empty()) {
        pos_ = -1;
        bof_ = eof_ = true;
    }
    notifyReset();
}

void Cursor::tableReloaded() {
    if (state_ == State::Edit) cancel();
    editing_ = nullptr;
    rebuild();
}

// ---- observers

void Cursor::addObserver(CursorObserver* o) {
    observers_.push_back(o);
}
void Cursor::removeObserver(CursorObserver* o) {
    std::erase(observers_, o);
}

void Cursor::suspendDisplay() {
    ++suspended_;
}

void Cursor::resumeDisplay() {
    if (suspended_ > 0 && --suspended_ == 0) {
        notifyReset();
        notifyCurrent();
    }
}

void Cursor::notifyReset() {
    if (suspended_) return;
    for (auto* o : std::vector<CursorObserver*>(observers_)) o->viewReset();
}

void Cursor::notifyRow(int pos) {
    if (suspended_) return;
    for (auto* o : std::vector<CursorObserver*>(observers_)) o->rowChanged(pos);
}

void Cursor::notifyCurrent() {
    if (suspended_) return;
    for (auto* o : std::vector<CursorObserver*>(observers_)) o->currentChanged(pos_);
}

}  // namespace varneth::storage
