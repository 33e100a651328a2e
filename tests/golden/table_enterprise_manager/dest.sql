create table [dba].[Orders] (
  [id] int not null default autoincrement ,
  [code] varchar (10) not null default (''),
  [created] datetime not null default current timestamp,
  [amount] decimal(18,0) null ,
  [rate] numeric (10,0) null ,
  [memo] text null ,
  constraint [PK_Orders] primary key ([id]),
  constraint [IX_Orders_code] unique ([code]),
  constraint [FK_Orders_Orders] foreign key ([id]) references [dba].[Orders] ([id]),
  constraint [CK_Orders_amount] check ([amount] >= 0)
)
