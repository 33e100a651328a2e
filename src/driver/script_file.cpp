#include "driver/script_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

constexpr std::string_view kHeaderStart = "/******************************************************";
constexpr std::string_view kHeaderEnd = "*******************************************************/";

}  // namespace

namespace {

// Why a write failed, in words a user acts on; the system's own text follows.
struct WriteErrorText {
  int error;
  const char* text;
};
constexpr WriteErrorText kWriteErrorTexts[] = {
    {ENOSPC, "на диске нет места"},
    {EDQUOT, "исчерпана дисковая квота"},
    {EFBIG, "файл превысил предельный размер (ограничение ОС на размер файла, ulimit -f)"},
    {EACCES, "нет прав на запись"},
    {EROFS, "файловая система только для чтения"},
    {EISDIR, "это папка, а не файл"},
    {ENOENT, "нет такой папки"},
};

std::string WriteErrorReason(int error) {
  const std::string system = std::strerror(error);
  for (const WriteErrorText& known : kWriteErrorTexts)
    if (known.error == error) return std::string(known.text) + " (" + system + ")";
  return system;
}

bool SameNode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

void RefuseOutputOver(const std::string& output, const std::vector<std::string>& kept) {
  struct stat out {};
  if (::stat(output.c_str(), &out) != 0) return;  // a new file is none of them
  for (const std::string& file : kept) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
      struct stat other {};
      if (::stat((file + suffix).c_str(), &other) == 0 && SameNode(out, other))
        throw Error("Скрипт не записан: файл \"" + output + "\" — это \"" + file + suffix +
                    "\", который конвертор читает; укажите другой файл");
    }
  }
}

TScriptFile::TScriptFile(const std::string& fileName, TextEncoding encoding, const std::vector<std::string>& kept)
    : fileName_(fileName), target_(fileName), encoding_(encoding) {
  if (fileName.empty()) throw Error("Не указан файл скрипта");
  RefuseOutputOver(fileName, kept);
  struct stat existing {};
  bool exists = false;
  if (::stat(fileName.c_str(), &existing) == 0) {
    exists = true;
    if (S_ISDIR(existing.st_mode)) Fail(EISDIR);
    if (!S_ISREG(existing.st_mode)) {
      // A FIFO waits here for its reader; a device takes the bytes as they come.
      handle_ = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (handle_ < 0) Fail(errno);
      return;
    }
    // A symbolic link stays; the file it names is replaced.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(fileName, error);
    if (!error) target_ = real.string();
  } else if (errno != ENOENT) {
    Fail(errno);
  }
  const std::filesystem::path target(target_);
  std::random_device random;
  for (int attempt = 0; handle_ < 0; ++attempt) {
    tempName_ = (target.parent_path() / ("." + target.filename().string() + "." + std::to_string(random()) + ".tmp"))
                    .string();
    // Created as a new file would be (the umask applies), then given the
    // old file's permissions.
    handle_ = ::open(tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle_ < 0 && (errno != EEXIST || attempt > 100)) {
      const int error = errno;
      tempName_.clear();
      Fail(error);
    }
  }
  if (exists) (void)::fchmod(handle_, existing.st_mode & 07777);
}

TScriptFile::~TScriptFile() {
  if (sync_.valid()) sync_.wait();
  if (handle_ >= 0) ::close(handle_);
  if (!tempName_.empty()) ::unlink(tempName_.c_str());
}

void TScriptFile::WriteOut(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(handle_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
    written_ += n;
  }
  StartWriteback();
}

void TScriptFile::StartWriteback() {
#ifdef __linux__
  if (tempName_.empty() || written_ - writtenBack_ < static_cast<off_t>(kFlushSize)) return;
  ::sync_file_range(handle_, writtenBack_, written_ - writtenBack_, SYNC_FILE_RANGE_WRITE);
  writtenBack_ = written_;
#endif
}

void TScriptFile::StartSync() {
  Flush();
  if (tempName_.empty()) return;  // a special file has no data of its own to sync
  const int handle = handle_;
  sync_ = std::async(std::launch::async, [handle] { return ::fdatasync(handle) == 0 ? 0 : errno; });
}

void TScriptFile::Commit() {
  // A full disk may show only when the data reaches it.
  int error = sync_.valid() ? sync_.get() : 0;
  if (error != 0) Fail(error);
  Flush();
  if (!tempName_.empty() && ::fdatasync(handle_) != 0) Fail(errno);
  error = ::close(handle_) == 0 ? 0 : errno;
  handle_ = -1;
  if (error != 0) Fail(error);
  if (tempName_.empty()) return;
  if (::rename(tempName_.c_str(), target_.c_str()) != 0) Fail(errno);
  tempName_.clear();
}

void WriteWholeFile(const std::string& fileName, std::string_view bytes, const std::vector<std::string>& kept) {
  TScriptFile file(fileName, TextEncoding::Utf8, kept);
  file.AddBytes(bytes);
  file.Commit();
}

void TScriptFile::Fail(int error) {
  throw Error("Не удалось записать файл скрипта \"" + fileName_ + "\": " + WriteErrorReason(error));
}

std::string GenerationResult(int skippedObjects) {
  if (skippedObjects == 0) return "Скрипт успешно сгенерирован";
  return "Скрипт сгенерирован без обьектов с ошибками (" + std::to_string(skippedObjects) +
         "): их нет ни в удалении, ни в создании";
}

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
