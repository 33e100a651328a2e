// The analyzer registry, alarms and the calling order of one object's
// conversion.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/test_terms.h"
#include "conversion/alarm_object.h"
#include "conversion/analizer_object.h"
#include "conversion/convert_object.h"
#include "conversion/data_analizers.h"
#include "conversion/register_analizers.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "text/error.h"

namespace ambrix {
namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// Records the calls it receives, in order, into a shared journal.
class TRecordingAnalizer : public TAnalizerObject {
 public:
  static std::vector<std::string>* Journal;
  static std::string FailIn;  // the operation that raises, if any

  std::string GetTypeName() const override { return "TABLE"; }
  void BeginCompile() override { Note("BeginCompile"); }
  void EndCompile() override { Note("EndCompile"); }
  void Convert(const std::string& ParentName, const std::string& ObjectName, TParserWordList& Words) override {
    Note("Convert " + ParentName + "/" + ObjectName);
    Words.BuildText(0);
  }
  void GetDropScript(const std::string&, const std::string& ObjectName, std::vector<std::string>& DropLines) override {
    Note("GetDropScript");
    DropLines.push_back("drop " + ObjectName);
  }
  void CheckAlarms(const std::string&, const std::string&, TParserWordList& Words, TAlarmList& Alarms) override {
    Note("CheckAlarms");
    // The printed positions are there already.
    const TParserTextWord* last = Words.RootTextList()->Last();
    Alarms.AddAlarm("SysTable", last->Text, {last->OutLine, last->OutCol});
  }

 private:
  void Note(const std::string& what) {
    Journal->push_back(what);
    if (what.rfind(FailIn, 0) == 0 && !FailIn.empty()) throw Error("сбой " + FailIn);
  }
};
std::vector<std::string>* TRecordingAnalizer::Journal = nullptr;
std::string TRecordingAnalizer::FailIn;

class TDerivedAnalizer : public TRecordingAnalizer {
 public:
  std::string GetTypeName() const override { return "VIEW"; }
};

class ConvertObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRecordingAnalizer::Journal = &journal;
    TRecordingAnalizer::FailIn.clear();
    analizers.Register<TRecordingAnalizer>();
    std::vector<std::string> lines{"create table t (a int)", "  -- x sysobjects"};
    dialect.Parse(lines, words);
  }
  void TearDown() override { TRecordingAnalizer::Journal = nullptr; }

  bool Run(const std::string& type, TCompileFrame frame = TCompileFrame::SingleObject) {
    return ConvertObject(analizers, type, "P", "T", words, dest, drop, alarms, frame,
                         [&](const std::string& line) { log.push_back(line); });
  }

  testing::TestTerms dialect = testing::MakeTestTerms();
  TConvertContext context = dialect.Context();
  TAnalizerObjectList analizers{context};
  TParserWordList words;
  std::vector<std::string> journal, dest, drop, log;
  TAlarmList alarms;
};

TEST_F(ConvertObjectTest, CallsTheAnalizerInTheFixedOrder) {
  EXPECT_TRUE(Run(" table "));
  EXPECT_EQ(journal, (std::vector<std::string>{"BeginCompile", "Convert P/T", "CheckAlarms", "GetDropScript",
                                               "EndCompile"}));
  EXPECT_EQ(dest, (std::vector<std::string>{"create table t (a int)", "  -- x sysobjects"}));
  EXPECT_EQ(drop, std::vector<std::string>{"drop T"});
  ASSERT_EQ(alarms.Count(), 1);
  EXPECT_EQ(alarms.Items(0).NumLine, 2);
  EXPECT_EQ(alarms.Items(0).NumPos, 6);
  EXPECT_EQ(log, std::vector<std::string>{"Скомпилирован обьект [T]"});
}

TEST_F(ConvertObjectTest, WholeRunLeavesBeginAndEndToTheRun) {
  EXPECT_TRUE(Run("TABLE", TCompileFrame::WholeRun));
  EXPECT_EQ(journal, (std::vector<std::string>{"Convert P/T", "CheckAlarms", "GetDropScript"}));
}

TEST_F(ConvertObjectTest, TypeWithoutAnalizerProducesNothing) {
  dest = {"old"};
  drop = {"old"};
  alarms.AddAlarm("SysTable", "x", {1, 1});
  EXPECT_FALSE(Run("CONSTRAINT RULE"));
  EXPECT_TRUE(journal.empty());
  EXPECT_TRUE(dest.empty());
  EXPECT_TRUE(drop.empty());
  EXPECT_EQ(alarms.Count(), 0);
  EXPECT_TRUE(log.empty());
}

TEST_F(ConvertObjectTest, FailureStillEndsTheCompileAndLeavesNoResult) {
  for (const std::string failing : {"Convert", "CheckAlarms", "GetDropScript"}) {
    SCOPED_TRACE(failing);
    journal.clear();
    log.clear();
    TRecordingAnalizer::FailIn = failing;
    EXPECT_EQ(ErrorOf([&] { Run("TABLE"); }), "сбой " + failing);
    EXPECT_EQ(journal.back(), "EndCompile");
    EXPECT_TRUE(dest.empty());
    EXPECT_TRUE(drop.empty());
    EXPECT_EQ(alarms.Count(), 0);
    EXPECT_TRUE(log.empty());
  }
}

