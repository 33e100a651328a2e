if exists( select * from SysConstraint c join SysTable t on t.Table_Id = c.Table_Id where t.Table_Name = 'T' and c.Constraint_Name = 'CK_T')
  alter table [T] drop constraint [CK_T]
