set @x = Locate (@b, @a, 5)
set @y = Charindex (@a, @b)
