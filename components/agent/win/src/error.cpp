#include "win_util.h"

#include <agent/agent.h>

namespace agent {

Error::Error(std::wstring message)
    : message_(std::move(message)), utf8_(win::WideToUtf8(message_)) {}

}  // namespace agent
