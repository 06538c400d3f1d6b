#pragma once
// Traces one operation: writes its name to the log on entry and the same name followed by " End" when
// the scope is left, however it is left.
#include <string>

namespace TYX::Util {

class TYX_LogScope {
 public:
  explicit TYX_LogScope(std::string name);
  ~TYX_LogScope();
  TYX_LogScope(const TYX_LogScope&) = delete;
  TYX_LogScope& operator=(const TYX_LogScope&) = delete;

  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};

}  // namespace TYX::Util

namespace TYX {
using Util::TYX_LogScope;
}  // namespace TYX
