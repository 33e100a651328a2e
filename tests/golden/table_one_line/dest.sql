create table [T] ([id] int identity not null, [memo] text null)
