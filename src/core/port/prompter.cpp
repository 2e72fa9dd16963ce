#include "port/prompter.h"

namespace varneth::port {

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
