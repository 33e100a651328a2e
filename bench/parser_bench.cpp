// Splitting and parsing of large batches of realistic Transact-SQL: a stored
// procedure body of N lines with bracketed and qualified names, strings,
// numbers, both comment forms, nested calls and multi-word reserved words.
// The cost per line must stay flat from 1,000 to 10,000 lines.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "../tests/support/test_terms.h"
#include "parser/parser.h"
#include "text/text_word_list.h"

namespace {

using ambrix::testing::AddDialectRow;

ambrix::testing::TestTerms BenchTerms() {
  auto dialect = ambrix::testing::MakeTestTerms();
  auto& t = *dialect.Terms;
  for (const char* w : {"SELECT", "INSERT", "UPDATE", "DELETE FROM", "DECLARE", "SET", "IF", "BEGIN", "WHILE",
                        "RETURN", "CREATE PROCEDURE", "CREATE PROC", "FETCH NEXT", "OPEN", "CLOSE", "DEALLOCATE"}) {
    AddDialectRow(t, "DML", w, "", true, true);
  }
  for (const char* w : {"FROM", "WHERE", "AND", "OR", "NOT", "NULL", "IS", "AS", "ON", "INNER JOIN", "LEFT OUTER JOIN",
                        "INTO", "VALUES", "ORDER BY", "GROUP BY", "ELSE", "END", "INT", "VARCHAR", "MONEY",
                        "DATETIME", "CURSOR FOR", "OUTPUT", "EXISTS", "IN", "LIKE", "BETWEEN", "TOP", "DISTINCT"}) {
    AddDialectRow(t, "KEYWORD", w, "", true, false);
  }
  AddDialectRow(t, "KEYWORD", "CASE", "END", true, false);
  for (const char* w : {"COUNT (", "SUM (", "ISNULL (", "CONVERT (", "GETDATE (", "LEN (", "CHARINDEX ("}) {
    AddDialectRow(t, "sysfunc", w, ")", false, false);
  }
  for (const char* w : {"=", "<>", "<=", ">=", "<", ">", "+", "-", "*", "/", ";"}) {
    AddDialectRow(t, "OPERATOR", w, "", false, false);
  }
  AddDialectRow(t, "sysglobalvar", "@@FETCH_STATUS", "", true, false);
  return dialect;
}

std::vector<std::string> Batch(int lineCount) {
  static const char* const kLines[] = {
      "  select a.[Amount], b.Name, count(*) as Cnt from dbo.[Invoice] a",
      "    inner join [dbo].[Client] b on a.ClientId = b.ClientId -- join on the client",
      "  where a.Total >= 1.5 and b.Name like N'Иванов%' and a.Date between @d1 and @d2",
      "  group by a.[Amount], b.Name order by 1, 2",
      "  insert into #work (Id, Note, Price) values (@id, 'it''s a note', isnull(@price, 0.00))",
      "  update [Stock] set Quantity = Quantity - @q, Changed = getdate() where Id = @id",
      "  /* recompute the totals of the period",
      "     for every open ledger */",
      "  set @total = (select sum(Total) from Ledger where Period = @p and Kind in (1, 2, 3))",
      "  if not exists (select * from Payment where InvoiceId = @id) begin",
      "    declare @s varchar(255), @n int",
      "    set @s = case when @n > 10 then 'many' else convert(varchar(10), @n) end",
      "  end",
      "  fetch next from c into @id, @name",
      "  while @@FETCH_STATUS = 0 and len(@name) <> charindex('.', @name)",
      "",
  };
  constexpr int kCount = sizeof kLines / sizeof kLines[0];
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(lineCount) + 1);
  lines.emplace_back("create procedure dbo.Recalc @id int, @p int as");
  for (int i = 1; i < lineCount; ++i) lines.emplace_back(kLines[i % kCount]);
  return lines;
}

std::int64_t BytesOf(const std::vector<std::string>& lines) {
  std::int64_t n = 0;
  for (const auto& l : lines) n += static_cast<std::int64_t>(l.size()) + 2;
  return n;
}

void BM_SplitBatch(benchmark::State& state) {
  auto dialect = BenchTerms();
  dialect.Terms->Prepare();
  const auto source = Batch(static_cast<int>(state.range(0)));
  ambrix::TTextWordList words;
  for (auto _ : state) {
    auto lines = source;
    words.Separators = dialect.Terms->Separators;
    words.Parse(lines);
    benchmark::DoNotOptimize(words.Count());
  }
  state.SetBytesProcessed(state.iterations() * BytesOf(source));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ParseBatch(benchmark::State& state) {
  auto dialect = BenchTerms();
  const auto source = Batch(static_cast<int>(state.range(0)));
  ambrix::TParser parser;
  ambrix::TParserWordList result;
  for (auto _ : state) {
    auto lines = source;
    parser.Parse(lines, *dialect.Terms, result);
    benchmark::DoNotOptimize(result.Count());
  }
  state.SetBytesProcessed(state.iterations() * BytesOf(source));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ParseAndPrintBatch(benchmark::State& state) {
  auto dialect = BenchTerms();
  const auto source = Batch(static_cast<int>(state.range(0)));
  ambrix::TParser parser;
  ambrix::TParserWordList result;
  std::vector<std::string> printed;
  for (auto _ : state) {
    auto lines = source;
    parser.Parse(lines, *dialect.Terms, result);
    result.BuildText(0);
    result.TextList->PrintAll(printed);
    benchmark::DoNotOptimize(printed.size());
  }
  state.SetBytesProcessed(state.iterations() * BytesOf(source));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_SplitBatch)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBatch)->Arg(100)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndPrintBatch)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