TEST_F(ConvertObjectTest, AnalizerThatBuildsNoTextStartsFromAnEmptyOne) {
  words.BuildText(0);  // left over from an earlier compilation
  class TEmpty : public TAnalizerObject {
   public:
    std::string GetTypeName() const override { return "DEFAULT"; }
    void Convert(const std::string&, const std::string&, TParserWordList&) override {}
  };
  analizers.Register<TEmpty>();
  EXPECT_TRUE(Run("DEFAULT"));
  EXPECT_TRUE(dest.empty());
}

TEST(AnalizerRegistry, RejectsAClassAlreadyRegisteredOrDerivedFromIt) {
  TConvertContext context;
  TAnalizerObjectList analizers(context);
  EXPECT_EQ(analizers.Register<TAnalizer_Table>(), 0);
  EXPECT_EQ(ErrorOf([&] { analizers.Register<TAnalizer_Table>(); }), "Анализатор обьектов уже зарегистрирован");
  EXPECT_EQ(analizers.Count(), 1);

  // A base class after its descendant is rejected; the other way round is not.
  EXPECT_EQ(analizers.Register<TDerivedAnalizer>(), 1);
  EXPECT_EQ(ErrorOf([&] { analizers.Register<TRecordingAnalizer>(); }), "Анализатор обьектов уже зарегистрирован");
  TAnalizerObjectList other(context);
  other.Register<TRecordingAnalizer>();
  EXPECT_EQ(other.Register<TDerivedAnalizer>(), 1);
  EXPECT_EQ(other.IndexOfClass<TDerivedAnalizer>(), 1);
  EXPECT_EQ(other.IndexOfClass<TRecordingAnalizer>(), 0);
  EXPECT_EQ(other.IndexOfClass<TAnalizer_Index>(), -1);
}

TEST(AnalizerRegistry, FindsTypeNamesTrimmedAndIgnoringCase) {
  TConvertContext context;
  TAnalizerObjectList analizers(context);
  RegisterAnalizers(analizers);
  EXPECT_EQ(analizers.IndexOfTypeName(0, " table "), 2);
  EXPECT_EQ(analizers.IndexOfTypeName(0, "constraint foreign key"), 5);
  EXPECT_EQ(analizers.IndexOfTypeName(3, "TABLE"), -1);
  EXPECT_EQ(analizers.IndexOfTypeName(analizers.Count(), "DEFAULT"), -1);
  EXPECT_EQ(analizers.IndexOfTypeName(0, "RULE"), 8);
  EXPECT_EQ(analizers.IndexOfTypeName(0, "constraint rule"), 9);
  EXPECT_EQ(&analizers.Items(0).Context(), &context);
}

TEST(AnalizerRegistry, RegistersTheFourteenAnalizersInTheirOrder) {
  TConvertContext context;
  TAnalizerObjectList analizers(context);
  RegisterAnalizers(analizers);
  const std::vector<std::string> expected{
      "DEFAULT",  "DOMAIN",    "TABLE", "INDEX",  "CONSTRAINT UNIQUE", "CONSTRAINT FOREIGN KEY", "CONSTRAINT PRIMARY KEY",
      "CONSTRAINT DEFAULT", "RULE", "CONSTRAINT RULE", "FUNCTION", "PROCEDURE", "VIEW", "TRIGGER"};
  std::vector<std::string> actual;
  for (int i = 0; i < analizers.Count(); ++i) actual.push_back(analizers.Items(i).GetTypeName());
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(ErrorOf([&] { RegisterAnalizers(analizers); }), "Анализатор обьектов уже зарегистрирован");
  EXPECT_EQ(analizers.Count(), 14);
}

TEST(AnalizerRegistry, RunFrameCallsEveryAnalizerInOrder) {
  std::vector<std::string> journal;
  TRecordingAnalizer::Journal = &journal;
  TRecordingAnalizer::FailIn.clear();
  TConvertContext context;
  TAnalizerObjectList analizers(context);
  analizers.Register<TRecordingAnalizer>();
  analizers.Register<TAnalizer_Table>();
  analizers.BeginCompileAll();
  analizers.EndCompileAll();
  EXPECT_EQ(journal, (std::vector<std::string>{"BeginCompile", "EndCompile"}));
  TRecordingAnalizer::Journal = nullptr;
}

TEST(AnalizerRegistry, UnregisteredAnalizerHasNoContext) {
  TAnalizer_Table table;
  EXPECT_FALSE(ErrorOf([&] { table.Context(); }).empty());
}

TEST(AlarmList, KeepsAlarmsInTheOrderRaised) {
  TAlarmList alarms;
  alarms.AddAlarm("SysTable", "sysobjects", {3, 14});
  alarms.AddAlarm("TriggerInsteadOf", "INSTEAD OF", {1, 1});
  ASSERT_EQ(alarms.Count(), 2);
  EXPECT_EQ(alarms.Items(0).VarName, "SysTable");
  EXPECT_EQ(alarms.Items(0).Word, "sysobjects");
  EXPECT_EQ(alarms.Items(0).NumLine, 3);
  EXPECT_EQ(alarms.Items(0).NumPos, 14);
  EXPECT_EQ(alarms.Items(1).VarName, "TriggerInsteadOf");
}

}  // namespace
}  // namespace ambrix
