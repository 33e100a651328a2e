SET @a = ROUND(@x, 2, 1, 0)
