#include "trust/signed_updates.h"

#include <algorithm>
#include <exception>

#include "core/error.h"

namespace zk::trust {
namespace {

constexpr char kBuildTimeKey[] = ZK_UPDATE_PUBLIC_KEY;

std::string_view reasonText(Reason reason) {
  switch (reason) {
    case Reason::BadKey:
      return "imza anahtarı geçersiz";
    case Reason::NoList:
      return "sunucuda imzalı dosya listesi bulunamadı";
    case Reason::NoSignature:
      return "dosya listesinin imzası bulunamadı";
    case Reason::UnreadableSignature:
      return "dosya listesinin imzası okunamadı";
    case Reason::OtherKey:
      return "dosya listesi başka bir anahtarla imzalanmış";
    case Reason::BadSignature:
      return "dosya listesinin imzası geçersiz";
    case Reason::NoTimestamp:
      return "dosya listesinin imza tarihi yok";
    case Reason::Older:
      return "dosya listesi daha önce kabul edilenden eski";
    case Reason::UnreadableList:
      return "dosya listesi okunamadı";
    case Reason::NotListed:
      return "dosya imzalı listede yok";
    case Reason::Mismatch:
      return "dosya imzalı listedekiyle aynı değil";
  }
  return "";
}

}  // namespace

std::string_view buildTimePublicKey() {
  return kBuildTimeKey;
}

std::string choosePublicKey(const std::string& settingsValue) {
  if (!buildTimePublicKey().empty()) {
    return std::string(buildTimePublicKey());
  }
  return settingsValue;
}

ServerFile serverFileOf(const std::string& url) {
  std::string path = url;
  std::replace(path.begin(), path.end(), '\\', '/');
  const std::size_t slash = path.rfind('/');
  ServerFile file;
  if (slash == std::string::npos) {
    file.name = path;
    return file;
  }
  file.name = path.substr(slash + 1);
  file.folder = path.substr(0, slash);
  while (file.folder.ends_with('/') && !file.folder.ends_with("://")) {
    file.folder.pop_back();
  }
  return file;
}

std::string refusalMessage(const Refusal& refusal) {
  return refusal.fileName + " dosyası doğrulanamadı (" + std::string(reasonText(refusal.reason)) +
         "). Güncelleme yapılmadı, hiçbir dosya yüklenmedi.";
}

SignedUpdates::SignedUpdates(const std::string& publicKey, std::string stateFile, Fetcher fetch)
    : enabled_(!publicKey.empty()),
      key_(parsePublicKey(publicKey)),
      floors_(std::move(stateFile)),
      fetch_(std::move(fetch)) {}

std::optional<Refusal> SignedUpdates::listing(const ServerFile& file, const Listing*& list) {
  list = nullptr;
  if (!key_) {
    return Refusal{file.name, Reason::BadKey};
  }
  if (auto found = accepted_.find(file.folder); found != accepted_.end()) {
    list = &found->second;
    return std::nullopt;
  }
  const auto fetch = [&](std::string_view name, std::string& body) {
    try {
      body = fetch_(file.folder + "/" + std::string(name));
      return true;
    } catch (const std::exception&) {
      return false;
    }
  };
  std::string listText;
  std::string signatureText;
  if (!fetch(kChecksumListFile, listText)) {
    return Refusal{file.name, Reason::NoList};
  }
  if (!fetch(kSignatureFile, signatureText)) {
    return Refusal{file.name, Reason::NoSignature};
  }
  const std::optional<Signature> signature = parseSignature(signatureText);
  if (!signature) {
    return Refusal{file.name, Reason::UnreadableSignature};
  }
  switch (verifySignature(*key_, *signature, listText)) {
    case SignatureCheck::Valid:
      break;
    case SignatureCheck::OtherKey:
      return Refusal{file.name, Reason::OtherKey};
    case SignatureCheck::BadSignature:
    case SignatureCheck::BadTrustedComment:
      return Refusal{file.name, Reason::BadSignature};
  }
  const std::optional<std::int64_t> timestamp = signedTimestamp(signature->trustedComment);
  if (!timestamp) {
    return Refusal{file.name, Reason::NoTimestamp};
  }
  if (const auto floor = floors_.floor(file.folder); floor && *timestamp < *floor) {
    return Refusal{file.name, Reason::Older};
  }
  std::optional<Listing> parsed = parseChecksumList(listText);
  if (!parsed) {
    return Refusal{file.name, Reason::UnreadableList};
  }
  floors_.raise(file.folder, *timestamp);
  list = &(accepted_[file.folder] = std::move(*parsed));
  return std::nullopt;
}

std::optional<Refusal> SignedUpdates::compare(const ServerFile& file,
                                              const std::optional<Sha256>& digest) {
  const Listing* list = nullptr;
  if (auto refusal = listing(file, list)) {
    return refusal;
  }
  const auto entry = list->find(file.name);
  if (entry == list->end()) {
    return Refusal{file.name, Reason::NotListed};
  }
  if (!digest || *digest != entry->second) {
    return Refusal{file.name, Reason::Mismatch};
  }
  return std::nullopt;
}

std::optional<Refusal> SignedUpdates::counted(std::optional<Refusal> refusal) {
  if (refusal) {
    ++refusals_;
  }
  return refusal;
}

std::optional<Refusal> SignedUpdates::checkFolder(const std::string& url) {
  if (!enabled_) {
    return std::nullopt;
  }
  const Listing* list = nullptr;
  return counted(listing(serverFileOf(url), list));
}

std::optional<Refusal> SignedUpdates::check(const std::string& url, std::string_view bytes) {
  if (!enabled_) {
    return std::nullopt;
  }
  return counted(compare(serverFileOf(url), sha256(bytes)));
}

std::optional<Refusal> SignedUpdates::checkFile(const std::string& url, const std::string& path) {
  if (!enabled_) {
    return std::nullopt;
  }
  return counted(compare(serverFileOf(url), sha256OfFile(path)));
}

void SignedUpdates::refuse(UserInterface& ui, const Refusal& refusal) {
  ui.messageBox(refusalMessage(refusal));
  silentAbort();
}

void SignedUpdates::requireFolder(UserInterface& ui, const std::string& url) {
  if (auto refusal = checkFolder(url)) {
    refuse(ui, *refusal);
  }
}

void SignedUpdates::require(UserInterface& ui, const std::string& url, std::string_view bytes) {
  if (auto refusal = check(url, bytes)) {
    refuse(ui, *refusal);
  }
}

void SignedUpdates::requireFile(UserInterface& ui, const std::string& url,
                                const std::string& path) {
  if (auto refusal = checkFile(url, path)) {
    refuse(ui, *refusal);
  }
}

}  // namespace zk::trust
