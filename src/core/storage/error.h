#pragma once

#include <stdexcept>
#include <string>

namespace varneth::storage {

// A failure of the table engine (missing table, wrong field, SQL error). It ends the action;
// rows already posted stay.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class KeyViolation : public Error {
public:
    using Error::Error;
};

// A database file that cannot be opened: the message names the file and why.
class CannotOpen : public Error {
public:
    using Error::Error;
};

// Another program held the write lock for longer than the engine waits. Nothing was written.
class Busy : public Error {
public:
    static constexpr const char* kMessage = "数据库正被另一个Varneth程序使用，请稍后再试。";
    Busy() : Error(kMessage) {}
};

}  // namespace varneth::storage
