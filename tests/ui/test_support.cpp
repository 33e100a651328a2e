// Configuration reading and the reserved-word highlighting of the script views.
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "test_classes.h"
#include "ui/gui_config.h"
#include "ui/sql_highlighter.h"

namespace ambrix::ui::test {

class SupportTests : public QObject {
  Q_OBJECT

  static QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(text);
    return path;
  }

  /// The formatted ranges of the first block, as "start:length" items.
  static QStringList WordRanges(TSqlHighlighter& highlighter, QTextDocument& doc) {
    QStringList ranges;
    for (const QTextLayout::FormatRange& r : doc.firstBlock().layout()->formats())
      if (r.format == highlighter.WordFormat()) ranges << QStringLiteral("%1:%2").arg(r.start).arg(r.length);
    return ranges;
  }

 private slots:
  void ReadsEditorSettingsIgnoringCaseOfSectionsAndKeys() {
    QTemporaryDir dir;
    const QString ini = WriteFile(dir, QStringLiteral("ambrix-gui.ini"),
                                  "; editor\n[editor]\nisql = /opt/isql, with comma\nReadOnly=false\n"
                                  "[Repository]\nLocation=sqlite:/tmp/x.db\n");
    const TGuiConfig config = ReadGuiConfig(ini);
    QCOMPARE(config.EditorPath, QStringLiteral("/opt/isql, with comma"));
    QCOMPARE(config.EditorReadOnly, false);
    QCOMPARE(config.Repository, QStringLiteral("sqlite:/tmp/x.db"));
    QCOMPARE(config.FileName, ini);
  }

  // Saving changes the window's own keys and keeps every other line of the
  // file (comments, the repository); a file not there yet is made.
  void SavesItsSettingsKeepingTheRestOfTheFile() {
    QTemporaryDir dir;
    const QString ini = WriteFile(dir, QStringLiteral("ambrix-gui.ini"),
                                  "; mine\n[Editor]\nisql=/old/isql\n[REPOSITORY]\nLOCATION=sqlite:/tmp/x.db\n");
    const QString fresh = dir.filePath(QStringLiteral("new/folder/ambrix.ini"));
    for (const QString& path : {ini, fresh}) {
      TGuiConfig config = ReadGuiConfig(path);
      QCOMPARE(config.Path, path);
      config.EditorPath = QStringLiteral("/opt/dbisql");
      config.EditorReadOnly = false;
      config.InputEncoding = QStringLiteral("windows-1251");
      config.OutputEncoding = QStringLiteral("windows-1251");
      config.KeepGoing = true;
      SaveGuiConfig(config);
      const TGuiConfig again = ReadGuiConfig(path);
      QCOMPARE(again.EditorPath, QStringLiteral("/opt/dbisql"));
      QCOMPARE(again.EditorReadOnly, false);
      QCOMPARE(again.InputEncoding, QStringLiteral("windows-1251"));
      QCOMPARE(again.OutputEncoding, QStringLiteral("windows-1251"));
      QCOMPARE(again.KeepGoing, true);
    }
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY2(text.startsWith(QStringLiteral("; mine\n[Editor]\nISQL=/opt/dbisql\n")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("[REPOSITORY]\nLOCATION=sqlite:/tmp/x.db\n")));
    QCOMPARE(text.count(QStringLiteral("ISQL=")), 1);
    QCOMPARE(ReadGuiConfig(ini).Repository, QStringLiteral("sqlite:/tmp/x.db"));
    // Saving nowhere, or where nothing can be written.
    SaveGuiConfig(TGuiConfig{});
    TGuiConfig blocked;
    blocked.Path = ini + QStringLiteral("/below/a/file.ini");
    QVERIFY_THROWS_EXCEPTION(std::exception, SaveGuiConfig(blocked));
  }

  void MissingFileGivesDefaults() {
    const TGuiConfig config = ReadGuiConfig(QStringLiteral("/nonexistent/ambrix-gui.ini"));
    QVERIFY(config.EditorPath.isEmpty());
    QVERIFY(config.EditorReadOnly);  // READONLY defaults to TRUE
    QVERIFY(config.Repository.isEmpty());
    QVERIFY(config.FileName.isEmpty());
  }

  void ReadOnlyIsTrueOnlyForTrue() {
    QTemporaryDir dir;
    for (const auto& [value, expected] : std::vector<std::pair<QByteArray, bool>>{
             {"TRUE", true}, {"true", true}, {"yes", false}, {"1", false}, {"", false}}) {
      const QString ini = WriteFile(dir, QStringLiteral("a.ini"), "[EDITOR]\nREADONLY=" + value + "\n");
      QCOMPARE(ReadGuiConfig(ini).EditorReadOnly, expected);
    }
  }

  void KeyOutsideItsSectionIsNotRead() {
    QTemporaryDir dir;
    const QString ini = WriteFile(dir, QStringLiteral("a.ini"), "ISQL=/wrong\n[OTHER]\nISQL=/wrong\n");
    QVERIFY(ReadGuiConfig(ini).EditorPath.isEmpty());
  }

  void PrefersTheFileBesideTheProgram() {
    QTemporaryDir program, config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QCOMPARE(FindConfigFile(program.path()), config.filePath(QStringLiteral("ambrix/ambrix.ini")));
    const QString beside = WriteFile(program, QStringLiteral("ambrix-gui.ini"), "[EDITOR]\n");
    QCOMPARE(FindConfigFile(program.path()), beside);
  }

  void HighlightsReservedWordsOutsideStringsAndComments() {
    QTextDocument doc;
    TSqlHighlighter highlighter(&doc);
    highlighter.SetWords({QStringLiteral("CREATE TABLE"), QStringLiteral("int"), QStringLiteral("(")});
    doc.setPlainText(QStringLiteral("create Table t ('int' int) -- int"));
    highlighter.rehighlight();  // the first pass is otherwise left to the event loop
    QCOMPARE(WordRanges(highlighter, doc),
                 (QStringList{QStringLiteral("0:6"), QStringLiteral("7:5"), QStringLiteral("22:3")}));
    QVERIFY(highlighter.IsReservedWord(QStringLiteral("Int")));
    QVERIFY(!highlighter.IsReservedWord(QStringLiteral("(")));  // only words are highlighted
  }

  void BlockCommentSpansLines() {
    QTextDocument doc;
    TSqlHighlighter highlighter(&doc);
    highlighter.SetWords({QStringLiteral("INT")});
    doc.setPlainText(QStringLiteral("/* int\nint */ int"));
    highlighter.rehighlight();
    QVERIFY(WordRanges(highlighter, doc).isEmpty());
    QStringList second;
    for (const QTextLayout::FormatRange& r : doc.lastBlock().layout()->formats())
      if (r.format == highlighter.WordFormat()) second << QStringLiteral("%1:%2").arg(r.start).arg(r.length);
    QCOMPARE(second, QStringList{QStringLiteral("7:3")});
  }
};

QObject* NewSupportTests() { return new SupportTests; }

}  // namespace ambrix::ui::test

#include "test_support.moc"
