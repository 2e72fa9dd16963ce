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

}  // namespace varneth::storage
