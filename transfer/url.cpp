#include "transfer/url.h"

#include "core/error.h"
#include "core/text_encoding.h"

namespace zk {

namespace {

// Path, document and query of the text after the authority (or of a relative
// URL). `absolute` puts a "/" in front of the path and drops a fragment in
// the document; a relative document keeps its "#".
void splitRemainder(const std::string& remainder, bool absolute, UrlParts& parts) {
  std::size_t queryStart = remainder.find('?');
  if (queryStart == std::string::npos) {
    queryStart = remainder.find('=');
  }
  std::string beforeQuery = remainder.substr(0, queryStart);
  std::string query = queryStart == std::string::npos ? "" : remainder.substr(queryStart);
  const std::size_t lastSlash = beforeQuery.rfind('/');
  std::string path;
  std::string document;
  if (lastSlash == std::string::npos) {
    document = beforeQuery;
  } else {
    path = beforeQuery.substr(0, lastSlash + 1);
    document = beforeQuery.substr(lastSlash + 1);
  }
  const std::size_t hashInDocument = document.find('#');
  if (absolute && hashInDocument != std::string::npos) {
    document.erase(hashInDocument);
  } else if (hashInDocument == std::string::npos) {
    const std::size_t hashInQuery = query.find('#');
    if (hashInQuery != std::string::npos) {
      query.erase(hashInQuery);
    }
  }
  parts.path = absolute ? "/" + path : path;
  parts.document = std::move(document);
  parts.query = std::move(query);
}

// Runs of "/" become one; ".." directly after a "/" takes that "/" and the
// segment before it away.
std::string collapsePath(const std::string& path) {
  std::string out;
  std::size_t i = 0;
  while (i < path.size()) {
    if (path[i] == '/') {
      if (out.empty() || out.back() != '/') {
        out += '/';
      }
      ++i;
      continue;
    }
    std::size_t end = path.find('/', i);
    if (end == std::string::npos) {
      end = path.size();
    }
    const std::string segment = path.substr(i, end - i);
    if (segment == ".." && !out.empty() && out.back() == '/') {
      out.pop_back();
      const std::size_t previous = out.rfind('/');
      out.erase(previous == std::string::npos ? 0 : previous + 1);
    } else {
      out += segment;
    }
    i = end;
  }
  return out;
}

}  // namespace

UrlParts splitUrl(const UrlParts& current, const std::string& rawUrl) {
  std::string url = rawUrl;
  for (char& c : url) {
    if (c == '\\') {
      c = '/';
    }
  }
  UrlParts parts = current;
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos) {
    UrlParts relative;
    splitRemainder(url, false, relative);
    parts.scheme = "http";
    if (!relative.path.empty() && relative.path.front() == '/') {
      parts.path = relative.path;
    } else {
      std::string base = current.path;
      if (base.empty() || base.back() != '/') {
        base += '/';
      }
      parts.path = collapsePath(base + relative.path);
    }
    parts.document = relative.document;
    parts.query = relative.query;
  } else {
    parts.scheme = url.substr(0, schemeEnd);
    const std::string rest = url.substr(schemeEnd + 3);
    const std::size_t authorityEnd = rest.find('/');
    std::string authority = rest.substr(0, authorityEnd);
    const std::string remainder =
        authorityEnd == std::string::npos ? "" : rest.substr(authorityEnd + 1);
    const std::size_t at = authority.find('@');
    if (at != std::string::npos) {
      authority.erase(0, at + 1);
    }
    const std::size_t colon = authority.find(':');
    parts.host = authority.substr(0, colon);
    parts.port = colon == std::string::npos ? "" : authority.substr(colon + 1);
    splitRemainder(remainder, true, parts);
    if (parts.port.empty()) {
      const bool keepCurrent =
          isDecimalNumber(current.port) && current.port != "80" && current.port != "443";
      const std::string scheme = asciiLower(parts.scheme);
      if (scheme == "http") {
        parts.port = keepCurrent ? current.port : "80";
      } else if (scheme == "https") {
        parts.port = keepCurrent ? current.port : "443";
      } else {
        throw Error("");
      }
    }
  }
  if (asciiLower(parts.scheme) == "https") {
    throw Error("IOHandler value is not valid");
  }
  return parts;
}

std::string requestTarget(const UrlParts& url) {
  return url.path + url.document + url.query;
}

std::string hostHeaderValue(const UrlParts& url) {
  return url.port == "80" ? url.host : url.host + ":" + url.port;
}

}  // namespace zk
