if exists( select * from SysTrigger tr key join SysTable t where tr.Trigger_Name  = 'trI' and t.Table_Name = 'T' )
  drop trigger [T].[trI]
