create function dba.intDateType$convertToDatetime
(
   @dateTime   intDateType
)
returns datetime
as
begin
   return ( Dateadd (day,@datetime,'jan 1, 2001'))
end
