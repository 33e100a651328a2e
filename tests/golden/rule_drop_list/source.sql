BEGIN
  DROP TABLE #a, #b, #c
END
