#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zk::trust {

using Sha256 = std::array<unsigned char, 32>;

// The file names of a SHA256SUMS file with their digests. The text is what
// sha256sum writes: "<64 lower-case hex digits><two blanks><name>" per line
// ("<digest> *<name>" for binary mode is taken too). Any other line, an
// escaped name, a name with a path or a name listed twice makes the whole
// list unusable: a list the vendor did not mean is not half-trusted.
std::optional<std::map<std::string, Sha256>> parseChecksumList(std::string_view text);

Sha256 sha256(std::string_view bytes);
// The digest of a file's bytes; none when it cannot be read.
std::optional<Sha256> sha256OfFile(const std::string& path);

}  // namespace zk::trust
