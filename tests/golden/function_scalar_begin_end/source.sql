CREATE FUNCTION dbo.intDateType$convertToDatetime
(
   @dateTime   intDateType
)
RETURNS datetime
AS
BEGIN
   RETURN ( dateadd(day,@datetime,'jan 1, 2001'))
END
