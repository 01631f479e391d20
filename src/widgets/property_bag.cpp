#include "widgets/property_bag.h"

namespace tarvik::widgets {

std::int64_t PropertyBag::ReadProperty(const std::wstring& name, std::int64_t defaultValue) {
  reads_.push_back(name);
  const auto it = values_.find(name);
  return it == values_.end() ? defaultValue : it->second;
}

void PropertyBag::WriteProperty(const std::wstring& name, std::int64_t value,
                                std::int64_t defaultValue) {
  writes_.push_back(name);
  if (value == defaultValue) {
    values_.erase(name);
  } else {
    values_[name] = value;
  }
}

}  // namespace tarvik::widgets
