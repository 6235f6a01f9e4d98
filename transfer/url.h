#pragma once

#include <string>

namespace zk {

// A request URL as the HTTP client keeps it: each request replaces these
// parts, and a relative URL is resolved against them.
struct UrlParts {
  std::string scheme;
  std::string host;
  std::string port = "80";
  std::string path;
  std::string document;
  std::string query;
  friend bool operator==(const UrlParts&, const UrlParts&) = default;
};

// Splits `url` ("\" taken as "/"), resolving a relative one against
// `current`. Nothing is normalised in an absolute URL: the target goes out as
// written, less user information and fragment. Throws Error with an empty
// message for a scheme other than http or https without a port, and
// "IOHandler value is not valid" for https.
UrlParts splitUrl(const UrlParts& current, const std::string& url);

// Path, document and query: what follows "GET ".
std::string requestTarget(const UrlParts& url);
// The host as written, plus ":" and the port unless the port is exactly "80".
std::string hostHeaderValue(const UrlParts& url);

}  // namespace zk
