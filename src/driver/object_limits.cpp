#include "driver/object_limits.h"

#include <string>

#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

void CheckObjectLimits(const std::vector<TBatchObject>& objects) {
  for (const TBatchObject& object : objects) {
    if (!object.Selected) continue;
    const std::size_t length = Utf8Length(object.ObjectName);
    if (length <= kObjectNameLimit) continue;
    const std::string shown = object.ObjectName.substr(0, Utf8ByteOffset(object.ObjectName, 40));
    throw Error("Имя обьекта " + LowerCase(object.TypeName) + " [" + shown + "...] длиннее " +
                std::to_string(kObjectNameLimit) + " символов (" + std::to_string(length) +
                "): обьект не сохранён; дайте ему (или ограничению без имени) имя короче");
  }
}

}  // namespace ambrix
