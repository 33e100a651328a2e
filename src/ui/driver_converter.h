#pragma once

#include <memory>

#include <QString>

#include "ui/converter_port.h"

namespace ambrix::ui {

/// The converter object of the driver behind the window's interface,
/// connected to `repository` (empty: the embedded default repository).
/// Throws when the repository cannot be reached.
std::unique_ptr<IConverterPort> CreateDriverConverter(const QString& repository);

}  // namespace ambrix::ui
