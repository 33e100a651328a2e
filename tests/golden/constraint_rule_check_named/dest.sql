alter table [T] add
  constraint [CK_T] check ([qty] > 0)
