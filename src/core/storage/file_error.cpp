#include "storage/file_error.h"

namespace varneth::storage {

namespace {

std::string reason(std::error_code ec) {
    using std::errc;
    if (ec == errc::permission_denied || ec == errc::operation_not_permitted) return "没有访问权限";
    if (ec == errc::no_space_on_device) return "磁盘已满";
    if (ec == errc::read_only_file_system) return "文件系统只读";
    if (ec == errc::no_such_file_or_directory) return "文件或目录不存在";
    if (ec == errc::file_exists) return "已经存在";
    if (ec == errc::directory_not_empty) return "目录不是空的";
    if (ec == errc::is_a_directory) return "这是一个目录";
    if (ec == errc::not_a_directory) return "路径中有一项不是目录";
    if (ec == errc::filename_too_long) return "文件名太长";
    if (ec == errc::too_many_files_open) return "打开的文件太多";
    return "读写错误";
}

}  // namespace

std::string describeFileError(const std::filesystem::path& file, std::error_code ec) {
    return "文件" + file.string() + "不能读写：" + reason(ec);
}

std::string describeFileError(const std::filesystem::filesystem_error& e) {
    return describeFileError(e.path1(), e.code());
}

}  // namespace varneth::storage
