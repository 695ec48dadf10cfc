#pragma once

namespace bramolt {

// The process's count of live automation objects. Every TBramoltCOM reports
// its creation and destruction here; what the count means for the process's
// life is the server's business, not the object's.
class IObjectCount {
  public:
    virtual void ObjectCreated() noexcept = 0;
    virtual void ObjectDestroyed() noexcept = 0;

  protected:
    ~IObjectCount() = default;
};

} // namespace bramolt
