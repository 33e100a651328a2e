return (select Max(a) from t)
return ( case when @a > 0 then 1 else 0 end )
return (@a + 1)
return
