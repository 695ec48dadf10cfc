#pragma once

#include "mail/ByteSink.h"

namespace bramolt::mail {

// The DATA stage of RFC 5321 (section 4.5.2): every line that begins with "." gets one more
// "." in front, and Finish() ends the content with the line ".". The message written
// through it uses CR LF line ends.
class TDotStuffer : public TByteSink {
  public:
    explicit TDotStuffer(TByteSink& next) : FNext(next) {}

    void Write(std::string_view bytes) override;
    // Ends the last line when it is open, then writes the terminating ".".
    void Finish();

  private:
    TByteSink& FNext;
    bool FAtLineStart = true;
};

} // namespace bramolt::mail
