#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/user_interface.h"
#include "trust/checksum_list.h"
#include "trust/minisign.h"
#include "trust/rollback_floor.h"

namespace zk::trust {

// What the vendor puts into each server folder, and what the program keeps
// beside its settings file.
inline constexpr std::string_view kChecksumListFile = "SHA256SUMS";
inline constexpr std::string_view kSignatureFile = "SHA256SUMS.minisig";
inline constexpr std::string_view kStateFile = "zkimza.txt";
// Where the settings file may name the key.
inline constexpr std::string_view kSettingsSection = "GUNCELLEME";
inline constexpr std::string_view kSettingsKey = "IMZA_ANAHTARI";

// The key fixed into this build ("" when none).
std::string_view buildTimePublicKey();
// The key that is in force: the build's own when it has one, otherwise the
// settings file's value ("" means signing is off).
std::string choosePublicKey(const std::string& settingsValue);

// A file on the server as the signed lists see it: its folder (the URL up to
// the last "/", "\" read as "/", closing "/"s dropped) and its name.
struct ServerFile {
  std::string folder;
  std::string name;
};
ServerFile serverFileOf(const std::string& url);

// Why a file could not be verified.
enum class Reason {
  BadKey,
  NoList,
  NoSignature,
  UnreadableSignature,
  OtherKey,
  BadSignature,
  NoTimestamp,
  Older,
  UnreadableList,
  NotListed,
  Mismatch,
};

struct Refusal {
  std::string fileName;
  Reason reason;
};

// The text of the refusal box.
std::string refusalMessage(const Refusal& refusal);

// Fetches a server file's whole body; fails by exception.
using Fetcher = std::function<std::string(const std::string& url)>;

// Signed updates for one run of the program. Off, it does nothing and asks
// for nothing. On, the first file taken from a server folder brings that
// folder's SHA256SUMS and SHA256SUMS.minisig; the signature must be the key's,
// good over the list and over its trusted comment, and no older than the
// newest list accepted before for that folder. Every file from the folder must
// then be listed with its SHA-256. A folder's list is fetched once per run
// once it has been accepted; a list that was refused is asked for again.
class SignedUpdates {
 public:
  SignedUpdates() = default;
  // `publicKey` empty: off. A key that does not parse keeps signing on and
  // refuses every file.
  SignedUpdates(const std::string& publicKey, std::string stateFile, Fetcher fetch);

  bool enabled() const { return enabled_; }

  // The folder of `url` has an accepted list (fetching it when needed).
  std::optional<Refusal> checkFolder(const std::string& url);
  // `bytes`, fetched from `url`, are what its folder's list names.
  std::optional<Refusal> check(const std::string& url, std::string_view bytes);
  // The same for a file that came from `url` and lies at `path`.
  std::optional<Refusal> checkFile(const std::string& url, const std::string& path);

  // The checks above ending in the refusal box and the silent abort.
  void requireFolder(UserInterface& ui, const std::string& url);
  void require(UserInterface& ui, const std::string& url, std::string_view bytes);
  void requireFile(UserInterface& ui, const std::string& url, const std::string& path);

  // Refusals so far in this run: an action that saw one installs nothing
  // more.
  int refusals() const { return refusals_; }

 private:
  using Listing = std::map<std::string, Sha256>;
  std::optional<Refusal> listing(const ServerFile& file, const Listing*& list);
  std::optional<Refusal> compare(const ServerFile& file, const std::optional<Sha256>& digest);
  [[noreturn]] void refuse(UserInterface& ui, const Refusal& refusal);
  std::optional<Refusal> counted(std::optional<Refusal> refusal);

  bool enabled_ = false;
  std::optional<PublicKey> key_;
  RollbackFloors floors_{""};
  Fetcher fetch_;
  std::map<std::string, Listing> accepted_;
  int refusals_ = 0;
};

}  // namespace zk::trust
