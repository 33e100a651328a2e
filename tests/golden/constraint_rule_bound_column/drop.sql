if exists( select * from SysConstraint c join SysTable t on t.Table_Id = c.Table_Id where t.Table_Name = 'person' and c.Constraint_Name = 'person_rule_ssn')
  alter table [person] drop constraint [person_rule_ssn]
