#include "accounts/linked_program.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "storage/error.h"
#include "storage/names.h"
#include "text/gbk.h"

namespace varneth::accounts {

namespace fs = std::filesystem;

namespace {

const char* caption(std::string_view field) {
    if (storage::sameName(field, LinkedProgram::kPath)) return "路径：";
    if (storage::sameName(field, LinkedProgram::kName)) return "程序名：";
    return "名称：";
}

struct TextLines {
    std::vector<std::string> lines;
    std::string eol = "\n";
};

// The lines of a text file; a file written on Windows keeps its CR LF endings when rewritten.
TextLines readLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    TextLines t;
    std::string line;
    while (std::getline(all, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            t.eol = "\r\n";
        }
        t.lines.push_back(line);
    }
    return t;
}

}  // namespace

LinkedProgram::LinkedProgram(storage::Engine& engine, fs::path programDir, fs::path accountDir,
                             port::Prompter& prompter, port::Clock& clock)
    : engine_(engine),
      programDir_(std::move(programDir)),
      accountDir_(std::move(accountDir)),
      prompter_(prompter),
      clock_(clock),
      programs_(engine.database(storage::Alias::Curr), "wt_path.DB") {
    programs_.first();
    programs_.locate("Now", {true});
}

void LinkedProgram::dropDownOpened() {
    storage::Action action(engine_);
    const storage::Cursor::Bookmark current = programs_.bookmark();
    for (programs_.first(); !programs_.eof(); programs_.next()) {
        if (!programs_.logical("Now")) continue;
        programs_.setValue("Now", false);
        programs_.post();
    }
    programs_.gotoBookmark(current);
}

void LinkedProgram::choose(int position) {
    if (position < 0 || position >= programs_.count()) return;
    storage::Action action(engine_);
    programs_.moveTo(position);
    programs_.setValue("Now", true);
    programs_.post();
}

void LinkedProgram::editCurrent() {
    if (programs_.isEmpty()) {
        programs_.append();
        programs_.setValue("Now", true);
    } else {
        programs_.edit();
    }
}

// A key violation (the same program listed twice) leaves the row as it was, not half edited.
void LinkedProgram::postOrCancel() {
    try {
        programs_.post();
    } catch (const storage::Error&) {
        programs_.cancel();
        throw;
    }
}

bool LinkedProgram::fits(std::string_view field, const std::string& text) {
    const int width = programs_.def().field(field).width;
    if (text::gbkWidth(text::trimRight(text)) <= width) return true;
    prompter_.message(std::string(caption(field)) + text + " 太长，最多" + std::to_string(width) +
                      "字节(汉字算两字节)。");
    return false;
}

bool LinkedProgram::setField(std::string_view field, const std::string& text) {
    if (!fits(field, text)) return false;
    storage::Action action(engine_);
    editCurrent();
    programs_.setValue(field, text);
    postOrCancel();
    return true;
}

bool LinkedProgram::setProgram(const std::string& directory, const std::string& fileName) {
    std::string dir = directory;
    if (dir.empty() || dir.back() != fs::path::preferred_separator) dir += fs::path::preferred_separator;
    if (!fits(kPath, dir) || !fits(kName, fileName)) return false;
    storage::Action action(engine_);
    editCurrent();
    programs_.setValue(kPath, dir);
    programs_.setValue(kName, fileName);
    postOrCancel();
    return true;
}

bool LinkedProgram::closing() {
    const std::string dir = path(), file = name();
    if (text::trim(dir).empty() || text::trim(file).empty()) {
        prompter_.message(kNotSet);
        return false;
    }
    std::error_code ec;
    const fs::path program(dir + file);
    if (!fs::exists(program, ec) || fs::is_directory(program, ec)) {
        prompter_.message(kProgramMissing);
        return false;
    }
    return writeLinkFile(fs::path(dir + kLinkFileName));
}

bool LinkedProgram::writeLinkFile(const fs::path& file) {
    std::error_code ec;
    TextLines t;
    if (fs::exists(file, ec)) {
        t = readLines(file);
        t.lines.resize(std::max<std::size_t>(t.lines.size(), 2));
        t.lines[0] = programDir_.string();
        t.lines[1] = accountDir_.string();
    } else {
        t.lines = {programDir_.string(), accountDir_.string(), clock_.now().isoDate()};
    }
    // Written beside and renamed over, so that a failure never leaves the program's own lines lost.
    fs::path temporary = file;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const auto& line : t.lines) out << line << t.eol;
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            prompter_.message(std::string(kLinkFileFailed) + file.string());
            return false;
        }
    }
    fs::rename(temporary, file, ec);
    if (ec) {
        fs::remove(temporary, ec);
        prompter_.message(std::string(kLinkFileFailed) + file.string());
        return false;
    }
    return true;
}

port::LaunchResult LinkedProgram::launch(port::Launcher& launcher) {
    const std::string dir = path(), file = name();
    // The stored path is handed over quoted, so that a directory with blanks stays one argument.
    const std::string commandLine = dir.empty() ? std::string() : "\"" + dir + "\"";
    const port::LaunchResult result =
        text::trim(file).empty() ? port::LaunchResult::FileNotFound
                                 : launcher.startProgram(dir + file, commandLine, port::ShowMode::Normal);
    if (result == port::LaunchResult::FileNotFound)
        prompter_.message(kLaunchNotFound);
    else if (result == port::LaunchResult::Failed)
        prompter_.message(kLaunchFailed);
    return result;
}

}  // namespace varneth::accounts
