#include "util/reg_exp.h"

#include <functional>
#include <regex>

#include "util/large_stack.h"

namespace tarvik::util {
namespace {

constexpr auto kSyntax = std::regex_constants::ECMAScript | std::regex_constants::multiline;

// Short texts run here; longer ones on a large stack, since the compiler's and the matcher's
// recursion grow with the length of the pattern and of the text.
constexpr std::size_t kInlineTextLimit = 256;

bool RunGuarded(std::size_t size, const std::function<void()>& work) {
  return util::RunGuarded(size, kInlineTextLimit, work);
}

// In ECMAScript both CR and LF end a line, so '^' and '$' would also match between the two
// characters of a CR LF pair. Text on Windows uses CR LF; an empty match there is skipped
// so that a pair is never split.
bool SplitsLineBreak(const std::wstring& text, const std::wsmatch& match) {
  if (match.length(0) != 0) return false;
  const auto position = static_cast<std::size_t>(match.position(0));
  return position > 0 && position < text.size() && text[position - 1] == L'\r' &&
         text[position] == L'\n';
}

}  // namespace

std::optional<std::wstring> RegExpReplaceAll(const std::wstring& text, const std::wstring& pattern,
                                             const std::wstring& replacement) {
  std::wstring result;
  const bool ok = RunGuarded(text.size() + pattern.size(), [&] {
    const std::wregex re(pattern, kSyntax);
    std::size_t copied = 0;
    for (std::wsregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
      const std::wsmatch& match = *it;
      if (SplitsLineBreak(text, match)) continue;
      const auto position = static_cast<std::size_t>(match.position(0));
      result.append(text, copied, position - copied);
      result += match.format(replacement, std::regex_constants::format_default);
      copied = position + static_cast<std::size_t>(match.length(0));
    }
    result.append(text, copied, std::wstring::npos);
  });
  if (!ok) return std::nullopt;
  return result;
}

std::optional<std::ptrdiff_t> RegExpFind(const std::wstring& text, const std::wstring& pattern) {
  std::ptrdiff_t position = -1;
  const bool ok = RunGuarded(text.size() + pattern.size(), [&] {
    const std::wregex re(pattern, kSyntax);
    for (std::wsregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
      if (SplitsLineBreak(text, *it)) continue;
      position = it->position(0);
      break;
    }
  });
  if (!ok) return std::nullopt;
  return position;
}

}  // namespace tarvik::util
