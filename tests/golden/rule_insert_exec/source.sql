INSERT INTO #t EXEC p @a, @b
