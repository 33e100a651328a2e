set @a = Truncnum (@x, 2)
set @b = Round (@x, 2)
set @c = Round (@x, 2)
set @d = Round (@x, 2)
