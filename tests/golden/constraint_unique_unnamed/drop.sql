if exists( select * from SysTable t key join SysIndex i where t.Table_Name = 'T' and i.Index_Name = 'T_Unique_1')
  drop index [T].T_Unique_1
