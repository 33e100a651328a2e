#include "conversion/batch_conversion.h"

#include <cstring>

#include "conversion/convert_core.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "recognition/batch_statements.h"
#include "recognition/command.h"
#include "recognition/sql_object.h"
#include "text/encoding.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// Parses the batch and recognises its statements; the objects go to
// `objects`, the log lines to `log`.
void RecogniseBatch(TConvertCore& core, std::vector<std::string>& lines, TSQLObjectList& objects,
                    const std::function<void(const std::string&)>& log) {
  TParserWordList& words = core.Words;
  const auto incomprehensible = [&](int startLine) {
    const auto line = static_cast<std::size_t>(startLine);
    log("Не понятная команда: \"" + (line < lines.size() ? lines[line] : std::string()) + "\"");
  };
  const auto isCommand = [](const TTerm* term) { return term->Kind == tkDefined && term->TypeName == "DML"; };
  const auto isSettings = [](const TTerm* term) { return term != nullptr && term->StartText() == "SET"; };
  // A batch whose first word is neither a comment nor a command (the "if
  // exists ... drop" before each object of a generated script, a PRINT) is
  // only checked: no parse result is made for it, unless a statement that
  // may be recognised (a command, a procedure call) starts further on.
  const std::string& comment = core.Context.CommentTermName;
  const TCommandList& commands = core.Commands;
  const auto recognisable = [&](const TTerm* term) {
    return term->Kind == tkDefined &&
           (commands.IndexOfKeyTerm(term) >= 0 || term->StartText() == "EXEC" || term->StartText() == "EXECUTE");
  };
  // A batch of data statements or permissions (INSERT ..., GRANT ...) that no
  // command recognises is one stretch of statements without a word to say,
  // however long: it is only checked too. An option setting among them would
  // start a stretch of its own after which other statements are named, so
  // a SET has such a batch parsed as before. (`lead` is set before the
  // later words are watched.)
  TParser::TLead lead;
  const std::function<bool(const TTerm*)> later = [&](const TTerm* term) {
    return recognisable(term) || (isSettings(term) && lead.term && isCommand(lead.term));
  };
  const auto wanted = [&](const TTerm* term) {
    return term && (term->TypeName == comment || (isCommand(term) && recognisable(term)));
  };
  bool parsed;
  try {
    parsed = core.Parser.ParseIfWanted(lines, core.Terms, words, wanted, &lead, &later);
  } catch (...) {
    log("Ошибка обработки скрипта:");
    log(JoinLines(lines));
    throw;
  }
  if (!parsed) {
    // Option settings (SET ...) and data statements pass without a word.
    if (!isSettings(lead.term) && !(lead.term && isCommand(lead.term))) incomprehensible(lead.line);
    return;
  }
  if (words.Empty()) return;

  RecogniseStatements(core.Context, commands, lines, words, objects, [&](const TBatchStatement& statement) {
    // Statements of other kinds: the data changes, permissions and the like
    // that reverse-engineering leaves out pass without a word, the others are
    // named once per stretch.
    const TParserWord& key = *words.Words(statement.Key);
    if (!isCommand(key.Term) && !isSettings(key.Term)) incomprehensible(key.StartPos.Line);
  });
}

// Whether `text` split into lines as SplitLines splits it gives `lines`;
// the lines are compared where they stand, not copied out first.
bool HasLines(std::string_view text, const std::vector<std::string>& lines) {
  TLineReader reader(text);
  std::size_t k = 0;
  for (std::string_view line; reader.Next(line); ++k)
    if (k == lines.size() || line != lines[k]) return false;
  return k == lines.size();
}

// Thrown by the source look-up of a conversion while reading: what a
// conversion reads of other objects may come later in the script, so the
// object waits for the compilation run.
struct TDeferredToCompilationRun {};

class DeferringLookup : public IObjectSourceLookup {
 public:
  std::vector<std::string> OpenObjectSource(const std::string&) override { throw TDeferredToCompilationRun{}; }
};

