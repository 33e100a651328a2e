if @a <= 1 and @b <> 2 and @c != 3 and @d !< 4 and @e < 5
if @a <
= 1
