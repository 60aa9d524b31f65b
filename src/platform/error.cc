#include "platform/error.h"

namespace corvane {

Error::Error(const std::string& message) : std::runtime_error(message) {}

IoError::IoError(const std::string& message, int code) : Error(message), code_(code) {}

}  // namespace corvane
