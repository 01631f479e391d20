// The journal of a save: what it writes, keeps and removes, with a checksum so a damaged
// one is told apart from a whole one.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

#include "notes/note_store_internal.h"
#include "util/file_io.h"
#include "util/hashing.h"
#include "util/text_codec.h"

namespace tarvik::notes::note_store_detail {
namespace {

constexpr std::string_view kJournalMagic = "tarvik-notes-journal 1";
constexpr std::string_view kChecksumMark = "end ";
constexpr std::size_t kChecksumLineSize = 4 + 16 + 1;  // "end " + hex checksum + "\n"

std::uint64_t JournalChecksum(std::string_view body) {
  return util::Fnv1a(body);
}

}  // namespace

std::wstring TemporaryName(std::wstring_view finalName, const std::wstring& token) {
  std::wstring name(finalName);
  name += util::kTemporaryMark;
  name += token;
  return name;
}

std::wstring NewSaveToken() {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  return std::to_wstring(static_cast<unsigned long long>(ticks)) + L"-" +
         std::to_wstring(++counter);
}

std::string EncodeJournal(const Journal& journal) {
  std::string out(kJournalMagic);
  out += ' ';
  out += util::ToUtf8(journal.token);
  out += '\n';
  for (const JournalEntry& entry : journal.entries) {
    const std::string name = util::ToUtf8(entry.name);
    out += static_cast<char>(entry.step);
    out += ' ';
    out += std::to_string(name.size());
    out += ' ';
    out += name;
    out += '\n';
  }
  AppendChecksumLine(out, JournalChecksum);
  return out;
}

void AppendChecksumLine(std::string& body, ChecksumOf sum) {
  const std::uint64_t value = sum(body);
  body += kChecksumMark;
  body += util::Hex16(value);
  body += '\n';
}

std::optional<std::string_view> BodyBeforeChecksumLine(std::string_view bytes, ChecksumOf sum) {
  if (bytes.size() < kChecksumLineSize) return std::nullopt;
  const std::string_view body = bytes.substr(0, bytes.size() - kChecksumLineSize);
  if (bytes.substr(body.size()) != std::string(kChecksumMark) + util::Hex16(sum(body)) + "\n")
    return std::nullopt;
  return body;
}

std::optional<Journal> DecodeJournal(std::string_view bytes) {
  const std::optional<std::string_view> checked = BodyBeforeChecksumLine(bytes, JournalChecksum);
  if (!checked) return std::nullopt;
  const std::string_view body = *checked;

  std::size_t at = body.find('\n');
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view header = body.substr(0, at);
  if (header.size() <= kJournalMagic.size() + 1 ||
      header.substr(0, kJournalMagic.size()) != kJournalMagic ||
      header[kJournalMagic.size()] != ' ') {
    return std::nullopt;
  }
  const std::string_view token = header.substr(kJournalMagic.size() + 1);
  if (!std::all_of(token.begin(), token.end(),
                   [](char c) { return (c >= '0' && c <= '9') || c == '-'; })) {
    return std::nullopt;
  }
  Journal journal;
  journal.token = util::FromUtf8(token);
  ++at;
  while (at < body.size()) {
    // <step> ' ' <length> ' ' <name> '\n'
    if (body.size() - at < 5 || body[at + 1] != ' ') return std::nullopt;
    const char step = body[at];
    if (step != 'K' && step != 'W' && step != 'D') return std::nullopt;
    at += 2;
    std::size_t length = 0;
    std::size_t digits = 0;
    while (at < body.size() && body[at] >= '0' && body[at] <= '9' && digits < 9) {
      length = length * 10 + static_cast<std::size_t>(body[at] - '0');
      ++at, ++digits;
    }
    if (digits == 0 || at >= body.size() || body[at] != ' ') return std::nullopt;
    ++at;
    if (length == 0 || body.size() - at < length + 1 || body[at + length] != '\n')
      return std::nullopt;
    journal.entries.push_back({static_cast<Step>(step), util::FromUtf8(body.substr(at, length))});
    at += length + 1;
  }
  return journal;
}

}  // namespace tarvik::notes::note_store_detail
