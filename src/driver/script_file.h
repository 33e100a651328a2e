#pragma once

#include <functional>
#include <future>
#include <string>
#include <string_view>

#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {

/// The target script, written into a temporary file beside the target and
/// renamed into place by Commit: a generation that fails leaves the old file
/// as it was and no partial file behind. Each item is followed by CR LF; an
/// item holding a stored script spans several lines.
class TScriptFile {
 public:
  TScriptFile(const std::string& fileName, TextEncoding encoding)
      : file_(QString::fromStdString(fileName)), fileName_(fileName), encoding_(encoding) {
    if (fileName.empty()) throw Error("Не указан файл скрипта");
    if (!file_.open(QIODevice::WriteOnly)) Fail();
  }

  void Add(std::string_view item) {
    if (encoding_ == TextEncoding::Utf8) {
      Write(item);  // the program's strings are UTF-8 already
    } else {
      try {
        Write(EncodeText(item, encoding_, line_));
      } catch (const Error& error) {
        throw Error("Скрипт не записан в файл \"" + fileName_ + "\": " + error.what());
      }
    }
    line_ += static_cast<int>(CountLineEnds(item));
    Write("\r\n");
    ++line_;
  }

  /// The "GO" that ends a batch, and a blank line: the same bytes in every
  /// encoding the file is written in.
  void AddGo() {
    Write("GO\r\n\r\n");
    line_ += 2;
  }

  /// The number of the next item's first line.
  int Line() const { return line_; }

  /// Hands what is written to the file and has its data reach the disk, the
  /// slow part of Commit, on a thread of its own while the caller goes on.
  void StartSync() {
    Flush();
    if (!file_.flush()) Fail();
    const int handle = file_.handle();
    if (handle >= 0) sync_ = std::async(std::launch::async, [handle] { ::fdatasync(handle); });
  }

  void Commit() {
    if (sync_.valid()) sync_.get();
    Flush();
    if (!file_.commit()) Fail();
  }

 private:
  // Items are gathered into large writes: a file device's write costs more
  // than a copy of a short item.
  static constexpr std::size_t kFlushSize = std::size_t{1} << 20;

  void Write(std::string_view bytes) {
    if (pending_.size() + bytes.size() > kFlushSize) Flush();
    if (bytes.size() >= kFlushSize) {
      WriteOut(bytes);  // a large script goes out as it is
      return;
    }
    if (pending_.capacity() < kFlushSize) pending_.reserve(kFlushSize);
    pending_.append(bytes);
  }
  void Flush() {
    WriteOut(pending_);
    pending_.clear();
  }
  void WriteOut(std::string_view bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (size > 0 && file_.write(bytes.data(), size) != size) Fail();
    StartWriteback();
  }
  // Has the system start writing what the file holds so far to the disk,
  // without waiting: the sync of Commit then finds little left to write.
  void StartWriteback() {
#ifdef __linux__
    const qint64 written = file_.pos();
    if (written - writtenBack_ < static_cast<qint64>(kFlushSize)) return;
    if (!file_.flush()) Fail();
    const int handle = file_.handle();
    if (handle >= 0) ::sync_file_range(handle, writtenBack_, written - writtenBack_, SYNC_FILE_RANGE_WRITE);
    writtenBack_ = written;
#endif
  }
  [[noreturn]] void Fail() {
    throw Error("Не удалось записать файл скрипта \"" + fileName_ + "\": " + file_.errorString().toStdString());
  }

  QSaveFile file_;
  std::string pending_;  // written, not yet handed to the file
  std::string fileName_;
  TextEncoding encoding_;
  int line_ = 1;  // the number of the next item's first line
  qint64 writtenBack_ = 0;  // the bytes StartWriteback has handed to the disk
  // StartSync's work; waited for (destroyed) before the file is closed.
  std::future<void> sync_;
};

/// The encoding of the target script: UTF-8 unless Windows-1251 is named.
TextEncoding OutputEncoding(const std::string& name);

/// The header of a target script: the project's name, the types taking part
/// (`typeList`, quoted lower-case names), the date and time of generation;
/// then the heading of the drop section.
void WriteScriptHeader(TScriptFile& file, const std::string& projectName, const std::string& typeList);
/// One object's drop script, and the GO that ends it.
void WriteDropScript(TScriptFile& file, std::string_view dropScript);
/// The heading of the creation section.
void WriteCreationHeading(TScriptFile& file);
/// One object's creation script after the print line that names it, each
/// ended by GO. Returns the line (from 1) where the script starts.
int WriteCreationScript(TScriptFile& file, std::string_view objectName, std::string_view destScript);

}  // namespace ambrix
