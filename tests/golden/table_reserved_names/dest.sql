create table [user] (
  [date] datetime not null,
  [comment] varchar(100) null,
  [login] varchar(20) not null,
  [message] text null,
  [key] int not null,
  constraint PK_user primary key ([login], [date])
)
