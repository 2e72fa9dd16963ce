#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "port/clock.h"
#include "port/launcher.h"
#include "port/prompter.h"
#include "storage/cursor.h"
#include "storage/engine.h"

namespace varneth::accounts {

// The linked-program settings: the external order programs listed in `wt_path.DB`, of which the
// current row (the one marked Now, chosen last) is the program "软件链接" starts, and the link file
// "path.txt" that tells that program where the books of the logged-in account are.
class LinkedProgram {
public:
    static constexpr const char* kLinkFileName = "path.txt";
    static constexpr const char* kNotSet = "路径没设好!";
    static constexpr const char* kProgramMissing =
        "设置的委托程序不存在, 供联网核对的路径和程序文件不能产生！";
    static constexpr const char* kLaunchNotFound = "找不到执行程序, 改设置再运行！";
    static constexpr const char* kLaunchFailed = "有问题，请检查。";
    static constexpr const char* kLinkFileFailed = "供联网核对的文件写不成：";

    // The fields behind the three edit boxes, with the boxes' captions.
    static constexpr const char* kWtrj = "Wtrj";  // "名称："
    static constexpr const char* kPath = "Path";  // "路径："
    static constexpr const char* kName = "Name";  // "程序名："

    // Opens the list on the program chosen last (the first row when none is marked).
    LinkedProgram(storage::Engine& engine, std::filesystem::path programDir, std::filesystem::path accountDir,
                  port::Prompter& prompter, port::Clock& clock);

    storage::Cursor& programs() { return programs_; }
    std::string path() const { return programs_.text(kPath); }
    std::string name() const { return programs_.text(kName); }
    std::string wtrj() const { return programs_.text(kWtrj); }

    // Opening the drop-down unmarks every row; choosing one marks it and makes it current, so the
    // choice survives to the next start.
    void dropDownOpened();
    void choose(int position);

    // A bound box changed: the field of the current row, posted; on an empty list the first row
    // (marked current). A text wider than the field is refused with a message and nothing written,
    // since a cut path or name would name another file.
    bool setField(std::string_view field, const std::string& text);
    // "改路径及程序" with a picked file, or `link set`: its directory (ending in the separator) and
    // its name, both or neither.
    bool setProgram(const std::string& directory, const std::string& fileName);

    // The checks on closing the window: without a path and name, or without that program file, says
    // so; otherwise writes the link file. True when it was written.
    bool closing();

    // "软件链接": starts Path + Name with the stored path as its command line. The result tells the
    // caller to show the settings window (FileNotFound) after the message.
    port::LaunchResult launch(port::Launcher& launcher);

private:
    void editCurrent();
    void postOrCancel();
    bool fits(std::string_view field, const std::string& text);
    bool writeLinkFile(const std::filesystem::path& file);

    storage::Engine& engine_;
    std::filesystem::path programDir_;
    std::filesystem::path accountDir_;
    port::Prompter& prompter_;
    port::Clock& clock_;
    storage::Cursor programs_;
};

}  // namespace varneth::accounts
