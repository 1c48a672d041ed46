#include "components/thread_components.h"

#include <memory>

#include "components/components.h"

namespace merid {

namespace {

struct ComponentModule {
  std::unique_ptr<components::TextFilter> filter;
  std::unique_ptr<components::NumberFormatter> formatter;
};

ComponentModule& module() {
  thread_local ComponentModule m;
  return m;
}

components::TextFilter& filter() {
  auto& f = module().filter;
  if (!f) f = components::createTextFilter();
  return *f;
}

components::NumberFormatter& formatter() {
  auto& f = module().formatter;
  if (!f) f = components::createNumberFormatter();
  return *f;
}

}  // namespace

std::string FilterText(const std::string& text) {
  std::string arg = text;
  return filter().FilterText(arg);
}

double AdjustNumber(double number) {
  return formatter().AdjustNumber(number);
}

std::string AmountText(double number) {
  return formatter().AmountText(number);
}

}  // namespace merid
