EXEC (@sql)
EXEC p N'x', @b
EXEC sp_log @flag = N
SELECT 1
