set @d = (Mod (@d, 30)) + 1
set @r = Mod (@a * @b, @c)
set @r = Mod (@a, @b) * @c
set @r = Mod (Mod (@a, @b), @c)
set @r = @x + Mod (t.qty, 7) - 1
set @r = Mod (Len (@s), 2), @q = Mod (dbo.f(@a), Abs(@b))
set @r = -Mod (@a, -3)
if Mod (@n, (@m + 1)) = 0 select case when Mod (@a, 2) = 0 then 'even' end
select a from t where b like '%x%' -- 10 % off
set @r = @a % -@b * @c
set @r = % 5
