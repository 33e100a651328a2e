alter table [T] add
  constraint [FK_T_P] foreign key ([pid]) references [dba].[P] ([id]) on update cascade
