alter table [T] add
  constraint [T_Check_1] check ([a] > 0 and [date] < Getdate())
