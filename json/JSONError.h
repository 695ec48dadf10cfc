#pragma once

#include <stdexcept>
#include <string>

namespace bramolt::json {

// The one error type of the JSON core. The message is UTF-8; the automation layer
// turns it into the text of its failure value or error object.
class EJSONError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace bramolt::json
