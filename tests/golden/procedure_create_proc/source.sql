CREATE PROC dbo.p @a int AS
BEGIN
  INSERT INTO #t EXEC q @a, N'x'
  DROP TABLE #a, #b
END
