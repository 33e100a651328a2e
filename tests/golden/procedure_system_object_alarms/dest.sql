create procedure dba.p as
  select @@options, name from master.dba.sysobjects
  select * from information_schema.TABLES t join sysobjects o on o.id = 1
  exec sp_who
  dbcc CHECKDB
  execute (@s)
  raiserror 50000 'Lock %1!', @@lock_timeout
