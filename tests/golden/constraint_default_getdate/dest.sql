alter table [T] modify [c] default current timestamp
