if exists( select * from SysTable t key join SysIndex i where t.Table_Name = 'B' and i.Index_Name = 'IX_B')
  drop index [B].IX_B
