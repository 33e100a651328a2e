alter table [T] add
  constraint [FK_T_T] foreign key ([parent]) references [dba].[T] ([id]) check on commit
