#include "ui/sql_highlighter.h"

#include <algorithm>

#include <QColor>
#include <QFont>

namespace ambrix::ui {

namespace {

// Block states carried from one line to the next.
constexpr int kPlain = 0;
constexpr int kInBlockComment = 1;

bool IsWordChar(QChar c) {
  return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

}  // namespace

TSqlHighlighter::TSqlHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  WordFormat_.setForeground(QColor(0x00, 0x00, 0x80));
  WordFormat_.setFontWeight(QFont::Bold);
  CommentFormat_.setForeground(QColor(0x00, 0x80, 0x00));
}

void TSqlHighlighter::SetWords(const QStringList& words) {
  Words_.clear();
  for (const QString& term : words) {
    for (const QString& part : term.split(u' ', Qt::SkipEmptyParts)) {
      if (std::all_of(part.begin(), part.end(), IsWordChar)) Words_.insert(part.toUpper());
    }
  }
  rehighlight();
}

bool TSqlHighlighter::IsReservedWord(const QString& word) const {
  return Words_.contains(word.toUpper());
}

void TSqlHighlighter::highlightBlock(const QString& text) {
  setCurrentBlockState(kPlain);
  const qsizetype n = text.size();
  qsizetype i = 0;
  if (previousBlockState() == kInBlockComment) {
    const qsizetype end = text.indexOf(QStringLiteral("*/"));
    if (end < 0) {
      setFormat(0, int(n), CommentFormat_);
      setCurrentBlockState(kInBlockComment);
      return;
    }
    setFormat(0, int(end + 2), CommentFormat_);
    i = end + 2;
  }
  while (i < n) {
    const QChar c = text[i];
    if (c == u'-' && i + 1 < n && text[i + 1] == u'-') {
      setFormat(int(i), int(n - i), CommentFormat_);
      return;
    }
    if (c == u'/' && i + 1 < n && text[i + 1] == u'*') {
      const qsizetype end = text.indexOf(QStringLiteral("*/"), i + 2);
      if (end < 0) {
        setFormat(int(i), int(n - i), CommentFormat_);
        setCurrentBlockState(kInBlockComment);
        return;
      }
      setFormat(int(i), int(end + 2 - i), CommentFormat_);
      i = end + 2;
      continue;
    }
    if (c == u'\'' || c == u'"') {
      const qsizetype end = text.indexOf(c, i + 1);
      i = end < 0 ? n : end + 1;
      continue;
    }
    if (IsWordChar(c)) {
      qsizetype j = i;
      while (j < n && IsWordChar(text[j])) ++j;
      if (Words_.contains(text.mid(i, j - i).toUpper())) setFormat(int(i), int(j - i), WordFormat_);
      i = j;
      continue;
    }
    ++i;
  }
}

}  // namespace ambrix::ui
