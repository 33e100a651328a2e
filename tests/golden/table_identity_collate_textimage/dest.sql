create table [dba].[Orders] (
  [id] int not null default autoincrement ,
  [Name] varchar (50) not null ,
  [memo] text null
)
