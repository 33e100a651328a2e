alter table [dbo].[T] add
  [a] int null
alter table [dbo].[T] add [b] decimal(18,0) not null default (0)
alter table [dbo].[T] add constraint [CK_T_a] check ([a] > 0)
alter table T modify c varchar(20) null
alter table T drop d
alter table T drop e
alter table [dbo].[U] modify [a] default current timestamp
alter table [dbo].[U] modify [b] default (0)
