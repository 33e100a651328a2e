alter table [T] add
  constraint [PK_T] primary key
  (
    [a],
    [b]
  )
