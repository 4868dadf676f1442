// The code pages' conversion tables, built through iconv. A code page is found under the
// names iconv gives the Windows pages ("CP1252", "WINDOWS-1252"; a few under their
// standard names), each byte and each byte pair is converted once, and the table is kept
// for the life of the process, so that a conversion is table look-ups only.
//
// Rules that make the tables answer as Windows does:
// - Double-byte pages take their lead bytes from the ranges Windows gives them (932, 936,
//   949, 950); another double-byte page iconv knows takes the bytes iconv finds incomplete
//   on their own.
// - A byte of a single-byte page in the C1 range (0x80-0x9F) that the page leaves
//   unassigned decodes to the control of the same value, and back (1252's 0x81, 0x8D,
//   0x8F, 0x90, 0x9D).
// - When two byte sequences decode to one character, the character encodes to the first
//   (in byte order).
// - Stateful encodings (shift bytes that produce no character) are not code pages here.
#include "kernel/codepage_tables.h"

#include <cerrno>
#include <iconv.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace plat {
namespace {

struct KnownPage {
  UINT cp;
  const char* iconvName;  // nullptr: the "CPnnn" and "WINDOWS-nnn" names
  const char16_t* name;
};

// Pages with a name of their own; any other page iconv knows is named by its number.
constexpr KnownPage kKnownPages[] = {
    {437, nullptr, u"OEM - United States"},
    {850, nullptr, u"OEM - Multilingual Latin I"},
    {874, nullptr, u"ANSI/OEM - Thai"},
    {932, nullptr, u"ANSI/OEM - Japanese Shift-JIS"},
    {936, nullptr, u"ANSI/OEM - Simplified Chinese GBK"},
    {949, nullptr, u"ANSI/OEM - Korean"},
    {950, nullptr, u"ANSI/OEM - Traditional Chinese Big5"},
    {1250, nullptr, u"ANSI - Central Europe"},
    {1251, nullptr, u"ANSI - Cyrillic"},
    {1252, nullptr, u"ANSI - Latin I"},
    {1253, nullptr, u"ANSI - Greek"},
    {1254, nullptr, u"ANSI - Turkish"},
    {1255, nullptr, u"ANSI - Hebrew"},
    {1256, nullptr, u"ANSI - Arabic"},
    {1257, nullptr, u"ANSI - Baltic"},
    {1258, nullptr, u"ANSI/OEM - Viet Nam"},
    {20127, "ANSI_X3.4-1968", u"US-ASCII"},
    {20866, "KOI8-R", u"Russian - KOI8"},
    {21866, "KOI8-U", u"Ukrainian - KOI8-U"},
    {28591, "ISO-8859-1", u"ISO 8859-1 Latin I"},
    {28592, "ISO-8859-2", u"ISO 8859-2 Central Europe"},
    {28595, "ISO-8859-5", u"ISO 8859-5 Cyrillic"},
    {28597, "ISO-8859-7", u"ISO 8859-7 Greek"},
    {28605, "ISO-8859-15", u"ISO 8859-15 Latin 9"},
};

// The double-byte pages' lead bytes and the trail bytes tried after them.
struct DoubleBytePage {
  UINT cp;
  std::pair<BYTE, BYTE> lead[2];
  BYTE trailFirst, trailLast;
};
constexpr DoubleBytePage kDoubleBytePages[] = {
    {932, {{0x81, 0x9F}, {0xE0, 0xFC}}, 0x40, 0xFC},
    {936, {{0x81, 0xFE}, {0, 0}}, 0x40, 0xFE},
    {949, {{0x81, 0xFE}, {0, 0}}, 0x41, 0xFE},
    {950, {{0x81, 0xFE}, {0, 0}}, 0x40, 0xFE},
};

const KnownPage* FindKnown(UINT cp) {
  for (const auto& k : kKnownPages)
    if (k.cp == cp) return &k;
  return nullptr;
}

const DoubleBytePage* FindDoubleByte(UINT cp) {
  for (const auto& d : kDoubleBytePages)
    if (d.cp == cp) return &d;
  return nullptr;
}

// An iconv descriptor from the page to UTF-16LE, closed with the object.
class Decoder {
 public:
  explicit Decoder(UINT cp) {
    const KnownPage* known = FindKnown(cp);
    if (known && known->iconvName) {
      Open(known->iconvName);
    } else {
      Open("CP" + std::to_string(cp));
      if (!ok()) Open("WINDOWS-" + std::to_string(cp));
    }
    if (ok()) iconvName_ = lastTried_;
  }
  ~Decoder() {
    if (ok()) iconv_close(cd_);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  const std::string& iconvName() const { return iconvName_; }

  enum class Result { Char, Invalid, Incomplete, NoOutput };
  // Converts exactly these bytes into one UTF-16 unit.
  Result One(const char* in, std::size_t n, char16_t& out) {
    char buf[8];
    char* pin = const_cast<char*>(in);
    char* pout = buf;
    std::size_t inLeft = n, outLeft = sizeof buf;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    const std::size_t r = iconv(cd_, &pin, &inLeft, &pout, &outLeft);
    if (r == static_cast<std::size_t>(-1)) return errno == EINVAL ? Result::Incomplete : Result::Invalid;
    if (inLeft != 0) return Result::Invalid;
    // Pages that combine characters (1255, 1258) hold the last one back until the end.
    if (iconv(cd_, nullptr, nullptr, &pout, &outLeft) == static_cast<std::size_t>(-1)) return Result::Invalid;
    const std::size_t produced = sizeof buf - outLeft;
    if (produced == 0) return Result::NoOutput;
    if (produced != 2) return Result::Invalid;
    out = static_cast<char16_t>(static_cast<unsigned char>(buf[0]) | (static_cast<unsigned char>(buf[1]) << 8));
    return Result::Char;
  }

 private:
  void Open(const std::string& name) {
    lastTried_ = name;
    cd_ = iconv_open("UTF-16LE", name.c_str());
  }
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
  std::string lastTried_;
  std::string iconvName_;
};

std::unique_ptr<CodePageTable> Build(UINT cp) {
  Decoder dec(cp);
  if (!dec.ok()) return nullptr;
  auto t = std::make_unique<CodePageTable>();
  t->codePage = cp;
  t->encode.assign(0x10000, 0);

  // Lead bytes: the documented ranges, or what iconv finds incomplete on its own.
  BYTE trailFirst = 0x21, trailLast = 0xFE;
  if (const DoubleBytePage* d = FindDoubleByte(cp)) {
    for (const auto& r : d->lead) {
      if (!r.first) continue;
      t->leadRanges.push_back(r);
      for (int b = r.first; b <= r.second; ++b) t->lead[b] = true;
    }
    trailFirst = d->trailFirst;
    trailLast = d->trailLast;
  } else {
    for (int b = 1; b < 256; ++b) {
      const char in = static_cast<char>(b);
      char16_t u = 0;
      const Decoder::Result r = dec.One(&in, 1, u);
      if (r == Decoder::Result::NoOutput) return nullptr;  // a shift byte: stateful
      if (r == Decoder::Result::Incomplete) t->lead[b] = true;
    }
    for (int b = 1; b < 256; ++b) {
      if (!t->lead[b]) continue;
      if (!t->leadRanges.empty() && t->leadRanges.back().second == b - 1)
        t->leadRanges.back().second = static_cast<BYTE>(b);
      else
        t->leadRanges.emplace_back(static_cast<BYTE>(b), static_cast<BYTE>(b));
    }
    if (t->leadRanges.size() > 5) return nullptr;  // more than CPINFO can describe
  }
  const bool doubleByte = !t->leadRanges.empty();
  t->maxCharSize = doubleByte ? 2 : 1;
  const KnownPage* known = FindKnown(cp);
  // The katakana middle dot for the East Asian pages, '?' for the others.
  t->unicodeDefault = doubleByte ? u'\u30FB' : u'?';
  if (known) {
    t->name = known->name;
  } else {
    for (char c : dec.iconvName()) t->name.push_back(static_cast<char16_t>(c));
  }
  std::u16string number;
  for (char c : std::to_string(cp)) number.push_back(static_cast<char16_t>(c));
  t->name = number + u" (" + t->name + u")";

  auto addEncode = [&](char16_t u, std::uint16_t code) {
    if (u != 0 && t->encode[u] == 0) t->encode[u] = code;
  };
  int singles = 0;
  std::uint8_t nextLead = 0;
  for (int b = 0; b < 256; ++b) {
    const BYTE byte = static_cast<BYTE>(b);
    if (t->lead[b]) {
      t->leadIndex[b] = nextLead++;
      t->pairs.resize(static_cast<std::size_t>(nextLead) * 256, 0);
      for (int trail = trailFirst; trail <= trailLast; ++trail) {
        const char in[2] = {static_cast<char>(b), static_cast<char>(trail)};
        char16_t u = 0;
        if (dec.One(in, 2, u) != Decoder::Result::Char || u == 0) continue;
        t->pairs[static_cast<std::size_t>(t->leadIndex[b]) * 256 + static_cast<std::size_t>(trail)] = u;
        addEncode(u, static_cast<std::uint16_t>((b << 8) | trail));
      }
      continue;
    }
    const char in = static_cast<char>(b);
    char16_t u = 0;
    const Decoder::Result r = dec.One(&in, 1, u);
    if (r == Decoder::Result::NoOutput) return nullptr;
    if (r != Decoder::Result::Char) {
      if (doubleByte || byte < 0x80 || byte > 0x9F) continue;
      u = static_cast<char16_t>(byte);  // an unassigned C1 byte stands for itself
    }
    t->single[b] = u;
    t->singleValid[b] = true;
    ++singles;
    if (b == 0) continue;
    addEncode(u, byte);
  }
  // A page that decodes less than ASCII's printable range is no ANSI code page.
  if (singles < 0x60) return nullptr;
  return t;
}

struct Cache {
  std::mutex lock;
  std::unordered_map<UINT, std::unique_ptr<CodePageTable>> tables;  // nullptr: unknown
};

Cache& TheCache() {
  static Cache* c = new Cache;  // lives as long as the process, past static destruction
  return *c;
}

}  // namespace

const CodePageTable* FindCodePageTable(UINT cp) {
  // The page asked last by this thread, without the lock (tables are never freed).
  thread_local UINT lastCp = 0;
  thread_local const CodePageTable* lastTable = nullptr;
  if (lastTable && lastCp == cp) return lastTable;
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  auto it = c.tables.find(cp);
  if (it == c.tables.end()) it = c.tables.emplace(cp, Build(cp)).first;
  const CodePageTable* t = it->second.get();
  if (t) {
    lastCp = cp;
    lastTable = t;
  }
  return t;
}

}  // namespace plat
