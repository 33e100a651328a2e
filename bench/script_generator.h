// A large synthetic SQL Server 2000 schema script for the conversion
// benchmarks: deterministic for a seed, sized in bytes, laid out the way
// Enterprise Manager's script generator writes (SET batches, drop guards,
// bracketed owner-qualified names, GO after every batch), with a realistic mix
// of user types, defaults, tables with constraints and indexes, views,
// functions of the three kinds, procedures with table variables, temporary
// tables, cursors, CASE expressions and the odd dynamic SQL, triggers, and
// permission batches. Comments and string literals carry Russian text (the
// script is UTF-8), with doubled quotes, as the scripts of Russian shops do.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace ambrix::bench {


// splitmix64: the same sequence on every platform and standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
  }

 private:
  std::uint64_t state_;
};

struct Column {
  std::string name;
  std::string type;
  bool nullable;
};

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::string parent;  // referenced table, empty when none
};

inline const std::vector<std::string> kWords = {
    "Account", "Address", "Amount", "Balance", "Branch", "Category", "City",    "Client",
    "Code",    "Comment", "Country", "Credit",  "Date",   "Debit",    "Deposit", "Document",
    "Due",     "Email",   "Entry",   "Invoice", "Item",   "Journal",  "Kind",    "Ledger",
    "Limit",   "Manager", "Name",    "Note",    "Number", "Office",   "Owner",   "Payment",
    "Period",  "Phone",   "Price",   "Quantity", "Rate",  "Region",   "Remark",  "Route",
    "Sale",    "Serial",  "Shipment", "State",  "Status", "Stock",    "Supplier", "Tax",
    "Total",   "Unit",    "Vendor",  "Warehouse", "Weight", "Zone"};

// Russian descriptions for comments and messages.
inline const std::vector<std::string> kRemarks = {
    "Сохранение записи", "Проверка остатков на складе", "Расчёт суммы документа",
    "Обновление статуса заказа", "Журнал изменений", "Выборка для отчёта «Продажи»",
    "Удаление устаревших строк", "Пересчёт итогов за период"};

inline const std::vector<std::string> kTypes = {
    "[int]",          "[smallint]",       "[tinyint]",    "[bigint]",       "[bit]",
    "[money]",        "[decimal] (18, 2)", "[numeric] (12, 4)", "[float]",   "[datetime]",
    "[smalldatetime]", "[varchar] (50)",   "[varchar] (255)", "[nvarchar] (100)", "[char] (10)",
    "[nchar] (2)",    "[uniqueidentifier]"};

class Generator {
 public:
  Generator(std::ostream& out, std::uint64_t seed) : out_(out), random_(seed) {}

  void Run(std::uint64_t targetBytes) {
    Emit("/****** Object:  Database Benchmark    Script Date: 12/10/2026 ******/\n");
    Emit("SET QUOTED_IDENTIFIER ON \nGO\nSET ANSI_NULLS ON \nGO\n\n");
    for (int module = 1; written_ < targetBytes; ++module) Module(module);
  }

  std::uint64_t Written() const { return written_; }

 private:
  void Emit(const std::string& text) {
    out_ << text;
    written_ += text.size();
  }

  std::string Word() { return random_.Pick(kWords); }

  void DropGuard(const std::string& name, const char* property) {
    Emit("if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[" + name +
         "]') and OBJECTPROPERTY(id, N'" + property + "') = 1)\ndrop " +
         (std::strcmp(property, "IsUserTable") == 0 ? std::string("table")
          : std::strcmp(property, "IsView") == 0    ? std::string("view")
          : std::strcmp(property, "IsProcedure") == 0 ? std::string("procedure")
                                                        : std::string("function")) +
         " [dbo].[" + name + "]\nGO\n\n");
  }

