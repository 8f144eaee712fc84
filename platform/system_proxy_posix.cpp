#include "platform/system_proxy.h"

// On Linux the variables are the system's proxy settings, which the proxy choice reads.
SystemProxy systemProxyFor(const std::string&) { return SystemProxy(); }
