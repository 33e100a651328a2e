if exists( select * from SysTable t key join SysIndex i where t.Table_Name = 'T' and i.Index_Name = 'IX_T_date')
  drop index [T].IX_T_date
