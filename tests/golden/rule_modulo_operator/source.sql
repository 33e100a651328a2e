SET @d = (@d % 30) + 1
SET @r = @a * @b % @c
SET @r = @a % @b * @c
SET @r = @a % @b % @c
SET @r = @x + t.qty % 7 - 1
SET @r = LEN(@s) % 2, @q = dbo.f(@a) % ABS(@b)
SET @r = -@a % -3
IF @n % (@m + 1) = 0 SELECT CASE WHEN @a % 2 = 0 THEN 'even' END
SELECT a FROM t WHERE b LIKE '%x%' -- 10 % off
SET @r = @a % -@b * @c
SET @r = % 5
