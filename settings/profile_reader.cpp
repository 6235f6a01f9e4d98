#include "settings/profile_reader.h"

#include "core/text_encoding.h"
#include "platform/profile_strings.h"

namespace zk {

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
  return cp1254ToUtf8(platform::readProfileString(path_, utf8ToCp1254(section), utf8ToCp1254(key),
                                                  utf8ToCp1254(defaultValue)));
}

}  // namespace zk
