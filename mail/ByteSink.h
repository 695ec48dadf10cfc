#pragma once

#include <string_view>

namespace bramolt::mail {

// Where a stage of the message stream writes its bytes.
class TByteSink {
  public:
    virtual ~TByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

} // namespace bramolt::mail
