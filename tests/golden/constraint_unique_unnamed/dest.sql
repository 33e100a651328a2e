create unique index [T_Unique_1] on [T] (a)
