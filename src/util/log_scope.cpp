#include "util/log_scope.h"

#include "util/log.h"

namespace TYX::Util {

TYX_LogScope::TYX_LogScope(std::string name) : name_(std::move(name)) {
  TYX_Log::Instance()->Add("%s", name_.c_str());
}

TYX_LogScope::~TYX_LogScope() { TYX_Log::Instance()->Add("%s End", name_.c_str()); }

}  // namespace TYX::Util
