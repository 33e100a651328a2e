#pragma once

#include <memory>

#include <QString>

#include "ui/converter_port.h"

namespace ambrix {
class TConvertDataModule;
}

namespace ambrix::ui {

/// The converter object of the driver behind the window's interface,
/// connected to `repository` (empty: the embedded default repository).
/// Throws when the repository cannot be reached.
std::unique_ptr<IConverterPort> CreateDriverConverter(const QString& repository);

/// The window's interface over a converter object made elsewhere (tests
/// reach the repository through it while the window drives it).
std::unique_ptr<IConverterPort> WrapConverter(std::unique_ptr<TConvertDataModule> module);

}  // namespace ambrix::ui
