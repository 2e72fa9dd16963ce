#include "port/prompter.h"

namespace varneth::port {

bool askDelete(Prompter& prompter, std::initializer_list<std::string_view> words) {
    std::string row;
    for (std::string_view w : words) {
        if (w.empty()) continue;
        if (!row.empty()) row += ' ';
        row += w;
    }
    return prompter.ask("删除记录：" + (row.empty() ? std::string("空白记录") : row) + "？");
}

bool ScriptedPrompter::ask(std::string_view text) {
    questions.emplace_back(text);
    said.emplace_back(text);
    if (answers_.empty()) {
        unexpected.emplace_back(text);
        return false;
    }
    bool answer = answers_.front();
    answers_.pop_front();
    return answer;
}

}  // namespace varneth::port
