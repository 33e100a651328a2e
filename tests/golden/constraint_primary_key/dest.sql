alter table [T] add
  constraint [PK_T] primary key clustered ([id])
