CREATE FUNCTION dbo.f (@p int)
RETURNS @t TABLE (a int, b nvarchar(10))
AS
BEGIN
  INSERT @t SELECT a, b FROM x WHERE k = @p
  RETURN
END
