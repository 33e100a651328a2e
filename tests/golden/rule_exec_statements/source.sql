EXEC (@sql)
EXEC p N'x', @b