  void Module(int m) {
    const std::string suffix = std::to_string(m);
    // A user type and a default, bound to a column later.
    const std::string domain = "dt_" + Word() + suffix;
    Emit("setuser\nGO\n\nEXEC sp_addtype N'" + domain + "', N'varchar (" +
         std::to_string(10 + random_.Below(40)) + ")', N'null'\nGO\n\nsetuser\nGO\n\n");
    const std::string deflt = "DF_" + Word() + suffix;
    Emit("create default [dbo].[" + deflt + "] as " + std::to_string(random_.Below(100)) +
         "\nGO\n\n");

    std::vector<Table> tables;
    const int tableCount = 3 + random_.Below(4);
    for (int t = 0; t < tableCount; ++t) {
      Table table;
      table.name = Word() + Word() + suffix + "_" + std::to_string(t);
      if (t > 0 && random_.Chance(70)) table.parent = tables[static_cast<std::size_t>(random_.Below(t))].name;
      const int columns = 4 + random_.Below(12);
      table.columns.push_back({table.name + "Id", "[int]", false});
      if (!table.parent.empty()) table.columns.push_back({table.parent + "Id", "[int]", false});
      for (int c = 0; c < columns; ++c) {
        std::string type = c == 0 ? "[" + domain + "]" : random_.Pick(kTypes);
        table.columns.push_back({Word() + std::to_string(c), type, random_.Chance(40)});
      }
      tables.push_back(std::move(table));
    }
    for (const Table& table : tables) DropGuard(table.name, "IsUserTable");
    for (const Table& table : tables) CreateTable(table);
    for (const Table& table : tables) Constraints(table, deflt);
    for (const Table& table : tables) Indexes(table);
    View(tables, suffix);
    Functions(tables, suffix);
    Procedures(tables, suffix);
    Triggers(tables);
  }

