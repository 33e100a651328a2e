#include "recognition/sql_object.h"

#include <utility>

namespace ambrix {

TSQLObject::TSQLObject(std::string typeName, std::string objectName, std::string parentName,
                       std::vector<std::string> lines)
    : ParentName(std::move(parentName)),
      ObjectName(std::move(objectName)),
      Script(std::move(lines)),
      TypeName(std::move(typeName)) {}

void TSQLObjectList::AddObject(std::string typeName, std::string objectName,
                               std::string parentName, std::vector<std::string> lines) {
  items_.push_back(std::make_unique<TSQLObject>(std::move(typeName), std::move(objectName),
                                                std::move(parentName), std::move(lines)));
}

}  // namespace ambrix
