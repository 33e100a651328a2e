IF @a < = 1 AND @b <  > 2 AND @c ! = 3 AND @d ! < 4 AND @e < 5
IF @a <
    = 1
