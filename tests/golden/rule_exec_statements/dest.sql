execute (@sql)
exec p 'x', @b
exec sp_log @flag = N
select 1
