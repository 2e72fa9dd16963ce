#pragma once

#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace varneth::port {

// What the core asks of the user. Texts are the product's own; the front end only shows them.
class Prompter {
public:
    virtual ~Prompter() = default;
    // An information or error box with one OK button.
    virtual void message(std::string_view text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(std::string_view text) = 0;
    // A box with the single button Yes, shown with its top-left corner at (x, y) on the screen.
    virtual void confirmAt(std::string_view text, int x, int y) = 0;
};

// Every delete asks first, naming what goes: "删除记录：" + the row's words + "？". True for Yes.
// Empty words are skipped, so a row with blank fields does not read "a  b"; a row without any
// reads "空白记录".
bool askDelete(Prompter& prompter, std::initializer_list<std::string_view> words);

// For tests: answers come from a queue; a question nobody scripted is a test failure,
// reported through `unexpected` (the texts of such questions), never answered silently.
class ScriptedPrompter : public Prompter {
public:
    void expectAnswers(std::initializer_list<bool> answers) { answers_.insert(answers_.end(), answers); }
    void message(std::string_view text) override {
        messages.emplace_back(text);
        said.emplace_back(text);
    }
    bool ask(std::string_view text) override;
    void confirmAt(std::string_view text, int, int) override {
        messages.emplace_back(text);
        said.emplace_back(text);
    }

    std::vector<std::string> messages;    // messages and single-Yes boxes, in order
    std::vector<std::string> questions;   // questions asked, in order
    std::vector<std::string> unexpected;  // questions asked with no scripted answer left
    std::vector<std::string> said;        // everything, in order
    std::size_t answersLeft() const { return answers_.size(); }

private:
    std::deque<bool> answers_;
};

}  // namespace varneth::port
