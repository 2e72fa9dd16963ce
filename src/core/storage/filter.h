#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/schema.h"
#include "storage/value.h"

namespace varneth::storage {

// A filter text such as "lx<>'zzc' and lx<>'zzz'" or "code='60*'", evaluated in code against a
// row (never handed to SQL). Comparisons are =, <>, <, >, <=, >= of a field with a quoted text or a
// number, joined by AND, OR, NOT and parentheses. A quoted text ending in "*" compared with "="
// (or "<>") matches (or refuses) every text that begins with what stands before the "*".
// Texts compare by their bytes, trailing blanks ignored.
class Filter {
public:
    // Throws storage::Error naming the fault when the text does not read or names a field the
    // table does not have.
    Filter(std::string_view text, const std::vector<FieldDef>& fields);
    ~Filter();
    Filter(Filter&&) noexcept;
    Filter& operator=(Filter&&) noexcept;

    bool matches(const Record& row) const;
    // A text as a quoted constant of the filter language, so typed text is never read as syntax.
    static std::string quote(std::string_view text);
    const std::string& text() const { return text_; }
    // Field indexes the filter reads: a post that changes none of them cannot move a row in or out.
    const std::vector<int>& fieldsRead() const { return fieldsRead_; }

    struct Node;

private:
    std::string text_;
    std::unique_ptr<Node> root_;
    std::vector<int> fieldsRead_;
};

}  // namespace varneth::storage
