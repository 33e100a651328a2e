#include "driver/script_file.h"

#include <ctime>

#include <fcntl.h>
#include <unistd.h>

#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

constexpr std::string_view kHeaderStart = "/******************************************************";
constexpr std::string_view kHeaderEnd = "*******************************************************/";

}  // namespace

TextEncoding OutputEncoding(const std::string& name) {
  const TextEncoding encoding = EncodingFromName(name);
  if (encoding == TextEncoding::Auto || encoding == TextEncoding::Utf8) return TextEncoding::Utf8;
  if (encoding == TextEncoding::Windows1251) return encoding;
  throw Error("Запись в кодировке " + std::string(EncodingName(encoding)) + " не поддерживается");
}

namespace {

// The local date and time of the header: a short date, a blank, the time
// with seconds.
std::string GenerationTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
  return text;
}


}  // namespace

void WriteScriptHeader(TScriptFile& file, const std::string& projectName, const std::string& typeList) {
  file.Add(kHeaderStart);
  file.Add("> Velkor Ambrix Data Convertor");
  // The project's name is anybody's text: it must stay inside the comment.
  file.Add("> Проект: \"" + CommentSafeText(projectName) + "\"");
  file.Add("> Участвующие типы обьектов: " + typeList);
  file.Add("> Дата генерации: " + GenerationTime());
  file.Add(kHeaderEnd);
  file.Add("");
  file.Add("");
  file.Add(kHeaderStart);
  file.Add("> Удаление существующих обьектов базы данных");
  file.Add(kHeaderEnd);
  file.Add("");
}

void WriteDropScript(TScriptFile& file, std::string_view dropScript) {
  file.Add(dropScript);
  file.AddGo();
}

void WriteCreationHeading(TScriptFile& file) {
  file.Add("");
  file.Add("");
  file.Add(kHeaderStart);
  file.Add("> Создание обьектов базы данных");
  file.Add(kHeaderEnd);
  file.Add("");
}

int WriteCreationScript(TScriptFile& file, std::string_view objectName, std::string_view destScript) {
  // Each object's print line is made in the same room.
  thread_local std::string print;
  print.assign("/* -------------- */ print ");
  AppendTargetStringLiteral(print, objectName);
  file.Add(print);
  file.AddGo();
  const int line = file.Line();
  file.Add(destScript);
  file.AddGo();
  return line;
}

}  // namespace ambrix
