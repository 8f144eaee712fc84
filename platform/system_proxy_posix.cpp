#include "platform/system_proxy.h"

// On Linux the variables are the system's proxy settings, and libcurl reads them itself.
SystemProxy systemProxyFor(const std::string&) { return SystemProxy(); }
