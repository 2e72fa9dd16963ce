#pragma once

#include <QString>

#include "port/prompter.h"

class QApplication;

namespace varneth::ui {

// The core's questions and messages as message boxes over the active window, captioned with the
// application's name.
class QtPrompter : public port::Prompter {
public:
    void message(std::string_view text) override;
    bool ask(std::string_view text) override;
    void confirmAt(std::string_view text, int x, int y) override;
};

// Loads Qt's own Chinese texts so that standard buttons read 是/否/确定; false when the translation
// is not installed (the buttons then stay English).
bool installChineseTranslation(QApplication& app);

}  // namespace varneth::ui
