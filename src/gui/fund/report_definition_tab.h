#pragma once

#include <QWidget>

#include "app/session.h"
#include "fund/investor_reports.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace varneth::gui {

// "投资报告单定义": the fund name, title and memo the investor reports print with.
class ReportDefinitionTab : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kEditorNote =
        "本操作将调用写字板编辑报告文件，编好后需用选择报告内容，用剪贴放如入剪贴板，退出后用粘贴放入本窗口"
        "。";
    static constexpr const char* kNoEditor = "找不到可以启动的文本编辑器，请调用其他编辑软件。";

    explicit ReportDefinitionTab(app::Session& session, QWidget* parent = nullptr);

    fund::ReportDefinition definition() const;
    // The fund name list read again from the types, on the type marked `Now`.
    void reload();
    QComboBox* fundList() const { return funds_; }

private:
    void choose(int index);
    void openEditor();

    app::Session& session_;
    QComboBox* funds_ = nullptr;
    QLabel* fundName_ = nullptr;
    QLineEdit* title_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QCheckBox* allRecords_ = nullptr;
    QCheckBox* brief_ = nullptr;
};

}  // namespace varneth::gui
