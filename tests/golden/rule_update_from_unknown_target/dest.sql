update t set x = 1 from u where u.id = 5
