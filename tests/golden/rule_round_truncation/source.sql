SET @a = ROUND(@x, 2, 1)
SET @b = ROUND(@x, 2, 0)
SET @c = ROUND(@x, 2, 00)
SET @d = ROUND(@x, 2)
