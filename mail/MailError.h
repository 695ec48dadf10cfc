#pragma once

#include <stdexcept>
#include <string>

namespace bramolt::mail {

// Every failure of a mail delivery. what() is the message the caller gets, in UTF-8.
class EMailError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace bramolt::mail
