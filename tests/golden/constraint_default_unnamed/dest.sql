alter table [T] modify [c] default (0)
