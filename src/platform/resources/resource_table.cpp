#include <algorithm>

#include "plat/rc_script.h"
#include "plat/system.h"
#include "plat/wstr.h"

namespace plat {

ResId ResId::Str(std::u16string_view s) { return ResId{false, 0, UpperCase(s)}; }

bool ResId::FromPointer(LPCWSTR p, ResId& out) {
  if (!p) return false;
  const auto bits = reinterpret_cast<std::uintptr_t>(p);
  if ((bits >> 16) == 0) {
    out = Int(static_cast<WORD>(bits));
    return true;
  }
  if (p[0] == u'#') {
    std::uint32_t v = 0;
    std::size_t i = 1;
    for (; p[i]; ++i) {
      if (p[i] < u'0' || p[i] > u'9') break;
      v = v * 10 + static_cast<std::uint32_t>(p[i] - u'0');
      if (v > 0xFFFF) break;
    }
    if (i > 1 && !p[i]) {
      out = Int(static_cast<WORD>(v));
      return true;
    }
  }
  out = Str(View(p));
  return true;
}

bool ResourceTable::Add(ResourceEntry entry) {
  if (Find(entry.type, entry.name, entry.language)) return false;
  entries_.push_back(std::move(entry));
  return true;
}

const ResourceEntry* ResourceTable::Find(const ResId& type, const ResId& name, LANGID lang) const {
  for (const auto& e : entries_)
    if (e.language == lang && e.type == type && e.name == name) return &e;
  return nullptr;
}

const ResourceEntry* ResourceTable::FindDefault(const ResId& type, const ResId& name) const {
  std::vector<const ResourceEntry*> candidates;
  for (const auto& e : entries_)
    if (e.type == type && e.name == name) candidates.push_back(&e);
  if (candidates.empty()) return nullptr;
  const auto& m = Machine();
  const LANGID user = static_cast<LANGID>(m.userLcid & 0xFFFF);
  const LANGID system = static_cast<LANGID>(m.systemLcid & 0xFFFF);
  auto exact = [&](LANGID l) -> const ResourceEntry* {
    for (auto* e : candidates)
      if (e->language == l) return e;
    return nullptr;
  };
  if (auto* e = exact(user)) return e;
  if (auto* e = exact(0)) return e;
  for (auto* e : candidates)
    if ((e->language & 0x3FF) == (user & 0x3FF)) return e;
  if (auto* e = exact(system)) return e;
  if (auto* e = exact(0x0409)) return e;
  return candidates.front();
}

bool ResourceTable::Owns(const void* entry) const {
  for (const auto& e : entries_)
    if (&e == entry) return true;
  return false;
}

std::vector<BYTE> BuildStringBlock(const std::map<WORD, std::u16string>& strings, WORD blockIndex) {
  std::vector<BYTE> out;
  for (unsigned i = 0; i < 16; ++i) {
    const unsigned id = static_cast<unsigned>(blockIndex) * 16 + i;
    std::u16string_view text;
    if (id <= 0xFFFF) {
      auto it = strings.find(static_cast<WORD>(id));
      if (it != strings.end()) text = it->second;
    }
    if (text.size() > 0xFFFF) text = text.substr(0, 0xFFFF);
    const WORD len = static_cast<WORD>(text.size());
    out.push_back(static_cast<BYTE>(len & 0xFF));
    out.push_back(static_cast<BYTE>(len >> 8));
    for (WCHAR c : text) {
      out.push_back(static_cast<BYTE>(c & 0xFF));
      out.push_back(static_cast<BYTE>(c >> 8));
    }
  }
  return out;
}

}  // namespace plat
