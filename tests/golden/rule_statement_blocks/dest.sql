if @a = 1 begin select @n = Count (*) from t end
if exists (select a from t) select (a + b) from t
set @y = (select @x) + (select @x * 2 from t)
return (select @total)
