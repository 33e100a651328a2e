CREATE PROCEDURE dbo.p AS
  SELECT @@OPTIONS, name FROM master.dbo.sysobjects
  SELECT * FROM INFORMATION_SCHEMA.TABLES t (INDEX = ix) JOIN sysobjects o ON o.id = 1
  EXEC sp_who
  DBCC CHECKDB
  EXEC (@s)
  RAISERROR ('Lock %d', 16, 1, @@LOCK_TIMEOUT)
