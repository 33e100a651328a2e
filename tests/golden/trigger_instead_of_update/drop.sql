if exists( select * from SysTrigger tr key join SysTable t where tr.Trigger_Name  = 'trU' and t.Table_Name = 'Orders' )
  drop trigger [Orders].[trU]
