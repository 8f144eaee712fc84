#ifndef TIMETABLE_SERVICE_URL_PARTS_H_
#define TIMETABLE_SERVICE_URL_PARTS_H_

#include <curl/curl.h>

#include <memory>
#include <string>

// A URL as libcurl's URL API reads it, so that the program judges an address by the same
// grammar that libcurl then connects by.
using ParsedUrl = std::unique_ptr<CURLU, void (*)(CURLU*)>;

// The URL read by libcurl, with the code it gave; an empty pointer when it could not be read.
ParsedUrl parseUrl(const std::string& text, CURLUcode& code);

// One part of a parsed URL; empty when it has none.
std::string urlPart(const ParsedUrl& url, CURLUPart part);

// A piece of a URL (a user, a password) with its %-escapes decoded, as libcurl decodes it; as it
// is when libcurl refuses to (an escape for a control character).
std::string urlDecoded(const std::string& piece);

// Whether the URL holds nothing beyond its scheme, user, host and port.
bool hasNoPath(const ParsedUrl& url);

#endif  // TIMETABLE_SERVICE_URL_PARTS_H_
