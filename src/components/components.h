#pragma once
// Outside components the system creates by class id on Windows. Here they are
// interfaces with built-in implementations; a test (or a host) installs a
// factory to put its own in. A method that fails throws, as a failing HRESULT
// would raise a run-time failure in the calling routine.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/settings_store.h"

namespace merid::components {

// What a host installs to create a component of its own.
template <class T>
using Factory = std::function<std::unique_ptr<T>()>;

class LogWriter {
 public:
  virtual ~LogWriter() = default;
  virtual void SetSourceName(const std::string& name) = 0;
  virtual void SetFilePath(const std::string& path) = 0;
  virtual void SetLogMode(int16_t mode) = 0;
  virtual void WriteEntry(const std::string& tag, const std::string& message, const void* object,
                          int16_t number, const std::string& text) = 0;
};

// Prepares free text for the printer: what it returns is printed in place of
// the host's text.
class TextFilter {
 public:
  virtual ~TextFilter() = default;
  virtual std::string FilterText(std::string& text) = 0;
};

class NumberFormatter {
 public:
  virtual ~NumberFormatter() = default;
  virtual double AdjustNumber(double& number) = 0;
  virtual std::string AmountText(double& number) = 0;
};

// Called between the commands sent before the daily closing.
class ZReportComponent {
 public:
  virtual ~ZReportComponent() = default;
  virtual void Wait(int32_t& milliseconds) = 0;
};

// Creating a component: the installed factory when there is one, else the
// built-in implementation. Creation that fails throws.
std::unique_ptr<LogWriter> createLogWriter();
std::unique_ptr<platform::SettingsStore> createSettingsStore();
std::unique_ptr<TextFilter> createTextFilter();
std::unique_ptr<NumberFormatter> createNumberFormatter();
std::unique_ptr<ZReportComponent> createZReportComponent();

// Each setter returns the previous factory; an empty one restores the built-in.
Factory<LogWriter> setLogWriterFactory(Factory<LogWriter> f);
Factory<platform::SettingsStore> setSettingsStoreFactory(Factory<platform::SettingsStore> f);
Factory<TextFilter> setTextFilterFactory(Factory<TextFilter> f);
Factory<NumberFormatter> setNumberFormatterFactory(Factory<NumberFormatter> f);
Factory<ZReportComponent> setZReportComponentFactory(Factory<ZReportComponent> f);

std::unique_ptr<LogWriter> builtinLogWriter();
std::unique_ptr<TextFilter> builtinTextFilter();
std::unique_ptr<NumberFormatter> builtinNumberFormatter();
std::unique_ptr<ZReportComponent> builtinZReportComponent();

}  // namespace merid::components
