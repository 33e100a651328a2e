#include "ui/driver_converter.h"

#include "text/error.h"

namespace ambrix::ui {

std::unique_ptr<IConverterPort> CreateDriverConverter(const QString& repository) {
  (void)repository;
  throw Error("Конвертор не подключен к репозиторию");
}

}  // namespace ambrix::ui
