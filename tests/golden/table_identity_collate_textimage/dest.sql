create table [dba].[Orders] (
  [id] int identity not null ,
  [Name] varchar (50) not null ,
  [memo] text null
)