  void CreateTable(const Table& table) {
    std::string text = "CREATE TABLE [dbo].[" + table.name + "] (\n";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const Column& column = table.columns[c];
      text += "\t[" + column.name + "] " + column.type;
      if (c == 0) text += " IDENTITY (1, 1)";
      if (column.type.find("char") != std::string::npos && random_.Chance(50))
        text += " COLLATE Cyrillic_General_CI_AS";
      text += column.nullable ? " NULL" : " NOT NULL";
      text += c + 1 < table.columns.size() ? " ,\n" : " \n";
    }
    if (random_.Chance(20)) text += "\t,[Notes] [ntext] NULL \n";
    text += random_.Chance(30) ? ") ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]\nGO\n\n" : ") ON [PRIMARY]\nGO\n\n";
    Emit(text);
  }

  void Constraints(const Table& table, const std::string& deflt) {
    std::string text = "ALTER TABLE [dbo].[" + table.name + "] WITH NOCHECK ADD \n";
    text += "\tCONSTRAINT [PK_" + table.name + "] PRIMARY KEY  CLUSTERED \n\t(\n\t\t[" +
            table.columns[0].name + "]\n\t)  ON [PRIMARY] ";
    const Column& last = table.columns.back();
    if (last.type == "[int]" || last.type == "[money]" || last.type == "[bit]") {
      text += ",\n\tCONSTRAINT [DF_" + table.name + "_" + last.name + "] DEFAULT (0) FOR [" +
              last.name + "]";
    }
    if (random_.Chance(40)) {
      text += ",\n\tCONSTRAINT [UQ_" + table.name + "] UNIQUE  NONCLUSTERED \n\t(\n\t\t[" +
              table.columns[1].name + "]\n\t)  ON [PRIMARY] ";
    }
    text += "\nGO\n\n";
    Emit(text);
    if (!table.parent.empty()) {
      Emit("ALTER TABLE [dbo].[" + table.name + "] ADD \n\tCONSTRAINT [FK_" + table.name + "_" +
           table.parent + "] FOREIGN KEY \n\t(\n\t\t[" + table.parent + "Id]\n\t) REFERENCES [dbo].[" +
           table.parent + "] (\n\t\t[" + table.parent + "Id]\n\t)\nGO\n\n");
    }
    if (random_.Chance(30)) {
      Emit("ALTER TABLE [dbo].[" + table.name + "] ADD \n\tCHECK ([" + table.columns[0].name +
           "] > 0)\nGO\n\n");
    }
    if (random_.Chance(30)) {
      for (const Column& column : table.columns) {
        if (column.type == "[int]" && column.nullable) {
          Emit("setuser\nGO\n\nEXEC sp_bindefault N'[dbo].[" + deflt + "]', N'[" + table.name +
               "].[" + column.name + "]'\nGO\n\nsetuser\nGO\n\n");
          break;
        }
      }
    }
  }

  void Indexes(const Table& table) {
    const int count = random_.Below(3);
    for (int i = 0; i < count; ++i) {
      const Column& column = table.columns[static_cast<std::size_t>(1 + random_.Below(static_cast<int>(table.columns.size()) - 1))];
      static const std::vector<std::string> kinds = {"", "UNIQUE ", "NONCLUSTERED ", "UNIQUE NONCLUSTERED "};
      Emit(" CREATE  " + random_.Pick(kinds) + "INDEX [IX_" + table.name + "_" + std::to_string(i) +
           "] ON [dbo].[" + table.name + "]([" + column.name + "]) ON [PRIMARY]\nGO\n\n");
    }
  }

  void View(const std::vector<Table>& tables, const std::string& suffix) {
    const Table& a = tables.back();
    const std::string name = "v" + a.name;
    DropGuard(name, "IsView");
    std::string text = "SET QUOTED_IDENTIFIER ON \nGO\nSET ANSI_NULLS ON \nGO\n\nCREATE VIEW dbo." + name +
                       "\nAS\nSELECT TOP 100 PERCENT a.[" + a.columns[0].name + "], a.[" +
                       a.columns[2].name + "], COUNT(*) AS Cnt" + suffix;
    if (!a.parent.empty()) {
      text += ", p.[" + a.parent + "Id]\nFROM dbo.[" + a.name + "] a WITH (NOLOCK)\n  INNER JOIN dbo.[" +
              a.parent + "] p ON p.[" + a.parent + "Id] = a.[" + a.parent + "Id]\nGROUP BY a.[" +
              a.columns[0].name + "], a.[" + a.columns[2].name + "], p.[" + a.parent + "Id]\n";
    } else {
      text += "\nFROM dbo.[" + a.name + "] a\nGROUP BY a.[" + a.columns[0].name + "], a.[" +
              a.columns[2].name + "]\n";
    }
    text += "ORDER BY a.[" + a.columns[0].name + "]\n\nGO\nSET QUOTED_IDENTIFIER OFF \nGO\nSET ANSI_NULLS ON \nGO\n\n";
    Emit(text);
  }

  void Functions(const std::vector<Table>& tables, const std::string& suffix) {
    const Table& t = tables.front();
    const std::string scalar = "fn" + Word() + suffix;
    DropGuard(scalar, "IsScalarFunction");
    Emit("CREATE FUNCTION dbo." + scalar + " (@value money, @rate float, @text varchar(200))\nRETURNS money\nAS\nBEGIN\n"
         "  DECLARE @result money\n  IF CHARINDEX('x', @text, 2) > 0\n    SET @result = ROUND(@value * @rate, 2, 1)\n"
         "  ELSE\n    SET @result = ROUND(@value, 0)\n  IF LEN(@text) > 10 AND DATEPART(yy, GETDATE()) > 2000\n"
         "    SET @result = @result + 1\n  RETURN @result\nEND\nGO\n\n");
    const std::string inlineFn = "fn" + t.name + "List";
    DropGuard(inlineFn, "IsInlineFunction");
    Emit("CREATE FUNCTION dbo." + inlineFn + " (@id int)\nRETURNS TABLE\nAS\nRETURN (SELECT [" + t.columns[0].name +
         "], [" + t.columns[1].name + "] FROM dbo.[" + t.name + "] WHERE [" + t.columns[0].name + "] > @id)\nGO\n\n");
    const std::string tableFn = "fn" + t.name + "Rows";
    DropGuard(tableFn, "IsTableFunction");
    Emit("CREATE FUNCTION dbo." + tableFn + " (@from int, @to int)\nRETURNS @rows TABLE (Id int, Name varchar(100))\nAS\nBEGIN\n"
         "  INSERT INTO @rows (Id, Name)\n    SELECT [" + t.columns[0].name + "], CONVERT(varchar(100), [" + t.columns[1].name +
         "])\n    FROM dbo.[" + t.name + "]\n    WHERE [" + t.columns[0].name + "] BETWEEN @from AND @to\n"
         "  RETURN\nEND\nGO\n\n");
  }

  void Procedures(const std::vector<Table>& tables, const std::string& suffix) {
    for (std::size_t i = 0; i < tables.size(); ++i) {
      const Table& t = tables[i];
      const std::string name = "usp_" + t.name + "_Save";
      DropGuard(name, "IsProcedure");
      std::string text = "SET QUOTED_IDENTIFIER ON \nGO\nSET ANSI_NULLS ON \nGO\n\n/*\n  " + random_.Pick(kRemarks) +
                         ": " + t.name + "\n  Автор: отдел АСУ, ред. " + std::to_string(1 + random_.Below(9)) +
                         "\n*/\nCREATE PROCEDURE dbo." + name + "\n";
      for (std::size_t c = 0; c < t.columns.size(); ++c) {
        text += "  @p" + std::to_string(c) + " " + (c == 0 ? std::string("int") : "varchar(100)") +
                (c + 1 < t.columns.size() ? ",\n" : "\n");
      }
      text += "AS\nBEGIN\n  SET NOCOUNT ON -- без лишних сообщений клиенту\n  DECLARE @count int, @msg varchar(200)\n";
      text += "  DECLARE @work TABLE (Id int, Val varchar(100))\n";
      text += "  INSERT INTO @work (Id, Val) SELECT [" + t.columns[0].name + "], [" + t.columns[2].name + "] FROM dbo.[" +
              t.name + "] WHERE [" + t.columns[0].name + "] = @p0\n";
      text += "  SELECT @count = COUNT(*) FROM @work\n  IF @count = 0\n  BEGIN\n    INSERT INTO dbo.[" + t.name + "] ([" +
              t.columns[1].name + "]) VALUES (@p1)\n    SELECT @p0 = @@IDENTITY\n  END\n  ELSE\n  BEGIN\n";
      text += "    UPDATE dbo.[" + t.name + "] SET [" + t.columns[1].name + "] = @p1 WHERE [" + t.columns[0].name + "] = @p0\n";
      text += "    IF @@ERROR <> 0\n    BEGIN\n      SET @msg = 'Update failed for ' + CONVERT(varchar(20), @p0)\n"
              "      RAISERROR (@msg, 16, 1)\n      RETURN -1\n    END\n  END\n";
      if (random_.Chance(50)) {
        text += "  DECLARE c" + suffix + " CURSOR FOR SELECT Id FROM @work\n  OPEN c" + suffix + "\n  FETCH NEXT FROM c" +
                suffix + " INTO @count\n  WHILE @@FETCH_STATUS = 0\n  BEGIN\n    EXEC dbo.usp_" + tables.front().name +
                "_Save @count, @msg\n    FETCH NEXT FROM c" + suffix + " INTO @count\n  END\n  CLOSE c" + suffix +
                "\n  DEALLOCATE c" + suffix + "\n";
      }
      if (random_.Chance(20)) text += "  SELECT name FROM sysobjects WHERE xtype = 'U'\n";
      if (random_.Chance(40)) {
        const std::string temp = "#t" + suffix;
        text += "  -- " + random_.Pick(kRemarks) + "\n  CREATE TABLE " + temp + " (Id int NOT NULL, Kind char(1) NULL)\n" +
                "  INSERT INTO " + temp + " (Id, Kind)\n    SELECT Id, CASE WHEN Val IS NULL THEN 'N' WHEN Val = '' THEN 'E'" +
                " ELSE 'V' END FROM @work\n  SELECT @msg = 'Строк в ''" + t.name + "'': ' + CONVERT(varchar(10), COUNT(*)) FROM " +
                temp + "\n  DROP TABLE " + temp + "\n";
      }
      if (random_.Chance(5)) {
        text += "  SET @msg = 'UPDATE dbo.[" + t.name + "] SET [" + t.columns[1].name + "] = NULL WHERE 1 = 0'\n" +
                "  EXEC (@msg)\n";
      }
      text += "  SELECT @count = COUNT_BIG(ALL [" + t.columns[0].name + "]) FROM dbo.[" + t.name + "]\n";
      text += "  RETURN 0\nEND\n\nGO\nSET QUOTED_IDENTIFIER OFF \nGO\nSET ANSI_NULLS ON \nGO\n\n";
      if (random_.Chance(50)) text += "GRANT  EXECUTE  ON [dbo].[" + name + "]  TO [public]\nGO\n\n";
      Emit(text);
    }
  }

  void Triggers(const std::vector<Table>& tables) {
    for (const Table& t : tables) {
      if (!random_.Chance(40)) continue;
      const bool insteadOf = random_.Chance(20);
      std::string text = "CREATE TRIGGER [tr" + t.name + "] ON [dbo].[" + t.name + "]\n" +
                         (insteadOf ? "INSTEAD OF DELETE\n" : "FOR INSERT, UPDATE\n") + "AS\nBEGIN\n";
      if (insteadOf) {
        text += "  RAISERROR ('Строки " + t.name + " не удаляются', 16, 1)\n";
      } else {
        text += "  IF UPDATE([" + t.columns[1].name + "])\n  BEGIN\n    UPDATE dbo.[" + t.name + "] SET [" +
                t.columns[1].name + "] = i.[" + t.columns[1].name + "]\n    FROM inserted i\n    WHERE dbo.[" + t.name +
                "].[" + t.columns[0].name + "] = i.[" + t.columns[0].name + "]\n  END\n";
      }
      text += "END\nGO\n\n";
      Emit(text);
    }
  }

  std::ostream& out_;
  Random random_;
  std::uint64_t written_ = 0;
};

}  // namespace ambrix::bench
