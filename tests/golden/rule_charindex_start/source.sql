SET @x = CHARINDEX(@a, @b, 5)
SET @y = CHARINDEX(@a, @b)
