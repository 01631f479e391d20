#pragma once
// The design data of a control: named values with the rule that a value equal to its default
// is not stored, so a control read back with the same defaults comes out as it went in.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvik::widgets {

class PropertyBag {
 public:
  // The stored value, or defaultValue when the property is not stored.
  std::int64_t ReadProperty(const std::wstring& name, std::int64_t defaultValue);
  // Stores value; a value equal to defaultValue is left out (and an older one dropped).
  void WriteProperty(const std::wstring& name, std::int64_t value, std::int64_t defaultValue);
  bool Contains(const std::wstring& name) const { return values_.count(name) != 0; }

  // The names in the order they were read and written.
  const std::vector<std::wstring>& Reads() const { return reads_; }
  const std::vector<std::wstring>& Writes() const { return writes_; }

 private:
  std::map<std::wstring, std::int64_t> values_;
  std::vector<std::wstring> reads_;
  std::vector<std::wstring> writes_;
};

}  // namespace tarvik::widgets
