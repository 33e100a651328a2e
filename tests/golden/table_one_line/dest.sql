create table [T] ([id] int not null default autoincrement, [memo] text null)
