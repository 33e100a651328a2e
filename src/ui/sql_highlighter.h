#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace ambrix::ui {

/// Highlights the reserved words of the open project's dialect in a script
/// view. Words compare ignoring case; a multi-word term ("CREATE TABLE")
/// marks each of its words. Text inside string literals and comments is
/// left plain.
class TSqlHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  explicit TSqlHighlighter(QTextDocument* document);

  /// Replaces the word set and re-highlights the document.
  void SetWords(const QStringList& words);
  bool IsReservedWord(const QString& word) const;
  const QTextCharFormat& WordFormat() const { return WordFormat_; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QSet<QString> Words_;
  QTextCharFormat WordFormat_;
  QTextCharFormat CommentFormat_;
};

}  // namespace ambrix::ui