// Lines joined by CR LF, each line followed by one.
std::string JoinedLines(const std::vector<std::string>& lines) {
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  std::string text;
  text.reserve(total);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// Converts the selected objects as a compilation run converts them once
// stored. An object whose conversion fails or reads another object is left
// unconverted. `core.Words` holds the parse of `batchLines`; the first object
// whose text has exactly these lines (a batch of one object: a procedure, a
// view, a trigger) is converted on that parse instead of a second one.
void ConvertReadObjects(TConvertCore& core, TCompileFrame frame, std::vector<TBatchObject>& objects,
                        std::size_t first, const std::vector<std::string>& batchLines) {
  bool batchParsed = !core.Words.Empty();
  DeferringLookup defer;
  // The core's own look-up comes back however this ends.
  struct LookupSwap {
    TConvertCore& core;
    IObjectSourceLookup* const saved;
    ~LookupSwap() { core.Context.Sources = saved; }
  } swap{core, core.Context.Sources};
  core.Context.Sources = &defer;
  for (std::size_t i = first; i < objects.size(); ++i) {
    TBatchObject& object = objects[i];
    if (!object.Selected) continue;
    std::vector<std::string> destLines;  // the object's lines to parse; then what converting it gave
    std::vector<std::string> dropLines;
    try {
      if (batchParsed && HasLines(object.Text, batchLines)) {
        // The lines were normalised by that parse, and parsing them again gives the same words.
        batchParsed = false;
      } else {
        batchParsed = false;
        destLines = SplitLines(object.Text);
        core.Parser.Parse(destLines, core.Terms, core.Words);
      }
      object.Converted =
          ConvertObject(core.Analizers, object.TypeName, object.ParentName, object.ObjectName, core.Words, destLines,
                        dropLines, object.Alarms, frame, [&object](const std::string& line) { object.Logs.push_back(line); });
    } catch (...) {
      object.Converted = false;
    }
    core.Words.Clear();
    if (!object.Converted || destLines.empty()) {
      object.Converted = false;
      object.Alarms.Clear();
      object.Logs.clear();
      continue;
    }
    object.Dest = JoinedLines(destLines);
    object.HasDrop = !dropLines.empty();
    if (object.HasDrop) object.Drop = JoinedLines(dropLines);
  }
}

}  // namespace

bool IsTypeIn(const std::vector<std::string>& Types, const std::string& TypeName) {
  for (const auto& name : Types)
    if (name == TypeName) return true;
  return false;
}

std::string StoredText(const std::vector<std::string>& Lines) {
  // Joined straight into the result, without the blank lines and the blanks
  // that trimming would take off at both ends.
  std::size_t first = 0, last = Lines.size();
  while (first < last && Trim(Lines[first]).empty()) ++first;
  while (last > first && Trim(Lines[last - 1]).empty()) --last;
  if (first == last) return {};
  std::size_t total = 0;
  for (std::size_t i = first; i < last; ++i) total += Lines[i].size() + 2;
  std::string text;
  text.reserve(total);
  for (std::size_t i = first; i < last; ++i) {
    std::string_view line = Lines[i];
    if (i == first) line = TrimLeft(line);
    if (i + 1 == last) line = TrimRight(line);
    text += line;
    if (i + 1 < last) text += "\r\n";
  }
  return text;
}

void ReadBatch(TConvertCore& Core, TCompileFrame Frame, std::vector<std::string>& Lines,
               const std::vector<std::string>& SelectedTypes, bool Convert, std::vector<TBatchObject>& Objects,
               const std::function<void(const std::string&)>& Log) {
  struct ClearWords {
    TConvertCore& core;
    ~ClearWords() { core.Words.Clear(); }
  } clear{Core};
  const std::size_t first = Objects.size();
  // A failure passes the whole batch over: nothing of it is appended.
  TSQLObjectList found;
  RecogniseBatch(Core, Lines, found, Log);
  for (int i = 0; i < found.Count(); ++i) {
    TSQLObject& object = found.Items(i);
    TBatchObject read;
    read.TypeName = UpperCase(object.TypeName);
    read.ObjectName = std::move(object.ObjectName);
    read.ParentName = std::move(object.ParentName);
    read.Text = StoredText(object.Script);
    // The line of the text's first line that is not blank.
    read.Line = std::max(object.Line, 0);
    for (std::size_t k = 0; k + 1 < object.Script.size() && Trim(object.Script[k]).empty(); ++k) ++read.Line;
    read.Selected = IsTypeIn(SelectedTypes, read.TypeName);
    Objects.push_back(std::move(read));
  }
  if (Convert) ConvertReadObjects(Core, Frame, Objects, first, Lines);
}

}  // namespace ambrix
