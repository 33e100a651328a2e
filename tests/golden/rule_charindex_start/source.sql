SET @x = CHARINDEX(@a, @b, 5)
SET @y = CHARINDEX(@a, @b)
SET @z = CHARINDEX(',', @list -- the list
   , @pos + 1)
