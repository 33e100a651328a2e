IF @a = 1 (SELECT @n = count(*) FROM t)
IF EXISTS (SELECT a FROM t) SELECT (a + b) FROM t
SET @y = (SELECT @x) + (SELECT @x * 2 FROM t)
RETURN (SELECT @total)
