#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "app/main_views.h"
#include "ledger/detail_row.h"
#include "port/launcher.h"
#include "port/prompter.h"

// What the main window's buttons and menus decide before they open another window.
namespace varneth::app {

// For entries whose windows the program does not offer yet.
inline constexpr std::string_view kNotYetAvailable = "该功能尚未提供。";
inline constexpr std::string_view kButtonNotes =
    "本软件研制者不喜欢过多重复的按钮和菜单选项; "
    "右边两排大按钮所示操作不在菜单中重复列入；本行快捷键重复的也只是菜单中常用选项。";
inline constexpr std::string_view kAdministratorAccount = "我的帐户";
inline constexpr std::string_view kAdministrationRefused = "只有进入'我的帐户'才有权限添加和删除管理帐户.";
inline constexpr std::string_view kEmptyDetail = "明细表是空的，没有成交待确认记录；下面将按股票代码显示。";
inline constexpr std::string_view kWordPadNotice =
    "本操作将调用写字板编辑报告文件，编好后需用选择报告内容，用剪贴放如入剪贴板，退出后用粘贴放入本窗口。";
inline constexpr std::string_view kNoReportFile = "报告文件夹中还没有报告文件，请先把报告打印到文件：";
inline constexpr std::string_view kWordPadFailed = "调用写字班板有错，请调用其他编辑软件。";

// Only "我的帐户" adds and deletes managing accounts; any other account is told so.
bool mayAdministerAccounts(std::string_view accountName, port::Prompter& prompter);

// "委托记录处理": the detail row the order window opens on. With an empty detail list the user is
// told so and the views go back to the catalog by code.
std::optional<ledger::DetailRow> rowForOrderWindow(MainViews& views, port::Prompter& prompter);

// The newest file of the account's report folder ("report" in `accountDir`); none when it has none.
std::optional<std::filesystem::path> newestReport(const std::filesystem::path& accountDir);
// "用写字板编辑业绩报告": the notice, then the newest report opened in the desktop's text editor, or
// why it was not.
void editReportInWordPad(port::Launcher& launcher, port::Prompter& prompter,
                         const std::filesystem::path& accountDir);

}  // namespace varneth::app
