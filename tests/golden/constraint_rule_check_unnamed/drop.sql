if exists( select * from SysConstraint c join SysTable t on t.Table_Id = c.Table_Id where t.Table_Name = 'T' and c.Constraint_Name = 'T_Check_1')
  alter table [T] drop constraint [T_Check_1]
