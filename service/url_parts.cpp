#include "service/url_parts.h"

ParsedUrl parseUrl(const std::string& text, CURLUcode& code) {
  ParsedUrl url(curl_url(), curl_url_cleanup);
  code = url ? curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) : CURLUE_OUT_OF_MEMORY;
  if (code != CURLUE_OK) url.reset();
  return url;
}

std::string urlPart(const ParsedUrl& url, CURLUPart part) {
  char* text = nullptr;
  if (!url || curl_url_get(url.get(), part, &text, 0) != CURLUE_OK || text == nullptr) return "";
  const std::string value = text;
  curl_free(text);
  return value;
}

std::string urlDecoded(const std::string& piece) {
  ParsedUrl url(curl_url(), curl_url_cleanup);
  char* decoded = nullptr;
  // Taken as written, so that even a piece that no whole URL could hold is decoded.
  if (!url || curl_url_set(url.get(), CURLUPART_USER, piece.c_str(), 0) != CURLUE_OK ||
      curl_url_get(url.get(), CURLUPART_USER, &decoded, CURLU_URLDECODE) != CURLUE_OK ||
      decoded == nullptr) {
    return piece;
  }
  const std::string value = decoded;
  curl_free(decoded);
  return value;
}

bool hasNoPath(const ParsedUrl& url) {
  const std::string path = urlPart(url, CURLUPART_PATH);
  return (path.empty() || path == "/") && urlPart(url, CURLUPART_QUERY).empty() &&
         urlPart(url, CURLUPART_FRAGMENT).empty() && urlPart(url, CURLUPART_ZONEID).empty();
}
