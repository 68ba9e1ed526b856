#include "agent/agent.h"
#include "win32util/text.h"

namespace agent {

Error::Error(std::wstring message)
    : message_(std::move(message)), utf8_(win32util::WideToUtf8(message_)) {}

}  // namespace agent
