set @x = Locate (@b, @a, 5)
set @y = Charindex (@a, @b)
set @z = Locate (@list -- the list
, ','
   , @pos + 1)
