set @x = ( Charindex (@a, Substring ( @b, 5) ) - 1 + 5)
set @y = Charindex (@a, @b)
