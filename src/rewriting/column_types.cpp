#include "rewriting/column_types.h"

#include "text/utf8.h"

namespace ambrix {

namespace {

// DECIMAL and NUMERIC: SQL Anywhere's default is (30,6), SQL Server's (18,0),
// and with a precision alone the scales differ too. timestamp (rowversion)
// is a row version in SQL Server; the target's nearest form is a time stamp
// its server refreshes on every update (TIMESTAMP DEFAULT TIMESTAMP). A
// timestamp or sysname column that says nothing is NOT NULL in SQL Server.
// Precedence ranks the types whose arithmetic result is certain: the operand
// of the highest rank gives the result's type.
constexpr TColumnType kColumnTypes[] = {
    // Name, Target, MissingArgs, MissingScale, Default, Alarm, Nullness, Precedence
    {"BIGINT", "", "", "", "", "", "", 4},
    {"INT", "", "", "", "", "", "", 3},
    {"INTEGER", "", "", "", "", "", "", 3},
    {"SMALLINT", "", "", "", "", "", "", 0},
    {"TINYINT", "", "", "", "", "", "", 0},
    {"BIT", "", "", "", "", "", "", 0},
    {"DECIMAL", "", "(18,0)", ",0", "", "", "", 0},
    {"DEC", "", "(18,0)", ",0", "", "", "", 0},
    {"NUMERIC", "", "(18,0)", ",0", "", "", "", 0},
    {"MONEY", "", "", "", "", "", "", 6},
    {"SMALLMONEY", "", "", "", "", "", "", 0},
    {"FLOAT", "", "", "", "", "", "", 8},
    {"REAL", "", "", "", "", "", "", 7},
    {"DOUBLE", "", "", "", "", "", "", 8},
    {"DATETIME", "", "", "", "", "", "", 0},
    {"SMALLDATETIME", "", "", "", "", "", "", 0},
    {"CHAR", "", "", "", "", "", "", 0},
    {"CHARACTER", "", "", "", "", "", "", 0},
    {"VARCHAR", "", "", "", "", "", "", 0},
    {"TEXT", "", "", "", "", "", "", 0},
    {"NCHAR", "", "", "", "", "", "", 0},
    {"NVARCHAR", "", "", "", "", "", "", 0},
    {"NTEXT", "", "", "", "", "", "", 0},
    {"NATIONAL", "", "", "", "", "", "", 0},
    {"BINARY", "", "", "", "", "", "", 0},
    {"VARBINARY", "", "", "", "", "", "", 0},
    {"IMAGE", "", "", "", "", "", "", 0},
    {"UNIQUEIDENTIFIER", "", "", "", "", "", "", 0},
    {"SYSNAME", "varchar(128)", "", "", "", "", "not null", 0},
    {"SQL_VARIANT", "long varchar", "", "", "", "TypeChanged", "", 0},
    {"TIMESTAMP", "timestamp", "", "", "timestamp", "TypeChanged", "not null", 0},
    {"ROWVERSION", "timestamp", "", "", "timestamp", "TypeChanged", "not null", 0},
};

}  // namespace

const TColumnType* FindColumnType(std::string_view Name) {
  for (const TColumnType& type : kColumnTypes)
    if (type.Name.size() == Name.size() && EqualsUpper(Name, type.Name)) return &type;
  return nullptr;
}

}  // namespace ambrix
