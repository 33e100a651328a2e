// The command registry: registration by class, key terms, look-ups.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeindex>
#include <vector>

#include "recognition_fixture.h"

namespace ambrix::testing {
namespace {

class CommandList : public ::testing::Test {
 protected:
  CommandList() : dialect(MakeTestTerms()) {
    AddRecognitionRows(*dialect.Terms);
    context = dialect.Context();
  }

  TestTerms dialect;
  TConvertContext context;
  TCommandList commands{context};
};

TEST_F(CommandList, RegistersTheEighteenCommandsInTheirOrder) {
  RegisterCommands(commands);
  ASSERT_EQ(commands.Count(), 18);
  const std::vector<std::type_index> classes{
      typeid(TCommand_CreateTable),
      typeid(TCommand_CreateDefault),
      typeid(TCommand_CreateView),
      typeid(TCommand_CreateProcedure),
      typeid(TCommand_CreateProc),
      typeid(TCommand_CreateFunction),
      typeid(TCommand_CreateTrigger),
      typeid(TCommand_CreateIndex_Standart),
      typeid(TCommand_CreateIndex_Unique),
      typeid(TCommand_CreateIndex_Clustered),
      typeid(TCommand_CreateIndex_NonClustered),
      typeid(TCommand_CreateIndex_UniqueClustered),
      typeid(TCommand_CreateIndex_UniqueNonClustered),
      typeid(TCommand_CreateDomain),
      typeid(TCommand_AlterTable),
      typeid(TCommand_CreateDefaultField),
      typeid(TCommand_CreateRule),
      typeid(TCommand_BindRule),
  };
  for (int i = 0; i < 18; ++i) {
    const TCommandDML& command = commands.Items(i);
    EXPECT_EQ(std::type_index(typeid(command)), classes[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(&command.Owner(), &commands);
    // each binds the very term of its start words
    const int term = dialect.Terms->IndexOfStart(CommandStartWords()[static_cast<size_t>(i)]);
    ASSERT_GE(term, 0);
    EXPECT_EQ(command.KeyTerm(), dialect.Terms->Items(term)) << CommandStartWords()[static_cast<size_t>(i)];
    EXPECT_EQ(commands.IndexOfKeyTerm(command.KeyTerm()), i);
  }
}

TEST_F(CommandList, RegistersAClassOnce) {
  EXPECT_EQ(commands.Register<TCommand_CreateTable>(), 0);
  EXPECT_EQ(MessageOf([&] { commands.Register<TCommand_CreateTable>(); }), "Команда уже зарегестрирована");
  EXPECT_EQ(commands.Count(), 1);
}

TEST_F(CommandList, RegistersADescendantAfterItsBaseButNotBefore) {
  EXPECT_EQ(commands.Register<TCommand_CreateProcedure>(), 0);
  EXPECT_EQ(commands.Register<TCommand_CreateProc>(), 1);

  TCommandList other(context);
  EXPECT_EQ(other.Register<TCommand_CreateProc>(), 0);
  EXPECT_EQ(MessageOf([&] { other.Register<TCommand_CreateProcedure>(); }), "Команда уже зарегестрирована");
  EXPECT_EQ(other.Count(), 1);
}

TEST_F(CommandList, FindsAClassOrItsDescendants) {
  RegisterCommands(commands);
  EXPECT_EQ(commands.IndexOfClass<TCommand_CreateProcedure>(), 3);
  EXPECT_EQ(commands.IndexOfClass<TCommand_CreateProc>(), 4);
  EXPECT_EQ(commands.IndexOfClass<TCommand_CreateIndex>(), 7);  // the abstract index base
  EXPECT_EQ(commands.IndexOfClass<TCommand_CreateIndex_UniqueNonClustered>(), 12);
  EXPECT_EQ(commands.IndexOfClass<TCommandDMLName>(), 0);
  EXPECT_EQ(commands.IndexOfClass<TCommand_AlterTable>(), 14);

  TCommandList empty(context);
  EXPECT_EQ(empty.IndexOfClass<TCommandDML>(), -1);
}

TEST_F(CommandList, FindsAKeyTermByIdentityOnly) {
  RegisterCommands(commands);
  TTerm* view = dialect.Terms->Items(dialect.Terms->IndexOfStart("create view"));
  EXPECT_EQ(commands.IndexOfKeyTerm(view), 2);
  const auto copy = view->Clone();  // same text, another object
  EXPECT_EQ(commands.IndexOfKeyTerm(copy.get()), -1);
  EXPECT_EQ(commands.IndexOfKeyTerm(nullptr), -1);
  EXPECT_EQ(commands.IndexOfKeyTerm(dialect.ListDiv), -1);
}

TEST_F(CommandList, EachCommandRaisesItsOwnMessageWithoutItsKeyTerm) {
  TTermList noTerms;
  TConvertContext bare;
  bare.Terms = &noTerms;
  TCommandList registry(bare);
  const std::string command = "Не найдено определение команды";
  const std::string procedure = "Не найдено определение команды создания процедуры";
  const std::string index = "Не найдено определение команды создания индекса";
  const std::vector<std::pair<std::function<void()>, std::string>> cases{
      {[&] { registry.Register<TCommand_CreateTable>(); }, command},
      {[&] { registry.Register<TCommand_CreateDefault>(); }, command},
      {[&] { registry.Register<TCommand_CreateView>(); },
       "Не найдено определение команды создания представления"},
      {[&] { registry.Register<TCommand_CreateProcedure>(); }, procedure},
      {[&] { registry.Register<TCommand_CreateProc>(); }, procedure},
      {[&] { registry.Register<TCommand_CreateFunction>(); }, "Не найдено определение команды создания функции"},
      {[&] { registry.Register<TCommand_CreateTrigger>(); }, "Не найдено определение команды создания триггера"},
      {[&] { registry.Register<TCommand_CreateIndex_Standart>(); }, index},
      {[&] { registry.Register<TCommand_CreateIndex_Unique>(); }, index},
      {[&] { registry.Register<TCommand_CreateIndex_Clustered>(); }, index},
      {[&] { registry.Register<TCommand_CreateIndex_NonClustered>(); }, index},
      {[&] { registry.Register<TCommand_CreateIndex_UniqueClustered>(); }, index},
      {[&] { registry.Register<TCommand_CreateIndex_UniqueNonClustered>(); }, index},
      {[&] { registry.Register<TCommand_CreateDomain>(); },
       "Не найдено определение команды создания пользовательского типа"},
      {[&] { registry.Register<TCommand_AlterTable>(); }, "Не найдено определение команды изменения таблицы"},
      {[&] { registry.Register<TCommand_CreateDefaultField>(); },
       "Не найдено определение команды привязки пользовательского умолчания"},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(MessageOf(cases[i].first), cases[i].second) << i;
    EXPECT_EQ(registry.Count(), 0);
  }
}

TEST_F(CommandList, NoTermListIsAMissingKeyTerm) {
  TConvertContext none;
  TCommandList registry(none);
  EXPECT_EQ(MessageOf([&] { registry.Register<TCommand_CreateView>(); }),
            "Не найдено определение команды создания представления");
  EXPECT_EQ(registry.Count(), 0);
}

TEST(RegisterCommands, StopsAtTheFirstMissingKeyTerm) {
  TestTerms dialect = MakeTestTerms();
  AddRecognitionRows(*dialect.Terms, "create proc");
  const TConvertContext context = dialect.Context();
  TCommandList commands(context);
  EXPECT_EQ(MessageOf([&] { RegisterCommands(commands); }), "Не найдено определение команды создания процедуры");
  EXPECT_EQ(commands.Count(), 4) << "table, default, view and procedure stay registered";
}

TEST_F(CommandList, ClearFreesEveryCommand) {
  RegisterCommands(commands);
  commands.Clear();
  EXPECT_EQ(commands.Count(), 0);
  EXPECT_EQ(commands.Register<TCommand_CreateTable>(), 0);
}

}  // namespace
}  // namespace ambrix::testing
