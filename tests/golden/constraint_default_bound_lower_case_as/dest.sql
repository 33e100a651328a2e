alter table [Orders] modify [Qty] default (0)
