#pragma once

#include <stdexcept>
#include <string>

namespace bramolt::dataset {

// The one error type of the dataset engine and of the record walk. The message is UTF-8
// English text, as the engine's messages reach callers unchanged.
class EDataSetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace bramolt::dataset
