execute (@sql)
exec p 'x', @b
