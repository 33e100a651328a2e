#pragma once

#include <functional>
#include <future>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {

/// The target script. A regular file (or a new one) is written into a
/// temporary file beside it and renamed into place by Commit: a generation
/// that fails, or a run that is killed, leaves the old file as it was and no
/// partial file behind. A FIFO, a device or another special file is written
/// to as it is: renaming over it would replace the node with a regular file.
/// A write that fails names the system's reason (a full disk, a file size
/// limit). Each item is followed by CR LF; an item holding a stored script
/// spans several lines.
class TScriptFile {
 public:
  /// `kept`: files the script must never be written over (the repository,
  /// the scripts read), compared as files, not as names.
  TScriptFile(const std::string& fileName, TextEncoding encoding, const std::vector<std::string>& kept = {});
  ~TScriptFile();
  TScriptFile(const TScriptFile&) = delete;
  TScriptFile& operator=(const TScriptFile&) = delete;

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

  /// `bytes` as they are: no line end after them, no re-encoding.
  void AddBytes(std::string_view bytes) {
    Write(bytes);
    line_ += static_cast<int>(CountLineEnds(bytes));
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
  void StartSync();

  /// Everything written reaches the file; a regular file takes the place of
  /// the old one.
  void Commit();

 private:
  // Items are gathered into large writes: a write call costs more than a
  // copy of a short item.
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
  void WriteOut(std::string_view bytes);
  // Has the system start writing what the file holds so far to the disk,
  // without waiting: the sync of Commit then finds little left to write.
  void StartWriteback();
  [[noreturn]] void Fail(int error);

  int handle_ = -1;
  std::string tempName_;  // the temporary file of a regular target; empty for a special file
  std::string fileName_;  // the name the user gave
  std::string target_;    // the file renamed over (symbolic links followed)
  std::string pending_;   // written, not yet handed to the file
  TextEncoding encoding_;
  int line_ = 1;  // the number of the next item's first line
  off_t written_ = 0;      // the bytes handed to the file
  off_t writtenBack_ = 0;  // the bytes StartWriteback has handed to the disk
  // StartSync's work; waited for before the file is closed.
  std::future<int> sync_;
};

/// Writes `bytes` to the file `fileName` as TScriptFile writes a script: whole
/// or not at all, a special file written to as it is, never over one of
/// `kept`. Throws ambrix::Error naming the file and the reason.
void WriteWholeFile(const std::string& fileName, std::string_view bytes, const std::vector<std::string>& kept = {});

/// Throws when `output` names the same file (device and inode) as one of
/// `kept`, or as the journal files of a SQLite repository among them.
void RefuseOutputOver(const std::string& output, const std::vector<std::string>& kept);

/// The last log line of a generation: a success only when no object was
/// passed over.
std::string GenerationResult(int skippedObjects);

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
