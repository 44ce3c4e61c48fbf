#include "foundation/ClassRegistry.h"

#include "foundation/ComponentLists.h"
#include "foundation/NodeItems.h"
#include "foundation/Persistent.h"
#include "foundation/StreamError.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace {

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::unordered_map<std::string, const TMetaClass*>& Registry() {
  static std::unordered_map<std::string, const TMetaClass*> registry;
  return registry;
}

}  // namespace

std::string FormatStreamMsg(const char* Msg, const std::string& Arg) {
  std::string s(Msg);
  const auto at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, Arg);
  return s;
}

std::string FormatStreamMsg(const char* Msg, long long Arg) {
  std::string s(Msg);
  const auto at = s.find("%d");
  if (at != std::string::npos) s.replace(at, 2, std::to_string(Arg));
  return s;
}

bool TMetaClass::InheritsFrom(const TMetaClass& Other) const {
  for (const TMetaClass* c = this; c; c = c->Parent)
    if (c == &Other) return true;
  return false;
}

std::unique_ptr<TPersistent> TMetaClass::Create(TMyPersistent* AOwner) const {
  if (!Factory) throw EStreamError(std::string("Cannot create an instance of abstract class ") + Name);
  return std::unique_ptr<TPersistent>(Factory(AOwner));
}

void RegisterClass(const TMetaClass& Class) {
  auto [it, inserted] = Registry().try_emplace(LowerAscii(Class.Name), &Class);
  if (!inserted && it->second != &Class)
    throw EStreamError(FormatStreamMsg(StreamMsg::ClassExists, std::string(Class.Name)));
}

const TMetaClass* GetClass(std::string_view Name) {
  const auto it = Registry().find(LowerAscii(Name));
  return it == Registry().end() ? nullptr : it->second;
}

const TMetaClass& FindClass(std::string_view Name) {
  const TMetaClass* c = GetClass(Name);
  if (!c) throw EStreamError(FormatStreamMsg(StreamMsg::ClassNotFound, std::string(Name)));
  return *c;
}

std::vector<const TMetaClass*> RegisteredClasses() {
  std::vector<const TMetaClass*> out;
  out.reserve(Registry().size());
  for (const auto& [name, cls] : Registry()) out.push_back(cls);
  std::sort(out.begin(), out.end(), [](const TMetaClass* a, const TMetaClass* b) {
    return std::string_view(a->Name) < std::string_view(b->Name);
  });
  return out;
}

std::unique_ptr<TMyPersistent> CreateMyPersistent(const TMetaClass& Class, TMyPersistent* AOwner) {
  if (!Class.InheritsFrom(TMyPersistent::StaticClass()))
    throw EStreamError(StreamMsg::InvalidPropertyValue);
  return std::unique_ptr<TMyPersistent>(static_cast<TMyPersistent*>(Class.Create(AOwner).release()));
}

void RegisterStreamingClasses() {
  RegisterClass(TCapPersistent::StaticClass());
  RegisterClass(TMyList::StaticClass());
  RegisterClass(TTxCollectFound::StaticClass());
}
