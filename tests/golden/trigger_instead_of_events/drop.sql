if exists( select * from SysTrigger tr key join SysTable t where tr.Trigger_Name  = 'trGuard' and t.Table_Name = 'Product' )
  drop trigger [Product].[trGuard]
